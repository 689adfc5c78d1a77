// What the screen says is true. Over random shots (cameras of every kind, lenses behind a
// teleconverter or entered as 35 mm equivalents, apertures, distances from twice the focal length
// to infinity, every mode and unit), every figure the captions and the details panel draw, read
// back from the drawn text, is what a thin lens gives within that text's rounding; the aperture
// ticks are white exactly where the Airy disk the sensor sees stays within one CoC; and the field
// card frames the cell the panel shows. The thin lens (support/thin_lens.h) finds every figure
// by searching its blur, never by a formula of the calculation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "calc/recompute.h"
#include "calc/snap.h"
#include "cameras/settings.h"
#include "display/paint.h"
#include "support/fixed_measure.h"
#include "support/random_setup.h"
#include "support/recording_canvas.h"
#include "support/thin_lens.h"
#include "text/field_card_text.h"
#include "text/utf8.h"

namespace {

constexpr double far_away = 1e9;  // mm: the screen takes anything farther as infinity
constexpr double infinity = -1;

// The texts of one frame: the details panel's lines by label, the captions' value lines by column
// and place, and the aperture scale's labels with their colours.
struct Screen {
    std::map<std::u16string, std::u16string> panel;
    std::u16string caption[column_count][caption_place_count];
    std::map<std::u16string, Colour> stops;
};

Screen drawn(const CalcState& s, const Camera& camera)
{
    FixedMeasure measure(7);
    ScaleGeometry g;
    layout_scales(g, measure, 16, 1500, 1100);
    PaintScratch scratch;
    RecordingCanvas canvas;
    paint(canvas, measure, s, camera, g, scratch);
    Screen screen;
    for (const DrawCall& call : canvas.calls) {
        if (call.kind == CallKind::Text && call.a.x >= column(g, Column::Aperture).scale.left &&
            call.a.x < column(g, Column::Aperture).column.right)
            screen.stops.emplace(call.text, call.colour);  // the aperture labels come first
        if (call.kind != CallKind::TextInRect)
            continue;
        for (int c = 0; c < column_count; ++c) {
            if (call.rect == column(g, static_cast<Column>(c)).value)
                screen.caption[c][static_cast<int>(call.align)] = call.text;
        }
        if (call.rect.left < column(g, Column::Details).column.left)
            continue;
        const std::size_t colon = call.text.find(u": ");
        if (call.text.starts_with(u"Field of View @ "))
            screen.panel[u"Field of View @"] = call.text.substr(16);
        else if (colon != std::u16string::npos)
            screen.panel[call.text.substr(call.text.find_first_not_of(u' '), colon - call.text.find_first_not_of(u' '))] =
                call.text.substr(colon + 2);
    }
    return screen;
}

// ---- reading the texts back ----

double millimetres_in(std::u16string_view suffix)
{
    const std::pair<std::u16string_view, double> units[] = {{u"mm", 1},   {u"cm", 10},    {u"in", 25.4},
                                                            {u"ft", 304.8}, {u"yd", 914.4}, {u"m", 1000}};
    for (const auto& [name, mm] : units) {
        if (suffix == name)
            return mm;
    }
    return NAN;
}

// The number a text starts with ("4.5 ft", "39.6°)"), and where it ends.
double leading_number(std::u16string_view text, std::size_t& end)
{
    std::string digits;
    for (end = 0; end < text.size() && ((text[end] >= u'0' && text[end] <= u'9') || text[end] == u'.'); ++end)
        digits += static_cast<char>(text[end]);
    return digits.empty() ? NAN : std::stod(digits);
}

// Whether `text`, a number with two decimals trimmed ("5.66", "12.5", "1"), reads `value`.
testing::AssertionResult reads(std::u16string_view text, double value, double half_step = 0.005)
{
    std::size_t end = 0;
    const double shown = leading_number(text, end);
    if (std::fabs(shown - value) <= half_step * (1 + 1e-9) + 1e-7 * std::fabs(value))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << '"' << utf16_to_utf8(text) << "\" for " << value;
}

// An input the user set reads as it is used: never 0 for a value above 0.
testing::AssertionResult reads_input(std::u16string_view text, double value)
{
    std::size_t end = 0;
    if (!(leading_number(text, end) > 0))
        return testing::AssertionFailure() << '"' << utf16_to_utf8(text) << "\" for " << value;
    return reads(text, value);
}

// Whether a distance text ("4.5 ft", "∞", ">9999 m", "±0.25 mm") reads `mm` (negative: infinity)
// within the rounding of its size: whole units from 100, then 1, 2 and 3 decimals.
testing::AssertionResult reads_distance(std::u16string_view text, double mm)
{
    const auto fail = [&] { return testing::AssertionFailure() << '"' << utf16_to_utf8(text) << "\" for " << mm << " mm"; };
    if (text.starts_with(u"\u00B1"))
        text.remove_prefix(1);
    if (text == u"\u221E")
        return mm < 0 || mm > far_away * (1 - 1e-9) ? testing::AssertionSuccess() : fail();
    const bool above = text.starts_with(u">"), below = text.starts_with(u"<");
    std::size_t end = 0;
    const double x = leading_number(text.substr(above || below ? 1 : 0), end);
    const double per_unit = millimetres_in(text.substr(text.find(u' ') + 1));
    const double value = mm / per_unit;
    if (above)
        return mm < 0 || value > 9999.99 * (1 - 1e-9) ? testing::AssertionSuccess() : fail();
    if (mm < 0 || mm > far_away * (1 + 1e-9))
        return fail();
    if (below)
        return value < 0.001 * (1 + 1e-9) ? testing::AssertionSuccess() : fail();
    const double half_step = x >= 100 ? 0.5 : x >= 10 ? 0.05 : x >= 1 ? 0.005 : 0.0005;
    return std::fabs(x - value) <= half_step * (1 + 1e-9) + 1e-7 * value ? testing::AssertionSuccess() : fail();
}

// "1 : 23.4", "2.50 : 1" or "0.00" (at infinity) for magnification m.
testing::AssertionResult reads_magnification(std::u16string_view text, double m)
{
    if (text == u"0.00")
        return m == 0 ? testing::AssertionSuccess() : testing::AssertionFailure() << "0.00 for " << m;
    return text.starts_with(u"1 : ") ? reads(text.substr(4), 1 / m) : reads(text, m);
}

// "0.398 ft (39.6°)" or "∞ (39.6°)": a size and an angle of view.
testing::AssertionResult reads_field(std::u16string_view text, double mm, double degrees)
{
    const std::size_t bracket = text.find(u" (");
    if (bracket == std::u16string_view::npos)
        return testing::AssertionFailure() << "no angle in " << utf16_to_utf8(text);
    if (testing::AssertionResult size = reads_distance(text.substr(0, bracket), mm); !size)
        return size;
    return reads(text.substr(bracket + 2), degrees, 0.05);
}

// Texts the screen shows only from a threshold on: near the threshold either is right.
bool near_threshold(double value, double threshold)
{
    return std::fabs(value / threshold - 1) < 1e-6;
}

double degrees(double radians)
{
    return radians * 180 / 3.14159265358979323846;
}

// ---- the shots ----

struct Shot {
    CalcState state;
    Camera camera;
};

Shot random_shot(RandomSetup& random)
{
    Shot shot{random.lens(), random.camera()};
    CalcState& s = shot.state;
    constexpr double teleconverters[] = {1, 1, 1.4, 1.7, 2, 3};
    s.teleconverter = teleconverters[static_cast<int>(random.unit() * 6)];
    s.mode = static_cast<Mode>(static_cast<int>(random.unit() * mode_count));
    s.units = static_cast<DistanceUnit>(static_cast<int>(random.unit() * distance_unit_count));
    s.macro_units = static_cast<DistanceUnit>(static_cast<int>(random.unit() * 3));
    const double f = real_focal_length(s, shot.camera);
    const auto distance = [&](double from) { return random.chance(0.15) ? infinity : f * random.log_between(from, 1e5); };
    s.focus_at = distance(2.000001);
    s.blur_distance = distance(1.5);
    s.near_limit = f * random.log_between(2.01, 3000);
    s.far_limit = random.chance(0.2) ? infinity : s.near_limit * random.log_between(1.01, 100);
    s.ni = 2 + static_cast<int>(random.unit() * 11);
    s.fov = shot.camera.frame_width_mm / random.log_between(0.05, 10);
    return shot;
}

// Close up the panel's last line gives the f-number the sensor sees, once it is 5 % above n.
void expect_working_line(const Screen& screen, double working, double n)
{
    if (working > 1.05 * n) {
        EXPECT_TRUE(reads(screen.panel.at(u"Effective f-number").substr(2), working));
    } else if (!near_threshold(working, 1.05 * n)) {
        EXPECT_FALSE(screen.panel.contains(u"Effective f-number"));
    }
}

// The figures of the depth-of-field lines (depth of field, blur and best f-stop modes) of a lens
// of focal length f at effective f-number n focused at `focus`, between `near` and `far`.
void expect_depth_lines(const Screen& screen, const Shot& shot, double f, double n, double focus, double near,
                        double far, double minimum_share)
{
    const CalcState& s = shot.state;
    const Camera& camera = shot.camera;
    const auto& panel = screen.panel;
    const double allowed = camera.coc * s.blur_threshold;
    EXPECT_TRUE(reads_distance(panel.at(u"Hyperfocal"), thin_lens::hyperfocal(f, n, camera.wavelength, allowed)));
    // Where diffraction alone blurs more than allowed, nothing but the focus itself is sharp.
    const bool nothing_sharp = near == focus;
    const double front = nothing_sharp ? 0 : focus < 0 || near > far_away ? infinity : focus - near;
    const double back = nothing_sharp ? 0 : far < 0 ? infinity : far - focus;
    const double range = front < 0 || back < 0 ? infinity : front + back;
    EXPECT_TRUE(reads_distance(panel.at(u"Front"), front));
    EXPECT_TRUE(reads_distance(panel.at(u"Back"), back));
    EXPECT_TRUE(reads_distance(panel.at(u"Range"), range));
    const double share = 100 * front / range;
    if (back > 0 && range > 0 && front >= 0 && share >= minimum_share) {
        EXPECT_TRUE(reads(panel.at(u"Focus"), share, 0.5));
    } else if (!near_threshold(share, minimum_share)) {
        EXPECT_FALSE(panel.contains(u"Focus"));
    }

    // The image forms v behind the lens: the frame covers the frame times focus / v, at the angle
    // the frame subtends from v; the sensor sees the f-number v / (f / n).
    const double v = thin_lens::image_distance(f, focus);
    EXPECT_TRUE(reads_magnification(panel.at(u"Magnification"), focus < 0 ? 0 : v / focus));
    EXPECT_TRUE(reads_distance(panel.at(u"Field of View @"), focus));
    const double frame[] = {camera.frame_width_mm, camera.frame_height_mm, std::hypot(camera.frame_width_mm, camera.frame_height_mm)};
    const char16_t* const labels[] = {u"Width", u"Height", u"Diag"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(reads_field(panel.at(labels[i]), focus < 0 ? infinity : frame[i] * focus / v,
                                degrees(2 * std::atan(frame[i] / (2 * v)))));
    }
    expect_working_line(screen, thin_lens::working_f_number(f, n, focus), n);
}

// The figures of one shot against the thin lens. Returns what the sensor sees of an f-number set
// on the lens: the teleconverter's factor times the image distance over the focal length, for the
// focus the mode shows (the best focus, the first image of a stack).
double expect_figures(const Screen& screen, const Shot& shot)
{
    const CalcState& s = shot.state;
    const Camera& camera = shot.camera;
    const auto& caption = screen.caption;
    const auto& panel = screen.panel;
    const double f = real_focal_length(s, camera);
    const double n = s.f_stop * s.teleconverter;
    const double lambda = camera.wavelength;
    const double c = camera.coc;
    const double allowed = c * s.blur_threshold;
    const auto value = [&](Column column, CaptionPlace place) { return caption[int(column)][int(place)]; };
    using enum Column;
    using enum CaptionPlace;
    double sensor = s.teleconverter * thin_lens::working_f_number(f, 1, s.focus_at);
    if (s.mode != Mode::Macro) {
        EXPECT_TRUE(reads_input(value(Lens, Centre), s.focal_length));
    }
    switch (s.mode) {
    case Mode::DepthOfField:
    case Mode::Blur: {
        const double focus = s.focus_at;
        const double near = thin_lens::limit(f, n, lambda, focus, allowed, -1);
        const double far = thin_lens::limit(f, n, lambda, focus, allowed, +1);
        EXPECT_TRUE(reads_input(value(Aperture, Centre).substr(2), s.f_stop));
        if (s.mode == Mode::DepthOfField) {
            EXPECT_TRUE(reads_distance(value(Distance, Left), near));
            EXPECT_TRUE(reads_distance(value(Distance, Centre), focus));
            EXPECT_TRUE(reads_distance(value(Distance, Right), far));
            EXPECT_TRUE(reads_input(value(Blur, Centre), s.blur_threshold));
        } else {
            EXPECT_TRUE(reads_distance(value(Distance, Left), focus));
            EXPECT_TRUE(reads_distance(value(Distance, Right), s.blur_distance));
            EXPECT_TRUE(reads(value(Blur, Centre), thin_lens::total_blur(f, n, lambda, focus, s.blur_distance) / c));
        }
        expect_depth_lines(screen, shot, f, n, focus, near, far, 1);
        break;
    }
    case Mode::BestFStop: {
        // Focused where both limits blur alike, at the aperture that blurs them least.
        const double focus = thin_lens::focus_between(f, s.near_limit, s.far_limit);
        const double best = thin_lens::sharpest_f_number(f, lambda, focus, s.near_limit);
        EXPECT_TRUE(reads(value(Aperture, Centre).substr(2), best / s.teleconverter));
        EXPECT_TRUE(reads_distance(value(Distance, Left), s.near_limit));
        EXPECT_TRUE(reads_distance(value(Distance, Centre), focus));
        EXPECT_TRUE(reads_distance(value(Distance, Right), s.far_limit));
        EXPECT_TRUE(reads(value(Blur, Centre), thin_lens::total_blur(f, best, lambda, focus, s.near_limit) / c));
        expect_depth_lines(screen, shot, f, best, focus, s.near_limit, s.far_limit, 0);
        sensor = s.teleconverter * thin_lens::working_f_number(f, 1, focus);
        break;
    }
    case Mode::FocusStacking: {
        // Focus points evenly spaced in 1 / distance; the aperture that blurs the first least with
        // the focus halfway (in 1 / distance) to the second; the blur where neighbours blur alike.
        const int k = s.ni;
        std::vector<double> p(static_cast<std::size_t>(k));
        for (int i = 0; i < k; ++i) {
            const double u = 1 / s.near_limit + i * ((s.far_limit < 0 ? 0 : 1 / s.far_limit) - 1 / s.near_limit) / (k - 1);
            p[static_cast<std::size_t>(i)] = u > 0 ? 1 / u : infinity;
            EXPECT_TRUE(reads_distance(panel.at(u"Focus Point " + utf8_to_utf16(std::to_string(i + 1))), p[static_cast<std::size_t>(i)]));
        }
        const double halfway = p[1] < 0 ? 2 * p[0] : 2 / (1 / p[0] + 1 / p[1]);
        const double best = thin_lens::sharpest_f_number(f, lambda, halfway, p[0]);
        EXPECT_TRUE(reads(value(Aperture, Centre).substr(2), best / s.teleconverter));
        const double join = thin_lens::focus_between(f, p[0], p[1]);
        EXPECT_TRUE(reads(value(Blur, Centre), thin_lens::total_blur(f, best, lambda, join, p[0]) / c));
        EXPECT_TRUE(reads_distance(value(Distance, Left), s.near_limit));
        EXPECT_TRUE(reads_distance(value(Distance, Right), s.far_limit));
        // The stack's limits: the CoC alone, without diffraction, around the first and last image.
        const double near = thin_lens::limit(f, best, lambda, p[0], c, -1, false);
        double far = p.back() < 0 ? infinity : thin_lens::limit(f, best, lambda, p.back(), c, +1, false);
        far = far > far_away ? infinity : far;
        EXPECT_TRUE(reads_distance(panel.at(u"Near focus"), near));
        EXPECT_TRUE(reads_distance(panel.at(u"Far focus"), far));
        EXPECT_TRUE(reads_distance(panel.at(u"Range"), far < 0 ? infinity : far - near));
        expect_working_line(screen, thin_lens::working_f_number(f, best, p[0]), best);
        sensor = s.teleconverter * thin_lens::working_f_number(f, 1, p[0]);
        break;
    }
    case Mode::Macro: {
        // Macro mode knows no focal length: a very long lens at the magnification, whose depth is
        // the close-up depth to a few parts in a billion.
        const double m = camera.frame_width_mm / s.fov;
        const double lens = 1e7, focus = lens * (1 + m) / m;
        const double near = thin_lens::limit(lens, n, lambda, focus, allowed, -1);
        const double depth = thin_lens::limit(lens, n, lambda, focus, allowed, +1) - near;
        EXPECT_TRUE(reads_distance(value(Lens, Centre), s.fov));
        EXPECT_TRUE(reads_input(value(Aperture, Centre).substr(2), s.f_stop));
        EXPECT_TRUE(reads_magnification(value(Distance, Left), m));
        EXPECT_TRUE(reads_distance(value(Distance, Right), depth / 2));
        EXPECT_TRUE(reads_input(value(Blur, Centre), s.blur_threshold));
        EXPECT_TRUE(reads_distance(panel.at(u"Front"), depth / 2));
        EXPECT_TRUE(reads_distance(panel.at(u"Back"), depth / 2));
        EXPECT_TRUE(reads_distance(panel.at(u"Range"), depth));
        const double height = s.fov * camera.frame_height_mm / camera.frame_width_mm;
        EXPECT_TRUE(reads_distance(panel.at(u"Width"), s.fov));
        EXPECT_TRUE(reads_distance(panel.at(u"Height"), height));
        EXPECT_TRUE(reads_distance(panel.at(u"Diag"), std::hypot(s.fov, height)));
        EXPECT_TRUE(reads_magnification(panel.at(u"Magnification"), m));
        EXPECT_TRUE(reads(panel.at(u"Effective f-number").substr(2), thin_lens::working_f_number(lens, n, focus)));
        sensor = s.teleconverter * thin_lens::working_f_number(lens, 1, focus);
        break;
    }
    }
    return sensor;
}

// The cell the field card frames (HTML escapes undone), or nothing.
std::vector<std::u16string> framed_cell(const std::u16string& page)
{
    std::vector<std::u16string> lines;
    const std::size_t at = std::min(page.find(u"<td class=\"set\">"), page.find(u"<td class=\"muted set\">"));
    if (at == std::u16string::npos)
        return lines;
    const std::size_t start = page.find(u'>', at) + 1;
    std::u16string cell = page.substr(start, page.find(u"</td>", at) - start);
    for (const auto& [escaped, c] : {std::pair{u"&gt;", u">"}, std::pair{u"&lt;", u"<"}}) {
        for (std::size_t i; (i = cell.find(escaped)) != std::u16string::npos;)
            cell.replace(i, 4, c);
    }
    for (std::size_t from = 0, open; (open = cell.find(u"<span", from)) != std::u16string::npos; from = open + 1) {
        const std::size_t start = cell.find(u'>', open) + 1;
        lines.push_back(cell.substr(start, cell.find(u"</span>", start) - start));
    }
    if (lines.empty())
        lines.push_back(cell);
    return lines;
}

TEST(WhatTheScreenSays, IsWhatAThinLensGivesForRandomShots)
{
    RandomSetup random(29);
    const std::u16string stop_labels[] = {u"0.7", u"1",  u"1.4", u"2",  u"2.8", u"4",  u"5.6", u"8",
                                          u"11",  u"16", u"22",  u"32", u"45",  u"64", u"90",  u"128"};
    for (int i = 0; i < 1500 && !HasFailure(); ++i) {
        Shot shot = random_shot(random);
        CalcState& s = shot.state;
        recompute(s, shot.camera, true);
        SCOPED_TRACE(testing::Message() << "shot " << i << ": mode " << static_cast<int>(s.mode) << ", camera "
                                        << shot.camera << "; " << s << ", object " << s.blur_distance << ", fov "
                                        << s.fov << ", images " << s.ni);
        const Screen screen = drawn(s, shot.camera);
        const double sensor = expect_figures(screen, shot);

        // Each whole stop's label is white where its Airy disk at the sensor stays within one CoC
        // (the colours then turn from white gradually: a per cent past it, they have).
        for (int k = 0; k < 16; ++k) {
            const double disk = thin_lens::airy_disk(shot.camera.wavelength, std::pow(2, (k - 1) / 2.0) * sensor) / shot.camera.coc;
            if (screen.stops.contains(stop_labels[k]) && (disk <= 1 || disk > 1.01)) {
                EXPECT_EQ(screen.stops.at(stop_labels[k]) == colours::white, disk <= 1) << "f/" << utf16_to_utf8(stop_labels[k]);
            }
        }

        // The card frames the cell of the window's aperture and focus: what the panel shows.
        if (s.mode == Mode::DepthOfField || s.mode == Mode::Blur || s.mode == Mode::Macro) {
            const std::vector<std::u16string> cell = framed_cell(settings_card_page(s, shot.camera));
            ASSERT_FALSE(cell.empty());
            if (cell[0] == u"diffraction")
                EXPECT_TRUE(reads_distance(screen.panel.at(u"Range"), 0));
            else if (s.mode == Mode::Macro)
                EXPECT_EQ(cell, (std::vector<std::u16string>{screen.panel.at(u"Range"), u"f/" + screen.panel.at(u"Effective f-number").substr(2)}));
            else
                EXPECT_EQ(cell[2], screen.panel.at(u"Range"));
        }
    }
}

}  // namespace

// Whatever a settings file holds, every input is one its scale shows and can be dragged to, and
// the caption reads it as it is used (never 0 for a value above 0); the distance column reaches
// past the depth of field on both sides.
TEST(WhatTheScreenSays, EveryInputIsOnItsScale)
{
    const char16_t* const lines[] = {u"maxblur 0",          u"maxblur 0.5",         u"maxblur 99999",
                                     u"f_stop 0.001",       u"f_stop 900",          u"blur_threshold 0.0001",
                                     u"blur_threshold 5000", u"focal_length 0.001", u"focal_length 99999",
                                     u"fov 0.0001",         u"fov 99999",           u"teleconverter 9",
                                     u"teleconverter 0.2",  u"teleconverter 1.7",   u"fl_zoom 32\nfocal_length 0.3"};
    auto table = std::make_unique<CameraTable>();
    for (const char16_t* line : lines) {
        for (const int mode : {0, 4}) {
            CalcState s;
            load_settings_text(u"Qel 1.0\nsnap 0\nmode " + utf8_to_utf16(std::to_string(mode)) + u"\n" + line + u"\nend\n",
                               s, *table);
            const Camera& camera = current_camera(*table);
            recompute(s, camera, true);
            SCOPED_TRACE(utf16_to_utf8(line) + (mode == 4 ? " in macro mode" : ""));
            const double lens = mode == 4 ? s.fov : s.focal_length;
            EXPECT_TRUE((mode == 4 ? s.fov_low : s.fl_low) <= lens && lens <= (mode == 4 ? s.fov_high : s.fl_high)) << lens;
            EXPECT_TRUE(s.blur_low <= s.blur_threshold && s.blur_threshold <= s.blur_high) << s.blur_threshold;
            const auto stops = f_stop_table(s.f_stop_increment);
            EXPECT_TRUE(stops.front() <= s.f_stop && s.f_stop <= stops.back()) << s.f_stop;
            EXPECT_TRUE(s.teleconverter >= 1 && s.teleconverter <= 4) << s.teleconverter;  // a converter magnifies 1 to 4 times
            const Screen screen = drawn(s, camera);
            EXPECT_TRUE(reads_input(screen.caption[int(Column::Aperture)][int(CaptionPlace::Centre)].substr(2), s.f_stop));
            EXPECT_TRUE(reads_input(screen.caption[int(Column::Blur)][int(CaptionPlace::Centre)], s.blur_threshold));
            if (mode == 0) {
                EXPECT_TRUE(reads_input(screen.caption[int(Column::Lens)][int(CaptionPlace::Centre)], s.focal_length));
            }
            if (mode == 0 && s.blur_threshold <= 1) {
                EXPECT_LT(s.maxblur_near, s.near);
                EXPECT_TRUE(s.maxblur_far < 0 || (s.far >= 0 && s.far < s.maxblur_far)) << s.maxblur_far;
            }
        }
    }
}

// What the screen says is true. Over random shots (cameras of every kind, lenses behind a
// teleconverter or entered as 35 mm equivalents, apertures, distances from twice the focal length
// to infinity, every mode and unit, now and then a wild input), every figure the captions and the
// details panel draw, read back from the drawn text, is what a thin lens gives within that text's
// rounding; every input is on its scale and never shown as 0; the aperture labels are white where
// the Airy disk the sensor sees stays within one CoC; and the field card frames what the panel
// shows. The thin lens (support/thin_lens.h) finds every figure by searching its blur.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "calc/recompute.h"
#include "display/paint.h"
#include "support/fixed_measure.h"
#include "support/random_setup.h"
#include "support/recording_canvas.h"
#include "support/thin_lens.h"
#include "text/field_card_text.h"
#include "text/utf8.h"

namespace {

constexpr double inf = -1;        // a distance at infinity
constexpr double far_away = 1e9;  // mm: the screen takes anything farther as infinity

// One frame's texts: the captions' value lines, the details panel's lines by label ("Front",
// "Focus Point 2", "Field of View"), and the aperture labels' colours.
struct Screen {
    std::u16string caption[column_count][caption_place_count];
    std::map<std::u16string, std::u16string> panel;
    std::map<std::u16string, Colour> stops;
    std::u16string at(Column c, CaptionPlace p = CaptionPlace::Centre) const { return caption[int(c)][int(p)]; }
    std::u16string line(const std::u16string& label) const { return panel.contains(label) ? panel.at(label) : u"(none)"; }
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
    const ColumnGeometry& aperture = column(g, Column::Aperture);
    for (const DrawCall& d : canvas.calls) {
        if (d.kind == CallKind::Text && d.a.x >= aperture.scale.left && d.a.x < aperture.column.right)
            screen.stops.emplace(d.text, d.colour);  // the aperture labels come first
        if (d.kind != CallKind::TextInRect)
            continue;
        for (int c = 0; c < column_count; ++c) {
            const Rect& value = column(g, static_cast<Column>(c)).value;  // a line set smaller keeps to its middle
            if (d.rect.left == value.left && d.rect.right == value.right && d.rect.bottom == value.bottom)
                screen.caption[c][static_cast<int>(d.align)] = d.text;
        }
        std::size_t at = d.text.find(u": "), skip = 2;
        if (at == std::u16string::npos)
            at = d.text.find(u" @ "), skip = 3;
        const std::size_t label = d.text.find_first_not_of(u' ');
        if (d.rect.left >= column(g, Column::Details).column.left && at != std::u16string::npos)
            screen.panel[d.text.substr(label, at - label)] = d.text.substr(at + skip);
    }
    return screen;
}

// How a text writes a figure: a number with two decimals trimmed ("5.66", "f/8"), an input so
// written that must not read 0, a distance ("4.5 ft", "∞", ">9999 m", "±0.25 mm", mm in and
// infinity negative, with as many decimals as its size has), an angle ("39.6°", one decimal), a
// percentage ("44%"), or a magnification ("1 : 23.4", "2.50 : 1", "0.00" at infinity).
enum class As { Number, Input, Distance, Degrees, Percent, Ratio };

testing::AssertionResult reads(std::u16string_view text, double value, As as = As::Number)
{
    const auto fail = [&] { return testing::AssertionFailure() << '"' << utf16_to_utf8(text) << "\" for " << value; };
    if (as == As::Ratio && text.starts_with(u"1 : "))
        return reads(text.substr(4), 1 / value);
    if (as == As::Ratio && text == u"0.00")
        return value == 0 ? testing::AssertionSuccess() : fail();
    for (const std::u16string_view prefix : {u"f/", u"\u00B1"}) {
        if (text.starts_with(prefix))
            text.remove_prefix(prefix.size());
    }
    if (text == u"\u221E")
        return value < 0 || value > far_away * (1 - 1e-9) ? testing::AssertionSuccess() : fail();
    const bool above = text.starts_with(u">"), below = text.starts_with(u"<");
    std::string digits = "0";
    for (std::size_t i = above || below; i < text.size() && ((text[i] >= u'0' && text[i] <= u'9') || text[i] == u'.'); ++i)
        digits += static_cast<char>(text[i]);
    const double x = std::stod(digits);
    double v = value, half_step = as == As::Degrees ? 0.05 : as == As::Percent ? 0.5 : 0.005;
    if (as == As::Distance) {
        const std::u16string_view unit = text.substr(text.find(u' ') + 1);
        v /= unit == u"mm" ? 1 : unit == u"cm" ? 10 : unit == u"in" ? 25.4 : unit == u"ft" ? 304.8 : unit == u"yd" ? 914.4 : 1000;
        half_step = x >= 100 ? 0.5 : x >= 10 ? 0.05 : x >= 1 ? 0.005 : 0.0005;
        if (value < 0 || (!above && value > far_away * (1 + 1e-9)))
            return fail();
    }
    const bool right = above ? v > 9999.99 * (1 - 1e-9)
                             : below ? v < 0.001 * (1 + 1e-9) : std::fabs(x - v) <= half_step * (1 + 1e-9) + 1e-7 * v;
    return right && (as != As::Input || x > 0) ? testing::AssertionSuccess() : fail();
}

// A line shown only from a threshold on: either is right right at it.
bool at_threshold(double value, double threshold)
{
    return std::fabs(value / threshold - 1) < 1e-6;
}

// The depth-of-field lines (depth of field, blur and best f-stop modes) of a lens of focal length f
// at effective f-number n focused at `focus` between `front_of` and `back_of`.
void expect_depth_lines(const Screen& screen, const CalcState& s, const Camera& camera, double f, double n,
                        double focus, double front_of, double back_of)
{
    const auto& panel = screen.panel;  // a line the panel must not show
    EXPECT_TRUE(reads(screen.line(u"Hyperfocal"), thin_lens::hyperfocal(f, n, camera.wavelength, camera.coc * s.blur_threshold), As::Distance));
    const bool nothing_sharp = front_of == focus && back_of == focus;
    const double front = nothing_sharp ? 0 : focus < 0 || front_of > far_away ? inf : focus - front_of;
    const double back = nothing_sharp ? 0 : back_of < 0 || back_of > far_away ? inf : back_of - focus;
    const double range = front < 0 || back < 0 ? inf : front + back;
    EXPECT_TRUE(reads(screen.line(u"Front"), front, As::Distance));
    EXPECT_TRUE(reads(screen.line(u"Back"), back, As::Distance));
    EXPECT_TRUE(reads(screen.line(u"Range"), range, As::Distance));
    const double share = 100 * front / range, least = s.mode == Mode::BestFStop ? 0 : 1;
    if (back > 0 && range > 0 && front >= 0 && share >= least) {
        EXPECT_TRUE(reads(screen.line(u"Focus"), share, As::Percent));
    } else if (!at_threshold(share, least)) {
        EXPECT_FALSE(panel.contains(u"Focus"));
    }
    // The image forms v behind the lens: the frame sees focus / v times itself, at the angle it
    // subtends from v, and the sensor sees the f-number v / (f / n).
    const double v = thin_lens::image_distance(f, focus);
    EXPECT_TRUE(reads(screen.line(u"Magnification"), focus < 0 ? 0 : v / focus, As::Ratio));
    EXPECT_TRUE(reads(screen.line(u"Field of View"), focus, As::Distance));
    const std::pair<const char16_t*, double> frames[] = {{u"Width", camera.frame_width_mm}, {u"Height", camera.frame_height_mm},
                                                         {u"Diag", std::hypot(camera.frame_width_mm, camera.frame_height_mm)}};
    for (const auto& [label, frame] : frames) {
        const std::u16string& text = screen.line(label);
        EXPECT_TRUE(reads(text.substr(0, text.find(u" (")), focus < 0 ? inf : frame * focus / v, As::Distance));
        EXPECT_TRUE(reads(text.substr(text.find(u" (") + 2), 2 * std::atan(frame / (2 * v)) * 180 / std::numbers::pi, As::Degrees));
    }
    const double working = thin_lens::working_f_number(f, n, focus);
    if (working > 1.05 * n) {
        EXPECT_TRUE(reads(screen.line(u"Effective f-number"), working));
    } else if (!at_threshold(working, 1.05 * n)) {
        EXPECT_FALSE(panel.contains(u"Effective f-number"));
    }
}

// Every figure of one shot against the thin lens. Returns what the sensor sees of an f-number set
// on the lens: the teleconverter times the image distance over the focal length, at the focus the
// mode shows (the best focus, the first image of a stack).
double expect_figures(const Screen& screen, const CalcState& s, const Camera& camera)
{
    using enum Column;
    using enum CaptionPlace;
    const double f = real_focal_length(s, camera), n = s.f_stop * s.teleconverter, lambda = camera.wavelength;
    const double allowed = camera.coc * s.blur_threshold;
    double focus = s.focus_at;
    EXPECT_TRUE(s.mode == Mode::Macro ? reads(screen.at(Lens), s.fov, As::Distance) : reads(screen.at(Lens), s.focal_length, As::Input));
    if (s.mode == Mode::DepthOfField || s.mode == Mode::Blur) {
        const double near = thin_lens::limit(f, n, lambda, focus, allowed, -1), far = thin_lens::limit(f, n, lambda, focus, allowed, +1);
        const bool dof = s.mode == Mode::DepthOfField;
        EXPECT_TRUE(reads(screen.at(Aperture), s.f_stop, As::Input));
        EXPECT_TRUE(!dof || reads(screen.at(Distance), focus, As::Distance));
        EXPECT_TRUE(reads(screen.at(Distance, Left), dof ? near : focus, As::Distance));
        EXPECT_TRUE(reads(screen.at(Distance, Right), dof ? far : s.blur_distance, As::Distance));
        EXPECT_TRUE(dof ? reads(screen.at(Blur), s.blur_threshold, As::Input)
                        : reads(screen.at(Blur), thin_lens::total_blur(f, n, lambda, focus, s.blur_distance) / camera.coc));
        expect_depth_lines(screen, s, camera, f, n, focus, near, far);
    } else if (s.mode == Mode::BestFStop) {
        // Focused where both limits blur alike, at the aperture that blurs them least.
        focus = thin_lens::focus_between(f, s.near_limit, s.far_limit);
        const double best = thin_lens::sharpest_f_number(f, lambda, focus, s.near_limit);
        EXPECT_TRUE(reads(screen.at(Aperture), best / s.teleconverter));
        EXPECT_TRUE(reads(screen.at(Distance), focus, As::Distance));
        EXPECT_TRUE(reads(screen.at(Blur), thin_lens::total_blur(f, best, lambda, focus, s.near_limit) / camera.coc));
        expect_depth_lines(screen, s, camera, f, best, focus, s.near_limit, s.far_limit);
    } else if (s.mode == Mode::FocusStacking) {
        // Images evenly spaced in 1 / distance, at the aperture that blurs the first least focused
        // halfway (in 1 / distance) to the second; the blur where neighbours blur alike; the
        // stack's limits where the first and last blur by the CoC alone, without diffraction.
        std::vector<double> p;
        for (int i = 0; i < s.ni; ++i) {
            const double u = 1 / s.near_limit + i * ((s.far_limit < 0 ? 0 : 1 / s.far_limit) - 1 / s.near_limit) / (s.ni - 1);
            p.push_back(u > 0 ? 1 / u : inf);
            EXPECT_TRUE(reads(screen.line(u"Focus Point " + utf8_to_utf16(std::to_string(i + 1))), p.back(), As::Distance));
        }
        const double best = thin_lens::sharpest_f_number(f, lambda, p[1] < 0 ? 2 * p[0] : 2 / (1 / p[0] + 1 / p[1]), p[0]);
        EXPECT_TRUE(reads(screen.at(Aperture), best / s.teleconverter));
        EXPECT_TRUE(reads(screen.at(Blur), thin_lens::total_blur(f, best, lambda, thin_lens::focus_between(f, p[0], p[1]), p[0]) / camera.coc));
        const double near = thin_lens::limit(f, best, lambda, p[0], camera.coc, -1, false);
        double far = p.back() < 0 ? inf : thin_lens::limit(f, best, lambda, p.back(), camera.coc, +1, false);
        far = far > far_away ? inf : far;
        EXPECT_TRUE(reads(screen.line(u"Near focus"), near, As::Distance));
        EXPECT_TRUE(reads(screen.line(u"Far focus"), far, As::Distance));
        EXPECT_TRUE(reads(screen.line(u"Range"), far < 0 ? inf : far - near, As::Distance));
        const double working = thin_lens::working_f_number(f, best, p[0]);
        EXPECT_EQ(screen.panel.contains(u"Effective f-number"), working > 1.05 * best || at_threshold(working, 1.05 * best));
        focus = p[0];
    } else {
        // Macro mode knows no focal length: a very long lens at the magnification, whose depth is
        // the close-up depth to a few parts in a billion.
        const double m = camera.frame_width_mm / s.fov, lens = 1e7;
        focus = lens * (1 + m) / m;
        const double depth = thin_lens::limit(lens, n, lambda, focus, allowed, +1) - thin_lens::limit(lens, n, lambda, focus, allowed, -1);
        const double height = s.fov * camera.frame_height_mm / camera.frame_width_mm;
        EXPECT_TRUE(reads(screen.at(Aperture), s.f_stop, As::Input));
        EXPECT_TRUE(reads(screen.at(Distance, Left), m, As::Ratio));
        EXPECT_TRUE(reads(screen.at(Distance, Right), depth / 2, As::Distance));
        EXPECT_TRUE(reads(screen.at(Blur), s.blur_threshold, As::Input));
        for (const auto& [label, mm] : {std::pair{u"Front", depth / 2}, {u"Back", depth / 2}, {u"Range", depth}, {u"Width", s.fov},
                                        {u"Height", height}, {u"Diag", std::hypot(s.fov, height)}})
            EXPECT_TRUE(reads(screen.line(label), mm, As::Distance)) << utf16_to_utf8(label);
        EXPECT_TRUE(reads(screen.line(u"Magnification"), m, As::Ratio));
        EXPECT_TRUE(reads(screen.line(u"Effective f-number"), thin_lens::working_f_number(lens, n, focus)));
        return s.teleconverter * (1 + m);
    }
    return s.teleconverter * thin_lens::working_f_number(f, 1, focus);
}

// The texts of the cell the field card frames.
std::vector<std::u16string> framed_cell(const std::u16string& page)
{
    std::size_t at = std::min(page.find(u"<td class=\"set\">"), page.find(u"<td class=\"muted set\">"));
    const std::size_t end = page.find(u"</td>", at);
    std::vector<std::u16string> lines;
    for (at = page.find(u'>', at) + 1; at < end; at = page.find(u'>', at) + 1) {
        std::u16string text = page.substr(at, page.find(u'<', at) - at);
        for (const auto& [escaped, c] : {std::pair{u"&gt;", u">"}, std::pair{u"&lt;", u"<"}}) {
            if (text.starts_with(escaped))
                text.replace(0, 4, c);
        }
        if (!text.empty())
            lines.push_back(text);
    }
    return lines;
}

TEST(WhatTheScreenSays, IsWhatAThinLensGivesForRandomShots)
{
    RandomSetup random(29);
    const std::u16string stops[] = {u"0.7", u"1", u"1.4", u"2", u"2.8", u"4", u"5.6", u"8", u"11", u"16", u"22", u"32", u"45", u"64", u"90", u"128"};
    for (int i = 0; i < 1500 && !HasFailure(); ++i) {
        const Camera camera = random.camera();
        CalcState s = random.lens();
        s.teleconverter = std::vector{1.0, 1.0, 1.4, 1.7, 2.0, 3.0}[static_cast<std::size_t>(random.unit() * 6)];
        s.mode = static_cast<Mode>(static_cast<int>(random.unit() * mode_count));
        s.units = static_cast<DistanceUnit>(static_cast<int>(random.unit() * distance_unit_count));
        s.macro_units = static_cast<DistanceUnit>(static_cast<int>(random.unit() * 3));
        const double f = real_focal_length(s, camera);
        s.focus_at = random.chance(0.15) ? inf : f * random.log_between(2.000001, 1e5);
        s.blur_distance = random.chance(0.15) ? inf : f * random.log_between(1.5, 1e5);
        s.near_limit = f * random.log_between(2.01, 3000);
        s.far_limit = random.chance(0.2) ? inf : s.near_limit * random.log_between(1.01, 100);
        s.ni = 2 + static_cast<int>(random.unit() * 11);
        s.fov = camera.frame_width_mm / random.log_between(0.05, 10);
        double* const wild[] = {&s.focal_length, &s.fov, &s.f_stop, &s.blur_threshold, &s.teleconverter, &s.maxblur};
        if (random.chance(0.05))  // a setting far beyond what its scale shows, as a settings file may hold
            *wild[static_cast<std::size_t>(random.unit() * 6)] *= random.chance(0.5) ? 1e-5 : 1e5;
        recompute(s, camera, true);
        SCOPED_TRACE(testing::Message() << "shot " << i << ": mode " << int(s.mode) << ", camera " << camera << "; " << s
                                        << ", object " << s.blur_distance << ", fov " << s.fov << ", images " << s.ni);
        const Screen screen = drawn(s, camera);
        const double sensor = expect_figures(screen, s, camera);

        // Every setting on its scale: the lens, the allowed blur, a converter of 1 to 4, and the
        // distance column past the depth of field on both sides.
        const double lens = s.mode == Mode::Macro ? s.fov : s.focal_length;
        EXPECT_TRUE((s.mode == Mode::Macro ? s.fov_low : s.fl_low) <= lens && lens <= (s.mode == Mode::Macro ? s.fov_high : s.fl_high));
        const bool blur_scale = s.mode == Mode::DepthOfField || s.mode == Mode::Macro;  // it sets the allowed blur
        EXPECT_TRUE(!blur_scale || (s.blur_low <= s.blur_threshold && s.blur_threshold <= s.blur_high));
        EXPECT_TRUE(s.teleconverter >= 1 && s.teleconverter <= 4);
        if (s.mode == Mode::DepthOfField && s.blur_threshold <= 1 && s.focus_at > 0) {
            EXPECT_TRUE(s.maxblur_near < s.near && (s.maxblur_far < 0 || (s.far > 0 && s.far < s.maxblur_far)));
        }

        // A whole stop's label is white while its Airy disk at the sensor stays within one CoC
        // (from there the colours turn from white gradually: a per cent on, they have).
        for (int k = 0; k < 16; ++k) {
            const double disk = thin_lens::airy_disk(camera.wavelength, std::pow(2, (k - 1) / 2.0) * sensor) / camera.coc;
            if (screen.stops.contains(stops[k]) && (disk <= 1 || disk > 1.01)) {
                EXPECT_EQ(screen.stops.at(stops[k]) == colours::white, disk <= 1) << "f/" << utf16_to_utf8(stops[k]);
            }
        }

        // The card frames the cell of the window's aperture and focus (magnification): the panel's.
        if (s.mode == Mode::DepthOfField || s.mode == Mode::Blur || s.mode == Mode::Macro) {
            const std::vector<std::u16string> cell = framed_cell(settings_card_page(s, camera));
            if (cell == std::vector<std::u16string>{u"diffraction"})
                EXPECT_TRUE(reads(screen.line(u"Range"), 0, As::Distance));
            else if (s.mode == Mode::Macro)
                EXPECT_EQ(cell, (std::vector{screen.line(u"Range"), screen.line(u"Effective f-number")}));
            else
                EXPECT_EQ(cell.at(2), screen.line(u"Range"));
        }
    }
}

}  // namespace

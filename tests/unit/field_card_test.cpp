// Field cards: every cell is what the details panel shows for that aperture and focus distance,
// and the default apertures are the whole stops a photographer reads off a lens.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "calc/field_card.h"
#include "calc/recompute.h"
#include "calc/snap.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"
#include "text/distance_text.h"
#include "text/field_card_text.h"
#include "text/parse.h"

namespace {

TEST(FieldCard, EveryCellIsTheDepthOfFieldModesResult)
{
    const Camera camera = hand_default_camera();
    for (const Mode mode : {Mode::DepthOfField, Mode::FocusStacking, Mode::Macro}) {
        for (const double teleconverter : {1.0, 1.4}) {
            CalcState settings;
            settings.mode = mode;  // the card is in depth of field whatever mode the file was left in
            settings.teleconverter = teleconverter;
            settings.focal_length = 85;
            settings.blur_threshold = 1.5;
            for (const double n : {1.4, 5.657, 22.63, 90.5}) {
                for (const double focus : {300.0, 1000.0, 3000.0, 10000.0, 1e6, -1.0}) {
                    CalcState panel = settings;
                    panel.mode = Mode::DepthOfField;
                    panel.f_stop = n;
                    panel.focus_at = focus;
                    recompute(panel, camera, true);
                    const FieldCardCell cell = field_card_cell(settings, camera, n, focus);
                    EXPECT_EQ(cell.near, panel.near) << n << " at " << focus;
                    EXPECT_EQ(cell.far, panel.far) << n << " at " << focus;
                    EXPECT_EQ(cell.range, panel.range) << n << " at " << focus;
                    // Nothing is sharp where the Airy disk of the f-number the sensor sees there
                    // reaches the allowed blur; close up that happens while a hyperfocal distance exists.
                    const bool limited = thin_lens::focused_airy_disk(85 * teleconverter, n * teleconverter,
                                                                      camera.wavelength, focus) >= camera.coc * 1.5;
                    EXPECT_EQ(cell.diffraction_limited, limited) << n << " at " << focus;
                    if (limited) {
                        EXPECT_EQ(panel.range, 0) << n << " at " << focus;
                    }
                    EXPECT_EQ(field_card_hyperfocal(settings, camera, n), panel.hyperfocal) << n;
                }
            }
        }
    }
}

TEST(FieldCard, DiffractionAloneCanLeaveNothingSharp)
{
    const Camera camera = hand_default_camera();
    CalcState settings;
    const FieldCardCell open = field_card_cell(settings, camera, 8, 3000);
    EXPECT_FALSE(open.diffraction_limited);
    EXPECT_LT(open.near, 3000);
    EXPECT_GT(open.far, 3000);
    const FieldCardCell closed = field_card_cell(settings, camera, 128, 3000);
    EXPECT_TRUE(closed.diffraction_limited);
    EXPECT_EQ(field_card_hyperfocal(settings, camera, 128), -1);
}

TEST(FieldCard, DefaultAperturesAreWholeStopsToF22)
{
    const auto marked = [](const std::vector<double>& apertures) {
        std::vector<double> out;
        for (const double n : apertures)
            out.push_back(std::round(n * 10) / 10);
        return out;
    };
    CalcState s;
    const std::vector<double> from_f14{1.4, 2, 2.8, 4, 5.7, 8, 11.3, 16, 22.6};
    EXPECT_EQ(marked(default_card_apertures(s)), from_f14);
    s.f_stop_increment = FStopIncrement::ThirdStop;
    EXPECT_EQ(marked(default_card_apertures(s)), from_f14) << "third stops give the same whole stops";
    s.f_stop = 0.95;  // a fast lens: from its nearest whole stop
    EXPECT_EQ(marked(default_card_apertures(s)).front(), 1);
    s.f_stop = 1.2;
    EXPECT_EQ(marked(default_card_apertures(s)).front(), 1.4) << "1.2 is nearer 1.4 than 1 in stops";
}

TEST(FieldCard, DefaultDistancesAreRoundValuesFromFifteenFocalLengths)
{
    struct Row {
        DistanceUnit unit;
        double focal_length;
        double teleconverter;
        std::vector<double> expected;  // in the unit, before infinity
    };
    const Row rows[] = {
        {DistanceUnit::Metre, 50, 1, {1, 1.5, 2, 3, 5, 7, 10, 15, 20, 30}},
        {DistanceUnit::Foot, 50, 1, {3, 5, 7, 10, 15, 20, 30, 50, 70, 100}},  // 750 mm is 2.46 ft
        {DistanceUnit::Metre, 24, 1, {0.5, 0.7, 1, 1.5, 2, 3, 5, 7, 10, 15}},
        {DistanceUnit::Foot, 14, 1, {0.7, 1, 1.5, 2, 3, 5, 7, 10, 15, 20}},
        {DistanceUnit::Millimetre, 50, 1, {1000, 1500, 2000, 3000, 5000, 7000}},  // 10000 mm reads ">9999 mm"
        {DistanceUnit::Millimetre, 5, 1, {100, 150, 200, 300, 500, 700, 1000, 1500, 2000, 3000}},
        {DistanceUnit::Inch, 50, 1, {30, 50, 70, 100, 150, 200, 300, 500, 700, 1000}},
        {DistanceUnit::Metre, 200, 2, {7, 10, 15, 20, 30, 50, 70, 100, 150, 200}},  // 400 mm effective
        {DistanceUnit::Yard, 1, 1, {0.02, 0.03, 0.05, 0.07, 0.1, 0.15, 0.2, 0.3, 0.5, 0.7}},
    };
    const Camera camera = hand_default_camera();
    for (const Row& row : rows) {
        CalcState s;
        s.units = row.unit;
        s.focal_length = row.focal_length;
        s.teleconverter = row.teleconverter;
        const std::vector<double> got = default_card_distances(s, camera);
        ASSERT_EQ(got.size(), row.expected.size() + 1) << row.focal_length;
        for (std::size_t i = 0; i < row.expected.size(); ++i)
            EXPECT_EQ(got[i], row.expected[i] * millimetres_per_unit(row.unit)) << row.focal_length << " #" << i;
        EXPECT_EQ(got.back(), -1) << "the last column is infinity";
        EXPECT_GE(got.front(), closest_card_distance(s, camera));
    }
}

TEST(FieldCard, FewestStackImagesIsTheLeastCountWithinTheAllowedBlur)
{
    const Camera camera = hand_default_camera();
    struct Row {
        double near, far, threshold, focal_length;
    };
    const Row rows[] = {
        {914.4, 1828.8, 1, 50},  {914.4, -1, 1, 50},   {300, 600, 1, 100}, {2000, 100000, 2, 24},
        {1000, -1, 1, 200},      {1000, 1100, 1, 50},  {400, 50000, 1.5, 105},
    };
    for (const Row& row : rows) {
        CalcState s;
        s.blur_threshold = row.threshold;
        s.focal_length = row.focal_length;
        const int fewest = fewest_stack_images(s, camera, row.near, row.far);
        ASSERT_GE(fewest, 2) << row.near << ".." << row.far;
        const CalcState plan = focus_stack(s, camera, row.near, row.far, fewest);
        EXPECT_LE(plan.optimum_blur, row.threshold) << row.near << ".." << row.far;
        EXPECT_EQ(plan.focus_points[0], row.near);
        EXPECT_EQ(plan.focus_points[static_cast<std::size_t>(fewest - 1)], row.far);
        if (fewest > 2) {
            const CalcState fewer = focus_stack(s, camera, row.near, row.far, fewest - 1);
            EXPECT_GT(fewer.optimum_blur, row.threshold) << row.near << ".." << row.far;
        }
    }
    // A blur no aperture reaches: even 100 images leave diffraction above it.
    CalcState tight;
    tight.blur_threshold = 0.05;
    EXPECT_EQ(fewest_stack_images(tight, camera, 914.4, -1), 0);
}

TEST(FieldCard, FNumbersAreHeadedAsLensesMarkThem)
{
    const struct {
        double f_number;
        char16_t point;
        std::u16string_view expected;
    } rows[] = {
        {5.656854249492381, u'.', u"f/5.6"}, {11.313708498984761, u'.', u"f/11"}, {0.7071067811865476, u'.', u"f/0.7"},
        {128, u'.', u"f/128"},                {22.627416997969522, u'.', u"f/22"}, {5.6, u'.', u"f/5.60"},
        {11, u'.', u"f/11.00"},               {11.3, u'.', u"f/11.3"},            {6.727171322029716, u'.', u"f/6.73"},
        {1.4142135623730951, u',', u"f/1,4"}, {6.35, u',', u"f/6,350"},  // 5.6, 11 and 6.35 are not the stops
    };
    for (const auto& row : rows) {
        set_decimal_point(row.point);
        EXPECT_EQ(card_f_number(row.f_number).view(), row.expected) << row.f_number;
    }
    set_decimal_point(u'.');
}

TEST(FieldCard, ATypedStopIsThatStopAndAHeadingIsOneAperture)
{
    const auto half = f_stop_table(FStopIncrement::HalfStop);
    const std::pair<std::u16string_view, double> rows[] = {
        {u"22", half[20]}, {u"5,6", half[12]}, {u"6.73", half[13]}, {u"8.00", half[14]},  // stops, as headed
        {u"22.0", 22},     {u"2.80", 2.8},     {u"5.657", 5.66},    {u"13.5", 13.5},      // other numbers
    };
    for (const auto& [typed, computed] : rows) {
        double value = 0;
        std::size_t at = 0;
        ASSERT_TRUE(parse_number(typed, at, value));
        EXPECT_EQ(typed_f_number(value, typed, FStopIncrement::HalfStop), computed) << value;
    }
    // Over the stops and every number typed short or with two decimals, a heading is one f-number.
    for (const FStopIncrement increment : {FStopIncrement::HalfStop, FStopIncrement::ThirdStop}) {
        std::map<std::u16string, double> aperture_of;
        const auto heads = [&](double n) {
            const auto [at, fresh] = aperture_of.emplace(card_f_number(n).view(), n);
            EXPECT_TRUE(fresh || at->second == n) << n << " and " << at->second << " share a heading";
        };
        for (const double n : f_stop_table(increment))
            heads(n);
        for (double n = 0.5; n <= 1000; n *= 1.0023) {
            const double typed = std::round(n * 100) / 100;
            for (const Text256& text : {plain_number(typed), format(u"%2f", {typed})})
                heads(typed_f_number(typed, text.view(), increment));
        }
    }
}

TEST(FieldCard, TheSettingsCardFramesTheDepthTheWindowShows)
{
    const Camera camera = hand_default_camera();
    for (const Mode mode : {Mode::DepthOfField, Mode::BestFStop}) {
        for (const double n : {8.0, 6.727171322029716, 5.6, 128.0}) {  // stops, a typed one, diffraction
            for (const double focus : {3000.0, 3000.0001, 2345.6, 1e8, -1.0}) {  // round, near it, between
                CalcState s;
                std::tie(s.mode, s.units, s.f_stop, s.focus_at) = std::tuple(mode, DistanceUnit::Millimetre, n, focus);
                recompute(s, camera, true);
                const double set_focus = card_focus(s);
                const FieldCardCell cell = field_card_cell(s, camera, card_aperture(s), set_focus);
                s.mode = Mode::DepthOfField;  // as the panel writes distances
                const auto html = [&](double mm) {
                    const std::u16string text(format_distance(s, mm).view());
                    return text[0] == u'>' ? u"&gt;" + text.substr(1) : text;
                };
                const std::u16string framed = cell.diffraction_limited
                    ? u"<td class=\"muted set\">diffraction</td>"
                    : u"<td class=\"set\"><span>" + html(cell.near) + u"</span><span>" + html(cell.far) + u"</span>";
                s.mode = mode;
                const std::u16string page = settings_card_page(s, camera);
                const std::size_t at = page.find(framed);
                EXPECT_NE(at, std::u16string::npos) << n << " at " << focus;
                EXPECT_EQ(page.find(u" set\">", at + framed.size()), std::u16string::npos) << "one cell framed";
                EXPECT_EQ(page.find(u"\"label\">" + html(set_focus) + u"<"), std::u16string::npos) << "one row so headed";
            }
        }
    }
}

}  // namespace

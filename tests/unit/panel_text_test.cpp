// Details panel text: the lines of every mode, gaps and optional slots, and their edge cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/allocation_counter.h"
#include "support/u16_text.h"
#include "text/panel_text.h"

namespace {

const std::u16string gap = u"<gap>";
const std::u16string hidden = u"<hidden>";

// The panel as a list of texts, gaps and hidden slots in drawing order.
std::vector<std::u16string> lines_of(const CalcState& s, const Camera& camera)
{
    static PanelText panel;  // large: keep it off the test's stack
    panel_text(s, camera, panel);
    std::vector<std::u16string> lines;
    for (int i = 0; i < panel.count; ++i) {
        const PanelLine& line = panel.lines[static_cast<std::size_t>(i)];
        switch (line.slot) {
        case PanelSlot::Gap: lines.push_back(gap); break;
        case PanelSlot::Hidden: lines.push_back(hidden); break;
        case PanelSlot::Line: lines.push_back(std::u16string(line.text.view())); break;
        }
    }
    return lines;
}

Camera frame_36x24()
{
    Camera c;
    c.frame_width_mm = 36;
    c.frame_height_mm = 24;
    return c;
}

// The default state's depth-of-field results in feet: focus 4 ft, f/8, 50 mm.
CalcState depth_of_field_state()
{
    CalcState s;
    s.mode = Mode::DepthOfField;
    s.units = DistanceUnit::Foot;
    s.focus_at = 1219.2;
    s.hyperfocal = 10634.4;
    s.front = 121.3;
    s.back = 151.4;
    s.range = 272.7;
    s.magnification = 0.0428;
    s.field_width = 877.8;
    s.field_height = 585.2;
    s.field_diagonal = 1055.0;
    s.angle_width = 39.6;
    s.angle_height = 27.0;
    s.angle_diagonal = 46.8;
    return s;
}

void expect_lines(const std::vector<std::u16string>& actual, const std::vector<std::u16string>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "line " << i << ": " << printable(actual[i]);
}

TEST(PanelText, DepthOfFieldLines)
{
    expect_lines(lines_of(depth_of_field_state(), frame_36x24()),
                 {
                     u"Hyperfocal: 34.9 ft",
                     gap,
                     u"Front: 0.398 ft",
                     u"Back: 0.497 ft",
                     u"Range: 0.895 ft",
                     u"Focus: 44% behind front",
                     gap,
                     u"Magnification: 1 : 23.36",
                     gap,
                     u"Field of View @ 4 ft",
                     u"  Width: 2.88 ft (39.6\u00B0)",
                     u"  Height: 1.92 ft (27\u00B0)",
                     u"  Diag: 3.46 ft (46.8\u00B0)",
                 });
}

TEST(PanelText, BlurModeHasTheDepthOfFieldLines)
{
    CalcState s = depth_of_field_state();
    const auto dof = lines_of(s, frame_36x24());
    s.mode = Mode::Blur;
    expect_lines(lines_of(s, frame_36x24()), dof);
}

TEST(PanelText, FocusAtInfinity)
{
    CalcState s = depth_of_field_state();
    s.focus_at = -1;
    s.front = s.back = s.range = -1;
    s.magnification = 0;
    expect_lines(lines_of(s, frame_36x24()),
                 {
                     u"Hyperfocal: 34.9 ft",
                     gap,
                     u"Front: \u221E",
                     u"Back: \u221E",
                     u"Range: \u221E",
                     hidden,
                     gap,
                     u"Magnification: 0.00",
                     gap,
                     u"Field of View @ \u221E",
                     u"  Width: \u221E (39.6\u00B0)",
                     u"  Height: \u221E (27\u00B0)",
                     u"  Diag: \u221E (46.8\u00B0)",
                 });
}

TEST(PanelText, DiffractionLimitWithBackExactlyZero)
{
    CalcState s = depth_of_field_state();
    s.hyperfocal = -1;
    s.front = s.back = s.range = 0;
    const auto lines = lines_of(s, frame_36x24());
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], u"Hyperfocal: \u221E");
    EXPECT_EQ(lines[2], u"Front: 0 ft");
    EXPECT_EQ(lines[3], u"Back: 0 ft");
    EXPECT_EQ(lines[4], u"Range: 0 ft");
    EXPECT_EQ(lines[5], hidden);
}

TEST(PanelText, FocusShareNeedsOnePercentExceptInBestFStop)
{
    CalcState s = depth_of_field_state();
    s.front = 0.6;
    s.back = 99.4;
    s.range = 100;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], hidden);
    s.mode = Mode::Blur;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], hidden);
    s.mode = Mode::BestFStop;
    s.best_focus = 1219.2;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], u"Focus: 1% behind front");

    s.mode = Mode::DepthOfField;
    s.front = 1;
    s.back = 99;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], u"Focus: 1% behind front");
    s.front = 62.5;
    s.back = 37.5;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], u"Focus: 63% behind front");
}

TEST(PanelText, FocusShareHiddenWhenFrontOrRangeIsUnknown)
{
    // A near limit at infinity makes front and range -1 while back stays finite: no share exists.
    CalcState s = depth_of_field_state();
    s.front = -1;
    s.range = -1;
    s.back = 150;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], hidden);
    s.mode = Mode::BestFStop;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], hidden);
    // Back at infinity hides it in every mode.
    s.front = 100;
    s.back = -1;
    s.range = -1;
    EXPECT_EQ(lines_of(s, frame_36x24())[5], hidden);
}

TEST(PanelText, MagnificationLineOutsideMacro)
{
    const std::pair<double, const char16_t*> cases[] = {
        {0.25, u"Magnification: 1 : 4"},
        {0.08, u"Magnification: 1 : 12.5"},
        {1, u"Magnification: 1 : 1"},
        {2.5, u"Magnification: 2.50 : 1"},
        {1.004, u"Magnification: 1.00 : 1"},
        {0, u"Magnification: 0.00"},
    };
    for (Mode mode : {Mode::DepthOfField, Mode::Blur, Mode::BestFStop}) {
        CalcState s = depth_of_field_state();
        s.mode = mode;
        s.best_focus = 1219.2;
        for (const auto& [m, expected] : cases) {
            s.magnification = m;
            EXPECT_EQ(lines_of(s, frame_36x24())[7], expected) << m;
        }
    }
}

TEST(PanelText, BestFStopUsesTheBestFocus)
{
    CalcState s = depth_of_field_state();
    s.mode = Mode::BestFStop;
    s.focus_at = 304.8;  // not shown in this mode
    s.best_focus = 1828.8;
    const auto lines = lines_of(s, frame_36x24());
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], u"Hyperfocal: 34.9 ft");  // whatever was left stored
    EXPECT_EQ(lines[9], u"Field of View @ 6 ft");
    EXPECT_EQ(lines[10], u"  Width: 2.88 ft (39.6\u00B0)");
}

TEST(PanelText, BestFStopAtInfinityDropsTheAngles)
{
    CalcState s = depth_of_field_state();
    s.mode = Mode::BestFStop;
    s.focus_at = -1;  // the focus line tests best_focus in this mode, not focus_at
    s.best_focus = 1219.2;
    EXPECT_EQ(lines_of(s, frame_36x24())[10], u"  Width: 2.88 ft (39.6\u00B0)");

    s.focus_at = 1219.2;
    s.best_focus = -1;
    s.back = s.range = -1;
    const auto lines = lines_of(s, frame_36x24());
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[9], u"Field of View @ \u221E");
    EXPECT_EQ(lines[10], u"  Width: \u221E");
    EXPECT_EQ(lines[11], u"  Height: \u221E");
    EXPECT_EQ(lines[12], u"  Diag: \u221E");
}

// Close up the sensor sees N (1 + m): a last line says so once that is more than 5 % above the
// aperture the panel is about (in best f-stop mode the optimum at the best focus, in focus
// stacking mode the optimum at the first, nearest image).
TEST(PanelText, EffectiveFNumberOnceMoreThanFivePercentSlower)
{
    const struct {
        Mode mode;
        double focus;
        const char16_t* line;  // nullptr: no line
    } rows[] = {
        {Mode::DepthOfField, 1219.2, nullptr},  // 1 : 23.4, 4 % slower
        {Mode::DepthOfField, 1050, nullptr},    // 1 : 20, exactly 5 %
        {Mode::DepthOfField, 1049, u"Effective f-number: f/8.4"},
        {Mode::DepthOfField, 100, u"Effective f-number: f/16"},  // 1:1
        {Mode::Blur, 150, u"Effective f-number: f/12"},
        {Mode::BestFStop, 100, u"Effective f-number: f/11.2"},  // the optimum f/5.6, not the set f/8
        {Mode::BestFStop, 1050, nullptr},
        {Mode::FocusStacking, 1049, u"Effective f-number: f/5.88"},
        {Mode::FocusStacking, 1050, nullptr},
    };
    for (const auto& r : rows) {
        CalcState s = depth_of_field_state();
        s.mode = r.mode;
        s.effective_focal_length = 50;
        s.optimum_effective_f_stop = 5.6;
        s.focus_points[1] = -1;
        s.best_focus = s.focus_at = s.focus_points[0] = -1;
        const auto far = lines_of(s, frame_36x24());  // no line at infinity
        s.best_focus = s.focus_at = s.focus_points[0] = r.focus;
        const auto lines = lines_of(s, frame_36x24());
        if (!r.line) {
            EXPECT_EQ(lines.size(), far.size()) << r.focus;
            continue;
        }
        ASSERT_EQ(lines.size(), far.size() + 2) << r.focus;
        EXPECT_EQ(lines[far.size()], gap);
        EXPECT_EQ(lines.back(), r.line) << r.focus;
    }
}

TEST(PanelText, FocusStackingListsEveryFocusPoint)
{
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.units = DistanceUnit::Metre;
    s.ni = 3;
    s.stack_near = 950;
    s.focus_points[0] = 1000;
    s.focus_points[1] = 2000;
    s.focus_points[2] = -1;
    s.focus_points[3] = 7777;  // beyond ni: not shown
    s.stack_far = -1;
    s.stack_range = -1;
    expect_lines(lines_of(s, frame_36x24()),
                 {
                     u"Near focus: 0.95 m",
                     u"Focus Point 1: 1 m",
                     u"Focus Point 2: 2 m",
                     u"Focus Point 3: \u221E",
                     u"Far focus: \u221E",
                     gap,
                     u"Range: \u221E",
                 });
}

TEST(PanelText, FocusStackingWithOneHundredImages)
{
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.units = DistanceUnit::Millimetre;
    s.ni = 100;
    for (int i = 0; i < 100; ++i)
        s.focus_points[static_cast<std::size_t>(i)] = 100 + i;
    s.stack_near = 99;
    s.stack_far = 250;
    s.stack_range = 151;
    const auto lines = lines_of(s, frame_36x24());
    ASSERT_EQ(lines.size(), 104u);
    int text_lines = 0;
    for (const auto& line : lines)
        text_lines += line != gap && line != hidden;
    EXPECT_EQ(text_lines, 103);
    EXPECT_EQ(lines[1], u"Focus Point 1: 100 mm");
    EXPECT_EQ(lines[100], u"Focus Point 100: 199 mm");
    EXPECT_EQ(lines[101], u"Far focus: 250 mm");
    EXPECT_EQ(lines[102], gap);
    EXPECT_EQ(lines[103], u"Range: 151 mm");
}

TEST(PanelText, FocusStackingImageCountOutsideItsRangeIsClamped)
{
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.ni = 0;
    EXPECT_EQ(lines_of(s, frame_36x24()).size(), 2u + 4u);
    s.ni = -5;
    EXPECT_EQ(lines_of(s, frame_36x24()).size(), 2u + 4u);
    s.ni = 5000;
    const auto lines = lines_of(s, frame_36x24());
    ASSERT_EQ(lines.size(), 100u + 4u);
    EXPECT_EQ(lines[100].substr(0, 16), u"Focus Point 100:");
}

TEST(PanelText, MacroLines)
{
    CalcState s;
    s.mode = Mode::Macro;
    s.units = DistanceUnit::Foot;  // ignored: Macro prints in macro_units
    s.macro_units = DistanceUnit::Millimetre;
    s.fov = 20;
    s.macro_depth = 0.5;
    s.magnification = 36.0 / 20;
    s.macro_effective_f_stop = 8 * 2.8;
    expect_lines(lines_of(s, frame_36x24()),
                 {
                     u"Front: 0.25 mm",
                     u"Back: 0.25 mm",
                     u"Range: 0.5 mm",
                     u"Focus: 50% behind front",
                     gap,
                     u"Field of View",
                     gap,
                     u"  Width: 20 mm",
                     u"  Height: 13.3 mm",
                     u"  Diag: 24 mm",
                     gap,
                     u"Magnification: 1.80 : 1",
                     gap,
                     u"Effective f-number: f/22.4",
                 });
}

TEST(PanelText, MacroMagnificationHasNoZeroCase)
{
    CalcState s;
    s.mode = Mode::Macro;
    s.fov = 20;
    const std::pair<double, const char16_t*> cases[] = {
        {1, u"Magnification: 1.00 : 1"},  // unlike the other modes, 1 is written as m : 1
        {0.5, u"Magnification: 1 : 2"},
        {0.25, u"Magnification: 1 : 4"},
        {2.5, u"Magnification: 2.50 : 1"},
    };
    for (const auto& [m, expected] : cases) {
        s.magnification = m;
        EXPECT_EQ(lines_of(s, frame_36x24())[11], expected) << m;
    }
}

TEST(PanelText, MacroEffectiveFNumberHasTwoDecimalsTrimmed)
{
    CalcState s;
    s.mode = Mode::Macro;
    s.fov = 20;
    s.magnification = 1;
    const std::pair<double, const char16_t*> cases[] = {
        {16, u"Effective f-number: f/16"},
        {11.2, u"Effective f-number: f/11.2"},
        {5.6 * 1.4 * 1.5, u"Effective f-number: f/11.76"},
        {8 * (1 + 36 / 7.0), u"Effective f-number: f/49.14"},
        {22.627, u"Effective f-number: f/22.63"},
        {128.004, u"Effective f-number: f/128"},
    };
    for (const auto& [n, expected] : cases) {
        s.macro_effective_f_stop = n;
        EXPECT_EQ(lines_of(s, frame_36x24()).back(), expected) << n;
    }
}

TEST(PanelText, MacroZeroDepthAndPortraitFrame)
{
    CalcState s;
    s.mode = Mode::Macro;
    s.macro_units = DistanceUnit::Centimetre;
    s.fov = 50;
    s.macro_depth = 0;
    s.magnification = 0.3;
    Camera portrait;
    portrait.frame_width_mm = 24;
    portrait.frame_height_mm = 36;
    s.macro_effective_f_stop = 8 * 1.3;
    const auto lines = lines_of(s, portrait);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], u"Front: 0 cm");
    EXPECT_EQ(lines[2], u"Range: 0 cm");
    EXPECT_EQ(lines[7], u"  Width: 5 cm");
    EXPECT_EQ(lines[8], u"  Height: 7.5 cm");
    EXPECT_EQ(lines[9], u"  Diag: 9.01 cm");
    EXPECT_EQ(lines[11], u"Magnification: 1 : 3.33");
    EXPECT_EQ(lines[13], u"Effective f-number: f/10.4");
}

TEST(PanelText, UnknownModeHasNoLines)
{
    CalcState s;
    s.mode = static_cast<Mode>(7);
    EXPECT_TRUE(lines_of(s, frame_36x24()).empty());
}

TEST(PanelText, RefillingReplacesTheOldLines)
{
    static PanelText panel;
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.ni = 100;
    panel_text(s, frame_36x24(), panel);
    EXPECT_EQ(panel.count, 104);
    s = depth_of_field_state();
    panel_text(s, frame_36x24(), panel);
    EXPECT_EQ(panel.count, 13);
    EXPECT_EQ(panel.lines[1].slot, PanelSlot::Gap);
    EXPECT_EQ(panel.lines[1].text.length, 0u);
}

TEST(PanelText, AllocatesNothing)
{
    static PanelText panel;
    CalcState s = depth_of_field_state();
    const long before = allocation_count();
    for (Mode mode : {Mode::DepthOfField, Mode::BestFStop, Mode::FocusStacking, Mode::Blur, Mode::Macro}) {
        s.mode = mode;
        s.ni = 100;
        panel_text(s, frame_36x24(), panel);
    }
    EXPECT_EQ(allocation_count(), before);
}

}  // namespace

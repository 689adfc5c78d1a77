// Scrolling the details panel when its lines do not all fit: the wheel, a drag of the lines or of
// the scroll bar's thumb, and the keys, with the pointer on the panel or the Tab focus on it.
#include <gtest/gtest.h>

#include <memory>

#include "app/keyboard.h"
#include "app/mouse_input.h"
#include "calc/recompute.h"
#include "display/details_panel.h"
#include "support/recording_command_host.h"
#include "support/recording_mouse_host.h"
#include "support/scale_fixture.h"

namespace {

constexpr int rows = 103;     // a stack of 100 images
constexpr int shown = 20;
constexpr int line = 16;
constexpr int panel_x = 600;  // on the lines
constexpr int bar_x = 690;    // on the scroll bar

struct DetailsScrolling : ::testing::Test {
    CalcState state;
    Camera camera = scale_fixture::camera();
    ScaleGeometry geometry = scale_fixture::geometry();
    DragContext drag;
    RecordingMouseHost host;

    void SetUp() override
    {
        state.mode = Mode::FocusStacking;
        state.ni = 100;
        recompute(state, camera, true);
        geometry.line_height = line;
        geometry.u = 5;
        column(geometry, Column::Details).column = {495, 60, 705, 505};
        geometry.details = {0, rows - shown, shown, rows, {690, 60, 695, 505}};
    }
};

TEST_F(DetailsScrolling, TheWheelScrollsWithinTheRangeAndOnlyOnThePanel)
{
    const struct {
        int x, y, turn, first;
        bool taken;
        int repaints;
    } steps[] = {
        {panel_x, 300, 3, 3, true, 1},
        {panel_x, 300, -5, 0, true, 1},      // no further than the top
        {panel_x, 300, -3, 0, true, 0},      // already there: nothing to repaint
        {bar_x, 490, 1000, rows - shown, true, 1},
        {scale_fixture::distance_x, 300, 3, rows - shown, false, 0},  // another column
        {panel_x, 50, 3, rows - shown, false, 0},                     // above the column
    };
    for (const auto& s : steps) {
        host.clear();
        EXPECT_EQ(mouse_wheel(s.x, s.y, s.turn, geometry, host), s.taken) << s.turn;
        EXPECT_EQ(geometry.details.first, s.first) << s.turn;
        EXPECT_EQ(host.count(HostCall::Invalidate), s.repaints) << s.turn;
    }
    geometry.details.last_first = 0;  // every line fits: the wheel is not the panel's
    EXPECT_FALSE(mouse_wheel(panel_x, 300, 3, geometry, host));
}

TEST_F(DetailsScrolling, ADragMovesTheLinesWithThePointerOrTheThumbAlongTheBar)
{
    const struct {
        const char* what;
        int x;
        int move_to;
        int first;
    } cases[] = {
        {"lines up three rows", panel_x, 300 - 3 * line, 3},
        {"lines up less than a row", panel_x, 300 - line + 1, 0},
        {"lines down past the top", panel_x, 300 + 5 * line, 0},
        {"thumb down a tenth", bar_x, 300 + 445 / 10, rows / 10},
        {"thumb down past the end", bar_x, 1000, rows - shown},
    };
    for (const auto& c : cases) {
        geometry.details.first = 0;
        host.clear();
        EXPECT_EQ(scale_value_at(c.x, 300, state, geometry), ScaleValue::Details) << c.what;
        mouse_down(MouseButton::Left, c.x, 300, state, camera, geometry, drag, host);
        EXPECT_EQ(drag.drag_state, DragState::DetailsScroll) << c.what;
        EXPECT_EQ(host.calls, (std::vector<HostCall>{HostCall::DragCursor, HostCall::Capture})) << c.what;
        mouse_move(c.x, c.move_to, state, camera, geometry, drag, host);
        EXPECT_EQ(geometry.details.first, c.first) << c.what;
        mouse_up(MouseButton::Left, c.x, c.move_to, state, camera, geometry, drag, host);
        EXPECT_EQ(drag.drag_state, DragState::Idle) << c.what;
        EXPECT_EQ(host.count(HostCall::Release), 1) << c.what;
    }
    // The right button, and a panel that does not scroll, start nothing.
    mouse_down(MouseButton::Right, panel_x, 300, state, camera, geometry, drag, host);
    EXPECT_EQ(drag.drag_state, DragState::Idle);
    geometry.details.last_first = 0;
    mouse_down(MouseButton::Left, panel_x, 300, state, camera, geometry, drag, host);
    EXPECT_EQ(drag.drag_state, DragState::Idle);
    EXPECT_EQ(scale_value_at(panel_x, 300, state, geometry), ScaleValue::None);
}

struct DetailsKeys : DetailsScrolling {
    std::unique_ptr<CameraTable> cameras = std::make_unique<CameraTable>();
    RecordingCommandHost commands;
    KeyFocus focus;

    bool press(Key k, bool shift = false, ScaleValue under_pointer = ScaleValue::None)
    {
        return key_down({{state, *cameras, commands}, focus, under_pointer, false, &geometry.details},
                        {k, false, shift, false});
    }
};

TEST_F(DetailsKeys, TabReachesThePanelWhileItScrollsAndTheKeysScrollIt)
{
    // The focus stacking values, then the panel.
    const ScaleValue order[] = {ScaleValue::Lens, ScaleValue::FarLimit, ScaleValue::NearLimit, ScaleValue::Details,
                                ScaleValue::Lens};
    for (const ScaleValue v : order) {
        EXPECT_TRUE(press(Key::Tab));
        EXPECT_EQ(focus_cue(focus, state.mode, true), v);
    }
    EXPECT_TRUE(press(Key::Tab, true));
    ASSERT_EQ(focus_cue(focus, state.mode, true), ScaleValue::Details);

    const struct {
        Key key;
        int first;
    } keys[] = {
        {Key::Down, 1}, {Key::PageDown, 1 + shown - 1}, {Key::End, rows - shown}, {Key::Down, rows - shown},
        {Key::PageUp, rows - 2 * shown + 1}, {Key::Up, rows - 2 * shown}, {Key::Home, 0},
    };
    const double near_limit = state.near_limit;
    for (const auto& k : keys) {
        EXPECT_TRUE(press(k.key));
        EXPECT_EQ(geometry.details.first, k.first) << static_cast<int>(k.key);
    }
    EXPECT_EQ(state.near_limit, near_limit) << "no value moved";

    // The pointer on the panel does the same without the focus; Home and End elsewhere are not ours.
    focus.shown = false;
    EXPECT_TRUE(press(Key::End, false, ScaleValue::Details));
    EXPECT_EQ(geometry.details.first, rows - shown);
    EXPECT_FALSE(press(Key::Home, false, ScaleValue::Lens));
    EXPECT_EQ(geometry.details.first, rows - shown);

    // A panel whose lines all fit is no stop for Tab.
    geometry.details.last_first = 0;
    focus = KeyFocus{};
    for (int i = 0; i < 4; ++i)
        press(Key::Tab);
    EXPECT_EQ(focus_cue(focus, state.mode, false), ScaleValue::Lens);
}

}  // namespace

// Scrolling the details panel when its lines do not all fit: the wheel, a drag of the lines or of
// the scroll bar's thumb, and the keys, with the pointer on the panel or the Tab focus on it.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "app/keyboard.h"
#include "display/details_panel.h"
#include "app/mouse_input.h"
#include "calc/recompute.h"
#include "support/recording_command_host.h"
#include "support/recording_mouse_host.h"
#include "support/scale_fixture.h"

namespace {

constexpr int rows = 103, shown = 20, last = rows - shown;  // a stack of 100 images
constexpr int lines_x = 600, bar_x = 690, y = 300;

struct DetailsScrolling : ::testing::Test {
    CalcState state;
    Camera camera = scale_fixture::camera();
    ScaleGeometry g = scale_fixture::geometry();
    DragContext drag;
    RecordingMouseHost host;
    std::unique_ptr<CameraTable> cameras = std::make_unique<CameraTable>();
    RecordingCommandHost commands;
    KeyFocus focus;

    void SetUp() override
    {
        state.mode = Mode::FocusStacking;
        recompute(state, camera, true);
        g.line_height = 16;
        column(g, Column::Details).column = {495, 60, 705, 505};
        g.details = {0, last, shown, rows, {690, 60, 695, 505}};
    }
    bool press(Key k, ScaleValue under_pointer = ScaleValue::None, bool shift = false)
    {
        return key_down({{state, *cameras, commands}, focus, under_pointer, false, &g.details}, {k, false, shift, false});
    }
};

TEST_F(DetailsScrolling, TheWheelAndADragOfTheLinesOrOfTheThumbScrollWithinTheRange)
{
    const struct {
        int x, y, turn, first;
        bool taken;
    } wheel[] = {{lines_x, y, 3, 3, true}, {lines_x, y, -5, 0, true}, {bar_x, 490, 1000, last, true},
                 {scale_fixture::distance_x, y, 3, last, false}, {lines_x, 50, 3, last, false}};
    for (const auto& w : wheel) {
        EXPECT_EQ(mouse_wheel(w.x, w.y, w.turn, g, host), w.taken) << w.turn;
        EXPECT_EQ(g.details.first, w.first) << w.turn;
    }
    // The lines follow the pointer a row per line height; the thumb covers all rows along the bar.
    const struct {
        int x, to, first;
    } drags[] = {{lines_x, y - 3 * 16, 3}, {lines_x, y - 15, 0}, {lines_x, y + 80, 0}, {bar_x, y + 44, 10},
                 {bar_x, 1000, last}};
    for (const auto& d : drags) {
        g.details.first = 0;
        host.clear();
        EXPECT_EQ(scale_value_at(d.x, y, state, g), ScaleValue::Details);
        mouse_down(MouseButton::Left, d.x, y, state, camera, g, drag, host);
        mouse_move(d.x, d.to, state, camera, g, drag, host);
        EXPECT_EQ(g.details.first, d.first) << d.x << " to " << d.to;
        mouse_up(MouseButton::Left, d.x, d.to, state, camera, g, drag, host);
        EXPECT_EQ(host.calls.front(), HostCall::DragCursor);
        EXPECT_EQ(host.count(HostCall::Capture), 1);
        EXPECT_EQ(host.count(HostCall::Release), 1);
    }
    // A panel whose lines all fit takes neither the wheel nor a press.
    g.details.last_first = 0;
    EXPECT_FALSE(mouse_wheel(lines_x, y, 3, g, host));
    mouse_down(MouseButton::Left, lines_x, y, state, camera, g, drag, host);
    EXPECT_EQ(drag.drag_state, DragState::Idle);
}

TEST_F(DetailsScrolling, TabReachesThePanelWhileItScrollsAndTheKeysScrollIt)
{
    for (const ScaleValue v : {ScaleValue::Lens, ScaleValue::FarLimit, ScaleValue::NearLimit, ScaleValue::Details}) {
        EXPECT_TRUE(press(Key::Tab));
        EXPECT_EQ(focus_cue(focus, state.mode, true), v);
    }
    const double near_limit = state.near_limit;
    for (const auto& [key, first] : {std::pair{Key::Down, 1}, {Key::PageDown, shown}, {Key::End, last},
                                      {Key::Down, last}, {Key::PageUp, last - shown + 1}, {Key::Home, 0}}) {
        EXPECT_TRUE(press(key));
        EXPECT_EQ(g.details.first, first) << static_cast<int>(key);
    }
    EXPECT_EQ(state.near_limit, near_limit) << "no value moved";
    // The pointer on the panel does the same without the focus; Home and End elsewhere are not ours.
    focus.shown = false;
    EXPECT_TRUE(press(Key::End, ScaleValue::Details));
    EXPECT_FALSE(press(Key::Home, ScaleValue::Lens));
    EXPECT_EQ(g.details.first, last);
    // A panel whose lines all fit is no stop for Tab.
    g.details.last_first = 0;
    EXPECT_TRUE(press(Key::Tab));
    EXPECT_EQ(focus_cue(focus, state.mode, false), ScaleValue::Lens);
}

TEST(DetailsFlow, AStackOfManyImagesFillsEveryColumnTheWidthHoldsAndScrollsOnlyTheRest)
{
    // Lines from x = 110 to 1110, 7 rows of 16; text columns 200 wide, 10 apart: 4 columns of 242.
    // 100 images, 104 rows with two gaps near the end: from row 77 on the last 27 fill the columns.
    CalcState state;
    state.mode = Mode::FocusStacking;
    state.ni = 100;
    const Camera camera = scale_fixture::camera();
    recompute(state, camera, true);
    auto text = std::make_unique<PanelText>();
    panel_text(state, camera, *text);
    ScaleGeometry g;
    g.u = 5;
    g.line_height = 16;
    g.w25 = 210;
    column(g, Column::Details).column = {100, 50, 1130, 50 + 7 * 16};
    column(g, Column::Details).scale = {110, 70, 1120, 140};
    for (const int first : {0, 1, 40, 76, 77, 500}) {
        DetailsPlacement p;
        place_details(*text, g, first, p);
        const int top = std::min(first, 77);
        EXPECT_EQ((std::array{p.columns, p.scroll.rows, p.scroll.last_first, p.scroll.first, p.scroll.shown}),
                  (std::array{4, 104, 77, top, top >= 76 ? 27 : 28})) << first;
        for (int k = 0; k < 24; ++k)
            EXPECT_EQ(p.at[static_cast<std::size_t>(top + k)], (Rect{110 + k / 7 * 252, 50 + k % 7 * 16, 352 + k / 7 * 252,
                                                                      66 + k % 7 * 16})) << k << ", " << first;
    }
}

}  // namespace

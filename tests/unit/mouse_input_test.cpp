// Mouse input on the scales, fed as press / move / release sequences: hit tests, drag starts,
// capture and cursors, the aperture scale, the release table and the hover cursors.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/mouse_input.h"
#include "calc/recompute.h"
#include "display/mapping.h"
#include "support/allocation_counter.h"
#include "support/recording_mouse_host.h"
#include "support/scale_fixture.h"

namespace {

using scale_fixture::aperture_x;
using scale_fixture::blur_x;
using scale_fixture::distance_x;
using scale_fixture::lens_x;

using Calls = std::vector<HostCall>;

constexpr int outside_x = 90;  // between the lens and aperture scales

struct MouseInput : ::testing::Test {
    CalcState state;
    Camera camera = scale_fixture::camera();
    ScaleGeometry geometry = scale_fixture::geometry();
    DragContext drag;
    RecordingMouseHost host;

    void SetUp() override
    {
        state.units = DistanceUnit::Millimetre;
        recompute(state, camera, true);
        geometry.near_row = 320;
        geometry.focus_row = 300;
        geometry.far_row = 280;
    }
    void down(MouseButton b, int x, int y) { mouse_down(b, x, y, state, camera, geometry, drag, host); }
    void move(int x, int y) { mouse_move(x, y, state, camera, geometry, drag, host); }
    void up(MouseButton b, int x, int y) { mouse_up(b, x, y, state, camera, geometry, drag, host); }
    void set_mode(Mode m)
    {
        state.mode = m;
        recompute(state, camera, true);
    }
};

constexpr MouseButton left = MouseButton::Left;
constexpr MouseButton right = MouseButton::Right;

// ---- Starting drags: hit tests, capture, cursor ---------------------------------------------

TEST_F(MouseInput, EachScaleStartsItsDragAndCapturesTheMouse)
{
    const struct {
        const char* what;
        Mode mode;
        MouseButton button;
        int x;
        DragState started;
    } cases[] = {
        {"distance, left", Mode::DepthOfField, left, distance_x, DragState::FocusLine},
        {"distance, right", Mode::DepthOfField, right, distance_x, DragState::MaxblurDrag},
        {"distance, right, Blur", Mode::Blur, right, distance_x, DragState::MaxblurDrag},
        {"aperture, left", Mode::DepthOfField, left, aperture_x, DragState::ApertureDrag},
        {"aperture, Macro", Mode::Macro, left, aperture_x, DragState::ApertureDrag},
        {"lens, left", Mode::BestFStop, left, lens_x, DragState::LensDrag},
        {"lens, right", Mode::FocusStacking, right, lens_x, DragState::LensZoom},
        {"lens, Macro", Mode::Macro, left, lens_x, DragState::LensDrag},
        {"blur, left", Mode::DepthOfField, left, blur_x, DragState::BlurDrag},
        {"blur, left, Macro", Mode::Macro, left, blur_x, DragState::BlurDrag},
        {"blur, right, Blur", Mode::Blur, right, blur_x, DragState::BlurZoom},
        {"blur, right, BestFStop", Mode::BestFStop, right, blur_x, DragState::BlurZoom},
    };
    for (const auto& c : cases) {
        set_mode(c.mode);
        drag = DragContext{};
        host.clear();
        down(c.button, c.x, 300);
        EXPECT_EQ(drag.drag_state, c.started) << c.what;
        EXPECT_EQ(host.count(HostCall::Capture), 1) << c.what;
        EXPECT_EQ(host.count(HostCall::DragCursor), 1) << c.what;
        EXPECT_EQ(host.count(HostCall::Release), 0) << c.what;
        EXPECT_LE(host.count(HostCall::Invalidate), 1) << c.what;
    }
}

TEST_F(MouseInput, PressesThatStartNothing)
{
    const struct {
        const char* what;
        Mode mode;
        MouseButton button;
        int x, y;
    } cases[] = {
        {"distance in Macro", Mode::Macro, left, distance_x, 300},
        {"distance right in Macro", Mode::Macro, right, distance_x, 300},
        {"aperture in BestFStop", Mode::BestFStop, left, aperture_x, 300},
        {"aperture in FocusStacking", Mode::FocusStacking, right, aperture_x, 300},
        {"aperture right (two fingers): it has no zoom", Mode::DepthOfField, right, aperture_x, 300},
        {"blur left in Blur", Mode::Blur, left, blur_x, 300},
        {"blur left in BestFStop", Mode::BestFStop, left, blur_x, 300},
        {"blur left in FocusStacking", Mode::FocusStacking, left, blur_x, 300},
        {"between scales", Mode::DepthOfField, left, outside_x, 300},
        {"above the scales", Mode::DepthOfField, left, distance_x, 99},
        {"bottom edge (outside, as PtInRect)", Mode::DepthOfField, left, distance_x, 500},
        {"right edge (outside)", Mode::DepthOfField, left, scale_fixture::lens.right, 300},
    };
    for (const auto& c : cases) {
        set_mode(c.mode);
        const CalcState before = state;
        drag = DragContext{};
        host.clear();
        down(c.button, c.x, c.y);
        EXPECT_EQ(drag.drag_state, DragState::Idle) << c.what;
        EXPECT_EQ(host.calls, Calls{}) << c.what;
        EXPECT_EQ(state.f_stop, before.f_stop) << c.what;
        EXPECT_EQ(state.focus_at, before.focus_at) << c.what;
        EXPECT_EQ(state.blur_threshold, before.blur_threshold) << c.what;
        // The release that follows (a double click's second press arrives as a message the
        // window does not forward) finds nothing to end.
        up(c.button, c.x, c.y);
        EXPECT_EQ(host.calls, Calls{}) << c.what;
    }
}

TEST_F(MouseInput, TheTopRowAndLeftColumnOfAScaleAreInside)
{
    down(left, scale_fixture::distance.left, 100);
    EXPECT_EQ(drag.drag_state, DragState::FocusLine);
    up(left, 0, 0);
    down(left, scale_fixture::distance.right - 1, 499);
    EXPECT_EQ(drag.drag_state, DragState::FocusLine);
}

TEST_F(MouseInput, APressOnTheDistanceColumnSetsTheFocusAndRepaintsOnce)
{
    state.maxblur_near = 1000;  // a window chosen by hand: row 300 is 1600 mm
    state.maxblur_far = 4000;
    down(left, distance_x, 300);
    EXPECT_NEAR(state.focus_at, 1600, 1e-9);
    EXPECT_EQ(host.count(HostCall::Invalidate), 1);
    EXPECT_EQ(host.count(HostCall::Capture), 1);
}

TEST_F(MouseInput, ASecondPressRestartsTheDispatch)
{
    down(left, lens_x, 300);
    ASSERT_EQ(drag.drag_state, DragState::LensDrag);
    host.clear();
    down(right, blur_x, 300);
    EXPECT_EQ(drag.drag_state, DragState::BlurZoom);
    EXPECT_EQ(host.count(HostCall::Capture), 1);

    host.clear();
    down(right, outside_x, 300);  // nothing there: the drag is dropped and the mouse let go
    EXPECT_EQ(drag.drag_state, DragState::Idle);
    EXPECT_EQ(host.calls, (Calls{HostCall::Release, HostCall::ArrowCursor}));
    host.clear();
    up(right, outside_x, 300);
    EXPECT_EQ(host.calls, Calls{});
}

// ---- Moves: one recompute, one repaint ------------------------------------------------------

TEST_F(MouseInput, EveryMoveThatChangesAValueRepaintsExactlyOnce)
{
    state.maxblur_near = 1000;
    state.maxblur_far = 4000;
    down(left, distance_x, 300);
    host.clear();
    for (int y : {250, 200, 150, 100})
        move(distance_x, y);
    EXPECT_EQ(host.calls, Calls(4, HostCall::Invalidate)) << "the cursor is left alone during a drag";
    host.clear();
    move(distance_x, 60);  // clamped to the top row again: same value, nothing to repaint
    EXPECT_EQ(host.calls, Calls{});
}

TEST_F(MouseInput, MovesOutsideTheScaleKeepDraggingIt)
{
    down(left, lens_x, 300);
    const double before = state.focal_length;
    move(700, 250);  // far to the right, in the blur column's x range: still the lens drag
    EXPECT_LT(state.focal_length, before);
    EXPECT_EQ(drag.drag_state, DragState::LensDrag);
    EXPECT_EQ(state.blur_threshold, 1);
}

TEST_F(MouseInput, LensDragMapsThroughTheWindowSavedAtThePress)
{
    // The defaults: 50 mm, zoom 5, so the window is 250/9 .. 250 mm.
    down(left, lens_x, 300);
    EXPECT_EQ(drag.saved_fl_high, 250);
    EXPECT_NEAR(drag.saved_fl_low, 250.0 / 9, 1e-12);
    EXPECT_EQ(drag.lens_origin_y, 300);
    EXPECT_EQ(state.focal_length, 50) << "a click without moving keeps the centred value";
    EXPECT_EQ(host.count(HostCall::Invalidate), 0);

    move(lens_x, 200);
    EXPECT_NEAR(state.focal_length, 35.5, 1e-12);
    EXPECT_NEAR(state.fl_high, 177.5, 1e-9);  // re-centred
    move(lens_x, 100);
    EXPECT_NEAR(state.focal_length, 28, 1e-12);  // the saved window's bottom
    EXPECT_EQ(drag.saved_fl_high, 250);
}

TEST_F(MouseInput, ClicksWithoutAMoveChangeNoValueOnScalesOfAnyHeight)
{
    // Without snapping nothing rounds a value back: a press that read the value half a row off the
    // middle of an odd-height scale crept by a step per click (50 -> 50.09 -> 50.18 mm).
    const struct {
        const char* what;
        Mode mode;
        int x;
        double CalcState::*value;
    } cases[] = {
        {"focal length", Mode::DepthOfField, lens_x, &CalcState::focal_length},
        {"blur threshold", Mode::DepthOfField, blur_x, &CalcState::blur_threshold},
        {"field width", Mode::Macro, lens_x, &CalcState::fov},
        {"blur threshold, Macro", Mode::Macro, blur_x, &CalcState::blur_threshold},
    };
    state.snap = 0;
    for (const int bottom : {500, 501}) {
        column(geometry, Column::Lens).scale.bottom = bottom;
        column(geometry, Column::Blur).scale.bottom = bottom;
        for (const auto& c : cases) {
            set_mode(c.mode);
            const double before = state.*c.value;
            for (int click = 0; click < 3; ++click) {
                down(left, c.x, 301);
                up(left, c.x, 301);
                EXPECT_EQ(state.*c.value, before) << c.what << ", bottom " << bottom << ", click " << click;
            }
            down(left, c.x, 301);  // away and back to the press row: the value at the press again
            move(c.x, 240);
            EXPECT_NE(state.*c.value, before) << c.what;
            move(c.x, 301);
            EXPECT_EQ(state.*c.value, before) << c.what << ", bottom " << bottom;
            up(left, c.x, 301);
        }
    }

    // A value whose window is clamped at the top sits above the middle row; a click on its marker,
    // with snapping on, changes nothing either (5000 mm once jumped to 2000 mm).
    state.snap = 1;
    column(geometry, Column::Lens).scale.bottom = 500;
    column(geometry, Column::Blur).scale.bottom = 500;
    const double large[] = {5000, 300, 5000, 300};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        state.*c.value = large[i];
        set_mode(c.mode);
        const Rect scale = column(geometry, c.x == lens_x ? Column::Lens : Column::Blur).scale;
        const int marker = c.x == lens_x ? lens_row(state, scale, large[i]) : blur_row(state, scale, large[i]);
        ASSERT_LT(marker, 299) << c.what << ": the window is not clamped";
        down(left, c.x, marker);
        up(left, c.x, marker);
        EXPECT_EQ(state.*c.value, large[i]) << c.what;
    }
}

TEST_F(MouseInput, LensZoomSavesTheZoomsAndAClickStillRecomputes)
{
    state.fl_low = state.fl_high = 0;  // shows whether the click re-centred
    down(right, lens_x, 300);
    EXPECT_EQ(drag.drag_state, DragState::LensZoom);
    EXPECT_EQ(drag.saved_fl_zoom, 5);
    EXPECT_EQ(drag.saved_fov_zoom, 5);
    EXPECT_EQ(state.fl_zoom, 5);
    EXPECT_EQ(state.fl_high, 250);
    EXPECT_EQ(host.count(HostCall::Invalidate), 1);
    move(lens_x, 500);
    EXPECT_EQ(state.fl_zoom, 32);
    move(lens_x, 100);
    EXPECT_EQ(state.fl_zoom, 1.5);
}

TEST_F(MouseInput, BlurDragAndZoomSaveTheirWindow)
{
    down(left, blur_x, 300);
    EXPECT_EQ(drag.blur_origin_y, 300);
    EXPECT_EQ(drag.saved_blur_high, 5);
    EXPECT_NEAR(drag.saved_blur_low, 5.0 / 9, 1e-12);
    EXPECT_EQ(state.blur_threshold, 1);
    move(blur_x, 200);
    EXPECT_NEAR(state.blur_threshold, 0.71, 1e-12);
    up(left, blur_x, 200);

    down(right, blur_x, 250);
    EXPECT_EQ(drag.saved_blur_zoom, 5);
    EXPECT_EQ(drag.blur_origin_y, 250);
    move(blur_x, 330);
    EXPECT_NEAR(state.blur_zoom, 25, 1e-9);
}

// ---- The aperture scale ---------------------------------------------------------------------

TEST_F(MouseInput, ApertureFromRowIsEvenInStopsAndSnapsToTheTable)
{
    // t = (500 - y) / 400; N = 2^(-0.5 + 7.5 t). Row 280: t = 0.55, N = 2^3.625 = 12.34, between
    // the half stops 2^3.5 and 2^3.75 and the third stops 2^3.5 and 2^(3.5 + 1/6).
    const struct {
        FStopIncrement increment;
        int snap;
        int y;
        double expected;
    } cases[] = {
        {FStopIncrement::HalfStop, 1, 280, std::pow(2, 3.5)},
        {FStopIncrement::ThirdStop, 1, 280, std::pow(2, 3.5 + 1.0 / 6)},
        {FStopIncrement::HalfStop, 0, 280, std::pow(2, 3.625)},
        {FStopIncrement::HalfStop, 1, 100, 128},
        {FStopIncrement::ThirdStop, 1, 40, 128},  // above the scale: clamped
        {FStopIncrement::HalfStop, 1, 500, std::sqrt(0.5)},
        {FStopIncrement::HalfStop, 0, 900, std::sqrt(0.5)},
        {FStopIncrement::HalfStop, 1, 260, 16},
        {FStopIncrement::ThirdStop, 0, 300, std::pow(2, 3.25)},
    };
    for (const auto& c : cases) {
        state.f_stop_increment = c.increment;
        state.snap = c.snap;
        EXPECT_NEAR(aperture_from_row(c.y, state, geometry), c.expected, 1e-9 * c.expected) << "y = " << c.y;
    }
}

TEST_F(MouseInput, AnApertureClickJumpsToTheStopUnderThePointer)
{
    down(left, aperture_x, 280);
    EXPECT_NEAR(state.f_stop, std::pow(2, 3.5), 1e-9);
    EXPECT_NEAR(state.effective_f_stop, std::pow(2, 3.5), 1e-9);
    EXPECT_EQ(host.count(HostCall::Invalidate), 1);

    up(left, aperture_x, 280);
    state.teleconverter = 2;
    state.f_stop_increment = FStopIncrement::ThirdStop;
    host.clear();
    down(left, aperture_x, 280);
    EXPECT_NEAR(state.f_stop, std::pow(2, 3.5 + 1.0 / 6), 1e-9);
    EXPECT_NEAR(state.effective_f_stop, 2 * std::pow(2, 3.5 + 1.0 / 6), 1e-9);
}

TEST_F(MouseInput, ApertureMovesKeepTheDistanceWindowUntilTheRelease)
{
    down(left, aperture_x, 260);  // f/16, re-centred
    ASSERT_NEAR(state.f_stop, 16, 1e-9);
    const double near_at_16 = state.maxblur_near;
    host.clear();
    move(aperture_x, 153);  // t = 0.8675: 2^6.006 -> f/64
    EXPECT_NEAR(state.f_stop, 64, 1e-9);
    EXPECT_EQ(state.maxblur_near, near_at_16);
    EXPECT_EQ(host.calls, Calls{HostCall::Invalidate});
    host.clear();
    move(aperture_x, 154);  // 2^5.9875: still f/64
    EXPECT_EQ(host.calls, Calls{});
    up(left, aperture_x, 154);
    EXPECT_NE(state.maxblur_near, near_at_16);
    EXPECT_EQ(drag.drag_state, DragState::Idle);
}

TEST_F(MouseInput, ApertureIsIgnoredWhereTheProgramChoosesIt)
{
    for (Mode m : {Mode::BestFStop, Mode::FocusStacking}) {
        set_mode(m);
        host.clear();
        const double f_stop = state.f_stop;
        for (MouseButton b : {left, right}) {
            down(b, aperture_x, 150);
            EXPECT_EQ(state.f_stop, f_stop);
            EXPECT_EQ(drag.drag_state, DragState::Idle);
        }
        EXPECT_EQ(host.calls, Calls{});
    }
}

// ---- The release table ----------------------------------------------------------------------

struct ReleaseCase {
    const char* what;
    Mode mode;
    MouseButton press;
    int x;
    MouseButton release;
    bool recomputes;
};

TEST_F(MouseInput, ReleasesEndEveryDragAsTheTableSays)
{
    const ReleaseCase cases[] = {
        {"focus line, left", Mode::DepthOfField, left, distance_x, left, true},
        {"focus line, right", Mode::DepthOfField, left, distance_x, right, false},
        {"limit, left", Mode::BestFStop, left, distance_x, left, true},
        {"Blur focus line, right", Mode::Blur, left, distance_x, right, false},
        {"maxblur, left", Mode::DepthOfField, right, distance_x, left, false},
        {"maxblur, right", Mode::FocusStacking, right, distance_x, right, false},
        {"lens, left", Mode::DepthOfField, left, lens_x, left, true},
        {"lens, right", Mode::Macro, left, lens_x, right, true},
        {"blur, left", Mode::DepthOfField, left, blur_x, left, true},
        {"blur, right", Mode::Macro, left, blur_x, right, true},
        {"lens zoom, left", Mode::DepthOfField, right, lens_x, left, false},
        {"lens zoom, right", Mode::DepthOfField, right, lens_x, right, true},
        {"blur zoom, left", Mode::Blur, right, blur_x, left, false},
        {"blur zoom, right", Mode::BestFStop, right, blur_x, right, true},
        {"aperture, left", Mode::DepthOfField, left, aperture_x, left, true},
        {"aperture, right", Mode::DepthOfField, left, aperture_x, right, true},
    };
    for (const ReleaseCase& c : cases) {
        set_mode(c.mode);
        drag = DragContext{};
        down(c.press, c.x, 300);
        // Spoil the distance window so that a re-centring recompute shows.
        state.maxblur_near = 1;
        host.clear();
        up(c.release, c.x, 300);
        EXPECT_EQ(drag.drag_state, DragState::Idle) << c.what;
        const Calls ended{HostCall::Release, HostCall::ArrowCursor};
        Calls expected = ended;
        if (c.recomputes)
            expected.push_back(HostCall::Invalidate);
        EXPECT_EQ(host.calls, expected) << c.what;
        EXPECT_EQ(state.maxblur_near != 1, c.recomputes) << c.what;
    }
}

TEST_F(MouseInput, ARightReleaseOnTheApertureStoresTheStopAndRecentres)
{
    down(left, aperture_x, 260);  // f/16
    host.clear();
    up(right, aperture_x, 153);   // f/64
    EXPECT_NEAR(state.f_stop, 64, 1e-9);
    EXPECT_EQ(host.calls, (Calls{HostCall::Release, HostCall::ArrowCursor, HostCall::Invalidate}));

    // A drag whose last move already set the stop: the right release still re-centres the
    // distance window on the new depth of field.
    down(left, aperture_x, 153);
    move(aperture_x, 260);
    ASSERT_NEAR(state.f_stop, 16, 1e-9);
    state.maxblur_near = 1;  // spoiled: only a re-centring recompute puts it right
    host.clear();
    up(right, aperture_x, 260);
    EXPECT_NE(state.maxblur_near, 1);
    EXPECT_EQ(host.calls, (Calls{HostCall::Release, HostCall::ArrowCursor, HostCall::Invalidate}));
}

TEST_F(MouseInput, ALeftReleaseOnTheApertureStoresTheStopUnderIt)
{
    down(left, aperture_x, 260);  // f/16
    up(left, aperture_x, 153);    // released over f/64 without a move in between
    EXPECT_NEAR(state.f_stop, 64, 1e-9);
    EXPECT_NEAR(state.effective_f_stop, 64, 1e-9);
}

TEST_F(MouseInput, ALeftReleaseDuringARightZoomKeepsTheZoomWithoutRecomputing)
{
    down(right, blur_x, 300);
    move(blur_x, 380);
    ASSERT_NEAR(state.blur_zoom, 25, 1e-9);
    const double blur_high = state.blur_high;
    host.clear();
    up(left, blur_x, 420);
    EXPECT_NEAR(state.blur_zoom, 25, 1e-9);
    EXPECT_EQ(state.blur_high, blur_high);
    EXPECT_EQ(host.calls, (Calls{HostCall::Release, HostCall::ArrowCursor}));
    host.clear();
    up(right, blur_x, 420);  // the other button's release finds the drag already over
    EXPECT_EQ(host.calls, Calls{});
}

TEST_F(MouseInput, TheLastMaxblurStaysAfterARightRelease)
{
    down(right, distance_x, 300);
    move(distance_x, 380);
    ASSERT_NEAR(state.maxblur, 80, 1e-9);
    up(right, distance_x, 100);
    EXPECT_NEAR(state.maxblur, 80, 1e-9);
}

// ---- Hover cursors --------------------------------------------------------------------------

TEST_F(MouseInput, HoverCursorsFollowTheTable)
{
    // Rows: near 320, focus 300, far 280 (set up by the fixture).
    const struct {
        Mode mode;
        int x, y;
        Calls cursor;
    } cases[] = {
        {Mode::DepthOfField, distance_x, 450, {HostCall::DragCursor}},
        {Mode::BestFStop, distance_x, 325, {HostCall::DragCursor}},
        {Mode::BestFStop, distance_x, 326, {HostCall::ArrowCursor}},
        {Mode::BestFStop, distance_x, 275, {HostCall::DragCursor}},
        {Mode::BestFStop, distance_x, 300, {HostCall::ArrowCursor}},  // the focus line is computed here
        {Mode::FocusStacking, distance_x, 274, {HostCall::ArrowCursor}},
        {Mode::FocusStacking, distance_x, 315, {HostCall::DragCursor}},
        {Mode::Blur, distance_x, 305, {HostCall::DragCursor}},
        {Mode::Blur, distance_x, 290, {HostCall::ArrowCursor}},  // near the far row, which Blur lacks
        {Mode::Blur, distance_x, 325, {HostCall::DragCursor}},
        {Mode::Macro, distance_x, 300, {}},  // left as it is
        {Mode::DepthOfField, aperture_x, 300, {HostCall::DragCursor}},
        {Mode::Blur, aperture_x, 300, {HostCall::DragCursor}},
        {Mode::Macro, aperture_x, 300, {HostCall::DragCursor}},
        {Mode::BestFStop, aperture_x, 300, {HostCall::ArrowCursor}},
        {Mode::FocusStacking, aperture_x, 300, {HostCall::ArrowCursor}},
        {Mode::BestFStop, lens_x, 300, {HostCall::DragCursor}},
        {Mode::Macro, lens_x, 300, {HostCall::DragCursor}},
        {Mode::DepthOfField, blur_x, 300, {HostCall::DragCursor}},
        {Mode::Macro, blur_x, 300, {HostCall::DragCursor}},
        {Mode::Blur, blur_x, 300, {HostCall::ArrowCursor}},
        {Mode::BestFStop, blur_x, 300, {HostCall::ArrowCursor}},
        {Mode::DepthOfField, outside_x, 300, {HostCall::ArrowCursor}},
        {Mode::DepthOfField, distance_x, 50, {HostCall::ArrowCursor}},
        {Mode::DepthOfField, distance_x, 500, {HostCall::ArrowCursor}},
    };
    for (const auto& c : cases) {
        state.mode = c.mode;
        host.clear();
        const CalcState before = state;
        move(c.x, c.y);
        EXPECT_EQ(host.calls, c.cursor) << "mode " << static_cast<int>(c.mode) << " at " << c.x << ", " << c.y;
        EXPECT_EQ(state.focus_at, before.focus_at);
    }
}

// ---- Nothing allocates ----------------------------------------------------------------------

TEST_F(MouseInput, DragsAllocateNothing)
{
    struct CountingHost : MouseHost {
        int calls = 0;
        void capture_mouse() override { ++calls; }
        void release_mouse() override { ++calls; }
        void set_cursor(CursorKind) override { ++calls; }
        void invalidate() override { ++calls; }
    } counting;
    const struct {
        Mode mode;
        MouseButton button;
        int x;
    } drags[] = {
        {Mode::DepthOfField, left, distance_x}, {Mode::BestFStop, left, distance_x},
        {Mode::FocusStacking, left, distance_x}, {Mode::Blur, right, distance_x},
        {Mode::DepthOfField, left, aperture_x}, {Mode::Macro, left, lens_x},
        {Mode::DepthOfField, right, lens_x}, {Mode::DepthOfField, left, blur_x},
        {Mode::Blur, right, blur_x},
    };
    const long before = allocation_count();
    for (const auto& d : drags) {
        state.mode = d.mode;
        mouse_move(d.x, 310, state, camera, geometry, drag, counting);
        mouse_down(d.button, d.x, 300, state, camera, geometry, drag, counting);
        for (int y : {280, 200, 120, 450, 90})
            mouse_move(d.x, y, state, camera, geometry, drag, counting);
        mouse_up(d.button, d.x, 90, state, camera, geometry, drag, counting);
    }
    EXPECT_EQ(allocation_count(), before);
    EXPECT_GT(counting.calls, 0);
}

}  // namespace

// ---- Losing the capture to another window ------------------------------------------------------

TEST_F(MouseInput, LosingTheCaptureEndsTheDragWhereTheLastMoveLeftIt)
{
    for (const MouseButton button : {left, right}) {
        set_mode(Mode::DepthOfField);
        down(button, lens_x, 300);
        move(lens_x, 280);
        const double focal_length = state.focal_length;
        ASSERT_NE(drag.drag_state, DragState::Idle);
        host.clear();

        mouse_capture_lost(state, camera, drag, host);

        EXPECT_EQ(drag.drag_state, DragState::Idle);
        EXPECT_EQ(host.calls, (Calls{HostCall::ArrowCursor, HostCall::Invalidate}))
            << "the capture already belongs elsewhere and must not be released";
        EXPECT_EQ(state.focal_length, focal_length);
        // The windows re-centre as after a release.
        EXPECT_NEAR(recip_fraction(state.focal_length, state.fl_low, state.fl_high), 0.5, 1e-9);

        host.clear();
        move(lens_x, 200);  // no button any more: the scale must not follow the pointer
        EXPECT_EQ(state.focal_length, focal_length);
        EXPECT_EQ(host.count(HostCall::Invalidate), 0);
    }
}

TEST_F(MouseInput, LosingTheCaptureWhileIdleOrAfterOurOwnReleaseDoesNothing)
{
    mouse_capture_lost(state, camera, drag, host);
    EXPECT_TRUE(host.calls.empty());

    down(left, distance_x, 300);
    up(left, distance_x, 300);
    host.clear();
    mouse_capture_lost(state, camera, drag, host);  // the notice our own release causes
    EXPECT_TRUE(host.calls.empty());
}

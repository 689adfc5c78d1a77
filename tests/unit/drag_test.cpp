// Dragging on the scales, fed row by row: the distance column per mode, the maxblur drag,
// the lens and blur scales. Every scale in the fixture runs from row 100 (top) to 500 (bottom).
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "calc/snap.h"
#include "display/drag.h"
#include "display/mapping.h"
#include "support/scale_fixture.h"
#include "support/thin_lens.h"

namespace {

using scale_fixture::bottom;
using scale_fixture::top;

// Expected values below are worked out by hand from "the scale is linear in 1/value":
// with t = (500 - y) / 400, 1/v = 1/low - t * (1/low - 1/high). For the window 1000..4000 mm:
//   y = 100 -> 4000, 200 -> 2285.7, 203 -> 2256.7, 210 -> 2191.8, 250 -> 1882.4, 300 -> 1600,
//   380 -> 1290.3, 390 -> 1259.8, 397 -> 1239.3, 400 -> 1230.8, 450 -> 1103.4, 500 -> 1000;
// snapped in millimetres (steps of 10 from 500 up) they become 4000, 2290, 2260, 2190, 1880, 1600,
// 1290, 1260, 1240, 1230, 1100, 1000.

/// The f-number on the lens at which a thin lens focused midway (in 1/distance) between the near
/// limit n and `far` blurs n by exactly its Airy disk there: the defocus falls as 1/N and the disk
/// grows as N, so N^2 is their ratio at f/1.
double optimum_lens_f_stop(double n, double far, double f, double teleconverter, const Camera& camera)
{
    const double b = far > 0 ? 2 / (1 / n + 1 / far) : 2 * n;
    return std::sqrt(thin_lens::defocus_blur(f, 1, b, n) / thin_lens::focused_airy_disk(f, 1, camera.wavelength, b)) /
           teleconverter;
}

struct DragFixture : ::testing::Test {
    CalcState state;
    Camera camera = scale_fixture::camera();
    ScaleGeometry geometry = scale_fixture::geometry();
    DragContext drag;

    void SetUp() override
    {
        state.units = DistanceUnit::Millimetre;
        state.snap = 1;
        state.maxblur_near = 1000;
        state.maxblur_far = 4000;
    }
    void set_lens(double focal_length, double teleconverter = 1)
    {
        state.focal_length = focal_length;
        state.teleconverter = teleconverter;
        state.effective_focal_length = focal_length * teleconverter;
    }
    void set_rows(int near_row, int focus_row, int far_row)
    {
        geometry.near_row = near_row;
        geometry.focus_row = focus_row;
        geometry.far_row = far_row;
    }
    bool press(int y) { return distance_drag(DragMessage::LeftButtonDown, y, state, camera, geometry, drag); }
    bool right_press(int y)
    {
        return distance_drag(DragMessage::RightButtonDown, y, state, camera, geometry, drag);
    }
    bool move(int y) { return distance_drag(DragMessage::MouseMove, y, state, camera, geometry, drag); }
};

// ---- Fractions and zoom factor -------------------------------------------------------------

TEST(DragFractions, AbsoluteFractionRunsFromBottomToTopAndClamps)
{
    const Rect r = scale_fixture::distance;
    const struct {
        int y;
        double t;
    } cases[] = {{500, 0}, {100, 1}, {300, 0.5}, {400, 0.25}, {700, 0}, {-50, 1}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(absolute_fraction(c.y, r), c.t) << "y = " << c.y;
}

TEST(DragFractions, RelativeFractionIsHalfAtThePressAndFollowsThePointer)
{
    const Rect r = scale_fixture::lens;
    const struct {
        int y;
        int origin;
        double t;
    } cases[] = {
        {300, 300, 0.5}, {350, 350, 0.5}, {200, 300, 0.25}, {400, 300, 0.75},
        {100, 300, 0.0}, {500, 300, 1.0}, {250, 350, 0.25},
        {100, 500, 0.0},  // pressed on the bottom row, dragged over the full height: clamped
        {600, 300, 1.0},                                     // below the scale: clamped to row 500
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(relative_fraction(c.y, c.origin, r), c.t) << "y = " << c.y << ", origin " << c.origin;

    // An odd height: measured from the exact middle, the press row is exactly 0.5 all the same.
    const Rect odd{0, 100, 10, 501};
    EXPECT_EQ(relative_fraction(250, 250, odd), 0.5);
    EXPECT_EQ(relative_fraction(501, 501, odd), 0.5);
}

TEST(DragFractions, ZoomFactorIsFiveToTheFifthOverTheFullHeight)
{
    const Rect r = scale_fixture::blur;
    EXPECT_DOUBLE_EQ(zoom_factor(300, 300, r), 1);
    EXPECT_NEAR(zoom_factor(380, 300, r), 5, 1e-12);
    EXPECT_NEAR(zoom_factor(220, 300, r), 0.2, 1e-12);
    EXPECT_NEAR(zoom_factor(500, 100, r), 3125, 1e-9);
    EXPECT_NEAR(zoom_factor(100, 500, r), 1 / 3125.0, 1e-15);
    EXPECT_NEAR(zoom_factor(900, 300, r), std::pow(5, 2.5), 1e-9);  // clamped to the bottom row
    EXPECT_NEAR(zoom_factor(300, 700, r), std::pow(5, -5), 1e-15);  // the origin is not clamped
}

TEST(DragFractions, AScaleWithoutHeightIsHarmless)
{
    const Rect flat{0, 300, 10, 300};
    EXPECT_EQ(absolute_fraction(250, flat), 0);
    EXPECT_EQ(relative_fraction(250, 300, flat), 0.5);
    EXPECT_EQ(zoom_factor(250, 300, flat), 1);
}

// ---- DepthOfField: the focus line -----------------------------------------------------------

using DepthOfFieldDrag = DragFixture;

TEST_F(DepthOfFieldDrag, PressSetsFocusToTheSnappedDistanceUnderThePointer)
{
    const struct {
        DistanceUnit unit;
        int snap;
        int y;
        double focus_mm;
    } cases[] = {
        {DistanceUnit::Millimetre, 1, 300, 1600},
        {DistanceUnit::Millimetre, 1, 400, 1230},
        {DistanceUnit::Millimetre, 0, 400, 1 / 0.0008125},
        {DistanceUnit::Foot, 1, 400, 4.05 * 304.8},   // 4.038 ft, step 0.05
        {DistanceUnit::Inch, 1, 300, 63 * 25.4},      // 62.99 in, step 1
        {DistanceUnit::Metre, 1, 200, 2300},          // 2.2857 m, step 0.05
    };
    for (const auto& c : cases) {
        state.units = c.unit;
        state.snap = c.snap;
        state.focus_at = 5000;
        drag = DragContext{};
        set_rows(320, 300, 280);
        EXPECT_TRUE(press(c.y));
        EXPECT_EQ(drag.drag_state, DragState::FocusLine);
        EXPECT_NEAR(state.focus_at, c.focus_mm, 1e-6) << "y = " << c.y;
        EXPECT_EQ(state.maxblur_near, 1000) << "the window stays put while the button is held";
        EXPECT_EQ(state.maxblur_far, 4000);
    }
}

TEST_F(DepthOfFieldDrag, NearAndFarFollowTheFocus)
{
    set_rows(320, 300, 270);
    EXPECT_TRUE(press(200));
    EXPECT_EQ(drag.near_offset, 20);
    EXPECT_EQ(geometry.focus_row, 200);
    EXPECT_EQ(geometry.near_row, 220);
    EXPECT_EQ(geometry.far_row, 180);
    EXPECT_NEAR(state.focus_at, 2290, 1e-9);
    EXPECT_LT(state.near, state.focus_at);
    EXPECT_GT(state.far, state.focus_at);
    const double near_at_2290 = state.near;

    EXPECT_TRUE(move(400));
    EXPECT_EQ(geometry.focus_row, 400);
    EXPECT_EQ(geometry.near_row, 420);  // the offset taken at the press is kept
    EXPECT_EQ(geometry.far_row, 380);
    EXPECT_NEAR(state.focus_at, 1230, 1e-9);
    EXPECT_LT(state.near, near_at_2290);
    EXPECT_LT(state.near, state.focus_at);
}

TEST_F(DepthOfFieldDrag, ARepeatedValueRunsNoRecompute)
{
    set_rows(320, 300, 280);
    EXPECT_TRUE(press(300));   // 1600
    EXPECT_FALSE(move(301));   // 1595.2, snapped to 1600 again
    EXPECT_EQ(geometry.focus_row, 301);
    EXPECT_TRUE(move(310));    // 1553.4 -> 1550
    EXPECT_NEAR(state.focus_at, 1550, 1e-9);
}

TEST_F(DepthOfFieldDrag, TheTopOfAnInfiniteWindowIsInfinity)
{
    state.maxblur_far = -1;
    set_rows(320, 300, 280);
    EXPECT_TRUE(press(100));
    EXPECT_EQ(state.focus_at, -1);
    EXPECT_EQ(geometry.focus_row, 100);
    EXPECT_EQ(geometry.far_row, 100) << "the far line stops at the top of an infinite window";
    EXPECT_EQ(state.far, -1);

    EXPECT_TRUE(move(300));  // 1000 / (1 - 0.5)
    EXPECT_NEAR(state.focus_at, 2000, 1e-9);
    EXPECT_TRUE(move(40));   // above the scale: clamped to the top row
    EXPECT_EQ(state.focus_at, -1);
}

TEST_F(DepthOfFieldDrag, AFiniteWindowLetsTheFarRowGoAboveTheTop)
{
    set_rows(320, 300, 280);
    EXPECT_TRUE(press(100));
    EXPECT_NEAR(state.focus_at, 4000, 1e-9);
    EXPECT_EQ(geometry.far_row, 80);
}

// ---- The 2f rule -----------------------------------------------------------------------------

TEST_F(DragFixture, DraggedDistancesStayAtTwiceTheFocalLengthExceptTheObjectLine)
{
    // Window 112.5 mm .. infinity: row 400 (t = 0.25) is 112.5 / 0.75 = 150 mm.
    struct Case {
        const char* what;
        Mode mode;
        int near_row, focus_row, far_row;
        double near_limit;
        DragState line;
        double CalcState::*field;
        double expected;
    };
    const Case cases[] = {
        {"focus", Mode::DepthOfField, 320, 300, 280, 914.4, DragState::FocusLine, &CalcState::focus_at, 200},
        {"Blur focus", Mode::Blur, 100, 400, 0, 914.4, DragState::FocusLine, &CalcState::focus_at, 200},
        {"object", Mode::Blur, 400, 100, 0, 914.4, DragState::NearLine, &CalcState::blur_distance, 150},
        {"best near", Mode::BestFStop, 400, 0, 150, 914.4, DragState::NearLine, &CalcState::near_limit, 200},
        {"stack near", Mode::FocusStacking, 400, 0, 150, 914.4, DragState::NearLine, &CalcState::near_limit, 200},
        // The near limit of 120 is raised to 200 as well, and the equal limits are parted outwards.
        {"best far", Mode::BestFStop, 450, 0, 400, 120, DragState::FarLine, &CalcState::far_limit, 200 / 0.9},
        {"stack far", Mode::FocusStacking, 450, 0, 400, 120, DragState::FarLine, &CalcState::far_limit, 200 / 0.9},
    };
    for (const Case& c : cases) {
        state = CalcState{};
        SetUp();
        state.mode = c.mode;
        set_lens(100);
        state.maxblur_near = 112.5;
        state.maxblur_far = -1;
        state.near_limit = c.near_limit;
        state.far_limit = 5000;
        set_rows(c.near_row, c.focus_row, c.far_row);
        drag = DragContext{};
        press(400);
        EXPECT_EQ(drag.drag_state, c.line) << c.what;
        EXPECT_NEAR(state.*c.field, c.expected, 1e-9) << c.what;
    }
}

TEST_F(DepthOfFieldDrag, TheRuleUsesTheEffectiveFocalLength)
{
    set_lens(50, 2);  // 100 mm effective
    state.maxblur_near = 112.5;
    state.maxblur_far = -1;
    set_rows(320, 300, 280);
    press(400);
    EXPECT_NEAR(state.focus_at, 200, 1e-9);
}

// ---- BestFStop: near and far limits ---------------------------------------------------------

struct BestFStopDrag : DragFixture {
    void SetUp() override
    {
        DragFixture::SetUp();
        state.mode = Mode::BestFStop;
        state.near_limit = 1230;
        state.far_limit = 2290;
        set_rows(400, 300, 200);
    }
    void expect_lens_at_optimum(const char* when)
    {
        const double n = optimum_lens_f_stop(state.near_limit, state.far_limit, state.effective_focal_length,
                                             state.teleconverter, camera);
        EXPECT_NEAR(state.f_stop, n, 1e-9 * n) << when;
        EXPECT_NEAR(state.f_stop, state.optimum_f_stop, 1e-9 * n) << when;
        EXPECT_NE(state.f_stop, snap_f_stop(state, state.f_stop)) << when << ": the aperture is not snapped";
    }
};

TEST_F(BestFStopDrag, TheNearLineStaysThreeRowsBelowTheFarLine)
{
    EXPECT_TRUE(press(380));
    EXPECT_EQ(drag.drag_state, DragState::NearLine);
    EXPECT_NEAR(state.near_limit, 1290, 1e-9);
    EXPECT_EQ(geometry.near_row, 380);
    expect_lens_at_optimum("after the press");

    EXPECT_TRUE(move(202));  // two rows below the far line: refused, the aperture still follows
    EXPECT_NEAR(state.near_limit, 1290, 1e-9);
    EXPECT_EQ(geometry.near_row, 380);
    expect_lens_at_optimum("refused by row");

    EXPECT_TRUE(move(203));
    EXPECT_NEAR(state.near_limit, 2260, 1e-9);
    EXPECT_EQ(geometry.near_row, 203);
    expect_lens_at_optimum("three rows below");
}

TEST_F(BestFStopDrag, TheNearLimitRefusesTheFarValueAndBeyond)
{
    state.far_limit = 1600;
    geometry.far_row = 100;  // a stale far row leaves the values to decide
    EXPECT_TRUE(press(300)); // 1600, the far limit itself
    EXPECT_EQ(drag.drag_state, DragState::NearLine);
    EXPECT_NEAR(state.near_limit, 1230, 1e-9);
    EXPECT_EQ(geometry.near_row, 400);
    expect_lens_at_optimum("equal to the far limit");

    EXPECT_TRUE(move(390));
    EXPECT_NEAR(state.near_limit, 1260, 1e-9);
    EXPECT_TRUE(move(250));  // 1880, beyond the far limit
    EXPECT_NEAR(state.near_limit, 1260, 1e-9);
    EXPECT_EQ(geometry.near_row, 390);
    EXPECT_NEAR(state.far_limit, 1600, 1e-9);
    expect_lens_at_optimum("beyond the far limit");
}

TEST_F(BestFStopDrag, TheFarLineStaysThreeRowsAboveTheNearLine)
{
    EXPECT_TRUE(press(210));
    EXPECT_EQ(drag.drag_state, DragState::FarLine);
    EXPECT_NEAR(state.far_limit, 2190, 1e-9);
    EXPECT_TRUE(move(398));
    EXPECT_NEAR(state.far_limit, 2190, 1e-9);
    EXPECT_EQ(geometry.far_row, 210);
    expect_lens_at_optimum("refused by row");
    EXPECT_TRUE(move(397));
    EXPECT_NEAR(state.far_limit, 1240, 1e-9);
    EXPECT_EQ(geometry.far_row, 397);
    expect_lens_at_optimum("three rows above");
}

TEST_F(BestFStopDrag, TheFarLimitRefusesValuesBelowTheNearLimit)
{
    set_rows(480, 300, 440);
    EXPECT_TRUE(press(450));  // 1100 < 1230
    EXPECT_EQ(drag.drag_state, DragState::FarLine);
    EXPECT_NEAR(state.far_limit, 2290, 1e-9);
    EXPECT_EQ(geometry.far_row, 440);
    expect_lens_at_optimum("below the near limit");
}

TEST_F(BestFStopDrag, TheFarLimitReachesInfinityAndTheTeleconverterIsTakenOut)
{
    set_lens(50, 1.4);
    state.maxblur_far = -1;
    EXPECT_TRUE(press(150));
    EXPECT_EQ(drag.drag_state, DragState::FarLine);
    EXPECT_TRUE(move(100));
    EXPECT_EQ(state.far_limit, -1);
    EXPECT_NEAR(state.best_focus, 2 * 1230, 1e-9);
    expect_lens_at_optimum("far limit at infinity");
}

TEST_F(BestFStopDrag, ATieBetweenTheLinesTakesTheFarLimit)
{
    EXPECT_TRUE(press(300));
    EXPECT_EQ(drag.drag_state, DragState::FarLine);
}

// ---- Either limit mode: dragging one limit onto the other ------------------------------------

// A long lens and limits close together in feet: the snapped value under the pointer reaches the
// other limit exactly, and must be recognised as equal to it (and refused) however it was computed.
// With extra precision kept in a register, "equal" failed, the equal pair was stored, and the
// normalisation threw the dragged limit back by a tenth.
struct LimitOntoLimit {
    Mode mode;
    DragState line;
};

class LimitOntoTheOtherLimit : public DragFixture, public testing::WithParamInterface<LimitOntoLimit> {};

TEST_P(LimitOntoTheOtherLimit, IsRefusedRowByRowWithoutAJumpBack)
{
    const LimitOntoLimit c = GetParam();
    state.mode = c.mode;
    state.units = DistanceUnit::Foot;
    set_lens(200);
    state.near_limit = 10 * 304.8;
    state.far_limit = 12 * 304.8;
    recompute(state, camera, true);
    // A tall window: the snapped values step more slowly than the rows, so the other limit is reached
    // while the lines are still apart.
    Rect& scale = column(geometry, Column::Distance).scale;
    scale.bottom = 1300;
    set_rows(distance_row(state, scale, state.near_limit), 300, distance_row(state, scale, state.far_limit));
    const bool near_line = c.line == DragState::NearLine;
    const double other = near_line ? state.far_limit : state.near_limit;
    const int other_row = near_line ? geometry.far_row : geometry.near_row;
    int y = near_line ? geometry.near_row : geometry.far_row;
    press(y);
    ASSERT_EQ(drag.drag_state, c.line);

    const auto distance_at_row_is = [&](double value, int row) {
        return snap_distance(state, display_unit(state),
                             recip_value(absolute_fraction(row, scale), state.maxblur_near, state.maxblur_far)) == value;
    };
    double previous = near_line ? state.near_limit : state.far_limit;
    bool reached_other = false;
    for (const int step = near_line ? -1 : 1; y != other_row; y += step) {
        move(y);
        const double dragged = near_line ? state.near_limit : state.far_limit;
        EXPECT_NE(dragged, other) << "row " << y;
        EXPECT_EQ(near_line ? state.far_limit : state.near_limit, other) << "row " << y;
        if (near_line)
            EXPECT_GE(dragged, previous) << "row " << y << ": the near limit jumped back";
        else
            EXPECT_LE(dragged, previous) << "row " << y << ": the far limit jumped back";
        reached_other = reached_other || distance_at_row_is(other, y);
        previous = dragged;
    }
    EXPECT_TRUE(reached_other) << "no row on the way snapped to the other limit";
}

INSTANTIATE_TEST_SUITE_P(BothModesBothLines, LimitOntoTheOtherLimit,
                         testing::Values(LimitOntoLimit{Mode::BestFStop, DragState::NearLine},
                                         LimitOntoLimit{Mode::BestFStop, DragState::FarLine},
                                         LimitOntoLimit{Mode::FocusStacking, DragState::NearLine},
                                         LimitOntoLimit{Mode::FocusStacking, DragState::FarLine}));

// ---- FocusStacking: near and far limits -----------------------------------------------------

struct FocusStackingDrag : DragFixture {
    void SetUp() override
    {
        DragFixture::SetUp();
        state.mode = Mode::FocusStacking;
        state.near_limit = 1230;
        state.far_limit = 2290;
        set_rows(400, 300, 200);
    }
};

TEST_F(FocusStackingDrag, ALimitMovedTooCloseToTheOtherLineDoesNothing)
{
    EXPECT_TRUE(press(380));
    EXPECT_EQ(drag.drag_state, DragState::NearLine);
    EXPECT_NEAR(state.near_limit, 1290, 1e-9);
    const double f_stop = state.f_stop;
    EXPECT_FALSE(move(202));
    EXPECT_EQ(geometry.near_row, 380);
    EXPECT_NEAR(state.near_limit, 1290, 1e-9);
    EXPECT_EQ(state.f_stop, f_stop) << "the lens aperture is left alone in this mode";
    EXPECT_TRUE(move(203));
    EXPECT_NEAR(state.near_limit, 2260, 1e-9);
}

TEST_F(FocusStackingDrag, ARefusedValueStillMovesTheRow)
{
    state.far_limit = 1600;
    geometry.far_row = 100;
    EXPECT_FALSE(press(300));  // 1600 equals the far limit
    EXPECT_EQ(drag.drag_state, DragState::NearLine);
    EXPECT_EQ(geometry.near_row, 300);
    EXPECT_NEAR(state.near_limit, 1230, 1e-9);
    EXPECT_FALSE(move(250));   // 1880, beyond the far limit
    EXPECT_EQ(geometry.near_row, 250);
    EXPECT_NEAR(state.near_limit, 1230, 1e-9);
}

TEST_F(FocusStackingDrag, TheFarLimit)
{
    EXPECT_TRUE(press(210));
    EXPECT_EQ(drag.drag_state, DragState::FarLine);
    EXPECT_NEAR(state.far_limit, 2190, 1e-9);
    EXPECT_FALSE(move(398));
    EXPECT_EQ(geometry.far_row, 210);
    EXPECT_TRUE(move(397));
    EXPECT_NEAR(state.far_limit, 1240, 1e-9);
    EXPECT_EQ(geometry.far_row, 397);

    set_rows(480, 300, 440);
    EXPECT_FALSE(move(450));  // 1100, below the near limit: the row moves, the value does not
    EXPECT_EQ(geometry.far_row, 450);
    EXPECT_NEAR(state.far_limit, 1240, 1e-9);
}

TEST_F(FocusStackingDrag, ANearLimitRaisedByTheRuleCarriesTheFarLimit)
{
    set_lens(100);
    state.maxblur_near = 112.5;
    state.maxblur_far = -1;
    state.near_limit = 130;
    state.far_limit = 180;
    set_rows(450, 300, 100);
    EXPECT_TRUE(press(400));  // 150, raised to 200, past the far limit of 180
    EXPECT_NEAR(state.near_limit, 200, 1e-9);
    EXPECT_NEAR(state.far_limit, 200 / 0.9, 1e-9);  // carried, then parted beyond it
}

// ---- Blur: the object line and the focus line -----------------------------------------------

struct BlurModeDrag : DragFixture {
    void SetUp() override
    {
        DragFixture::SetUp();
        state.mode = Mode::Blur;
        state.maxblur_far = -1;  // window 1000 mm .. infinity
    }
};

TEST_F(BlurModeDrag, ThePressTakesTheNearerLineAndATieTakesTheFocus)
{
    const struct {
        int y;
        DragState line;
    } cases[] = {{360, DragState::NearLine}, {350, DragState::FocusLine}, {340, DragState::FocusLine},
                 {390, DragState::NearLine}, {480, DragState::NearLine}, {120, DragState::FocusLine}};
    for (const auto& c : cases) {
        set_rows(400, 300, 0);
        drag = DragContext{};
        press(c.y);
        EXPECT_EQ(drag.drag_state, c.line) << "y = " << c.y;
    }
}

TEST_F(BlurModeDrag, TheObjectLineTakesAnyDistanceUpToInfinity)
{
    set_lens(100);
    set_rows(420, 200, 0);
    EXPECT_TRUE(press(400));  // 1000 / 0.75 = 1333.3
    EXPECT_EQ(drag.drag_state, DragState::NearLine);
    EXPECT_NEAR(state.blur_distance, 1330, 1e-9);
    EXPECT_EQ(geometry.near_row, 400);
    EXPECT_EQ(geometry.focus_row, 200);
    EXPECT_GT(state.blur, 0);
    EXPECT_TRUE(move(90));
    EXPECT_EQ(state.blur_distance, -1);
    EXPECT_EQ(geometry.near_row, 100);
    EXPECT_FALSE(move(100));  // still infinity
}

TEST_F(BlurModeDrag, TheFocusLine)
{
    set_rows(420, 200, 0);
    const double object = state.blur_distance;
    EXPECT_TRUE(press(210));
    EXPECT_EQ(drag.drag_state, DragState::FocusLine);
    EXPECT_EQ(geometry.focus_row, 210);
    EXPECT_EQ(geometry.near_row, 420);
    EXPECT_NEAR(state.focus_at, 3640, 1e-9);  // 1000 / (1 - 0.725) = 3636.4
    EXPECT_EQ(state.blur_distance, object);
}

// ---- Right drag on the distance column: maxblur ---------------------------------------------

TEST_F(DragFixture, RightDragScalesMaxblurFromTheValueAtThePress)
{
    state.maxblur = 2;
    set_rows(320, 300, 280);
    EXPECT_TRUE(right_press(300));
    EXPECT_EQ(drag.drag_state, DragState::MaxblurDrag);
    EXPECT_EQ(drag.saved_maxblur, 2);
    EXPECT_EQ(drag.maxblur_origin_y, 300);
    EXPECT_NEAR(state.maxblur, 2, 1e-12);
    const double near_at_2 = state.maxblur_near;

    EXPECT_TRUE(move(380));
    EXPECT_NEAR(state.maxblur, 10, 1e-9);
    EXPECT_LT(state.maxblur_near, near_at_2) << "more blur at the ends widens the window";
    EXPECT_TRUE(move(380));
    EXPECT_NEAR(state.maxblur, 10, 1e-9) << "each move scales the value saved at the press";
    EXPECT_TRUE(move(220));
    EXPECT_NEAR(state.maxblur, 2, 1e-12) << "2 CoCs at the ends are the least";
    EXPECT_TRUE(move(330));
    EXPECT_NEAR(state.maxblur, 2 * std::pow(5, 0.375), 1e-9);
    EXPECT_TRUE(move(900));
    EXPECT_NEAR(state.maxblur, 2 * std::pow(5, 2.5), 1e-9);
}

TEST_F(DragFixture, MaxblurOverTheFullHeightAndItsLimits)
{
    const struct {
        double start;
        int from, to;
        double expected;
    } cases[] = {
        {2, 100, 500, 6250}, {16, 100, 500, 10000}, {16, 500, 100, 2}, {6250, 500, 100, 2}, {16, 300, 300, 16},
    };
    for (const auto& c : cases) {
        state.maxblur = c.start;
        drag = DragContext{};
        right_press(c.from);
        move(c.to);
        EXPECT_NEAR(state.maxblur, c.expected, 1e-9) << c.start << " from " << c.from << " to " << c.to;
    }
}

TEST_F(DragFixture, MaxblurDragWorksInEveryModeButMacro)
{
    for (Mode mode : {Mode::DepthOfField, Mode::BestFStop, Mode::FocusStacking, Mode::Blur}) {
        state.mode = mode;
        state.maxblur = 2;
        drag = DragContext{};
        EXPECT_TRUE(right_press(300));
        EXPECT_TRUE(move(380));
        EXPECT_NEAR(state.maxblur, 10, 1e-9) << static_cast<int>(mode);
    }
    state.mode = Mode::Macro;
    state.maxblur = 2;
    drag = DragContext{};
    EXPECT_FALSE(right_press(300));
    EXPECT_EQ(drag.drag_state, DragState::Idle);
    EXPECT_FALSE(move(380));
    EXPECT_EQ(state.maxblur, 2);
}

TEST_F(DragFixture, RightReleaseChangesNothingOnTheDistanceColumn)
{
    state.maxblur = 2;
    right_press(300);
    move(380);
    const CalcState before = state;
    EXPECT_FALSE(distance_drag(DragMessage::RightButtonUp, 420, state, camera, geometry, drag));
    EXPECT_EQ(drag.drag_state, DragState::MaxblurDrag);
    EXPECT_EQ(state.maxblur, before.maxblur);
    EXPECT_EQ(state.maxblur_near, before.maxblur_near);
}

// ---- Left release on the distance column ----------------------------------------------------

TEST_F(DepthOfFieldDrag, LeftReleaseRecentresTheWindowOnTheNewFocus)
{
    set_rows(320, 300, 280);
    press(200);  // 2290
    EXPECT_EQ(state.maxblur_near, 1000);
    EXPECT_TRUE(distance_drag(DragMessage::LeftButtonUp, 200, state, camera, geometry, drag));
    EXPECT_EQ(drag.drag_state, DragState::Idle);
    EXPECT_NE(state.maxblur_near, 1000);
    EXPECT_LT(state.maxblur_near, state.focus_at);
    EXPECT_TRUE(state.maxblur_far < 0 || state.maxblur_far > state.focus_at);
    EXPECT_FALSE(distance_drag(DragMessage::LeftButtonUp, 200, state, camera, geometry, drag))
        << "a release while Idle does nothing";
}

TEST_F(DragFixture, MacroModeIgnoresTheDistanceColumn)
{
    state.mode = Mode::Macro;
    const CalcState before = state;
    EXPECT_FALSE(press(300));
    EXPECT_EQ(drag.drag_state, DragState::Idle);
    drag.drag_state = DragState::FocusLine;
    EXPECT_FALSE(move(250));
    EXPECT_EQ(state.focus_at, before.focus_at);
}

// ---- Lens scale -----------------------------------------------------------------------------

struct LensScaleDrag : DragFixture {
    void SetUp() override
    {
        DragFixture::SetUp();
        set_lens(50);
        // The window on screen at the press: 50 mm at its reciprocal middle, zoom 5.
        drag.saved_fl_low = 250.0 / 9;
        drag.saved_fl_high = 250;
        drag.saved_focal_length = 50;
        drag.lens_origin_y = 300;
        drag.drag_state = DragState::LensDrag;
    }
    bool lens(int y) { return lens_drag(y, state, camera, geometry, drag); }
};

TEST_F(LensScaleDrag, TheValueUnderTheMiddleRowFollowsThePointerThroughTheSavedWindow)
{
    EXPECT_FALSE(lens(300)) << "the press row is the current value";
    EXPECT_EQ(state.focal_length, 50);

    EXPECT_TRUE(lens(200));  // t = 0.25: 1/v = 0.036 - 0.25 * 0.032 = 0.028, 35.71 -> 35.5
    EXPECT_NEAR(state.focal_length, 35.5, 1e-12);
    EXPECT_NEAR(state.fl_high, 35.5 * 5, 1e-9) << "every move re-centres the window";

    EXPECT_TRUE(lens(100));  // t = 0: the saved bottom, 27.78 -> 28 (the re-centred window would give 19.7)
    EXPECT_NEAR(state.focal_length, 28, 1e-12);
    EXPECT_FALSE(lens(60)) << "above the scale: still the saved bottom";

    EXPECT_TRUE(lens(400));  // t = 0.75: 1/v = 0.012, 83.3 -> 83
    EXPECT_NEAR(state.focal_length, 83, 1e-12);
    EXPECT_TRUE(lens(300));
    EXPECT_NEAR(state.focal_length, 50, 1e-12);
}

TEST_F(LensScaleDrag, WithoutSnappingTheValueIsExact)
{
    state.snap = 0;
    EXPECT_TRUE(lens(200));
    EXPECT_NEAR(state.focal_length, 1 / 0.028, 1e-9);
}

TEST_F(LensScaleDrag, ANewFocalLengthRaisesCloserDistancesToTwiceItsEffectiveValue)
{
    set_lens(50, 2);
    drag.saved_fl_low = 500.0 / 9;  // 100 mm at the middle row, the value at the press
    drag.saved_fl_high = 500;
    drag.saved_focal_length = 100;
    state.focus_at = 300;
    state.near_limit = 350;
    state.far_limit = -1;
    EXPECT_TRUE(lens(300));
    EXPECT_NEAR(state.focal_length, 100, 1e-12);
    EXPECT_NEAR(state.effective_focal_length, 200, 1e-12);
    EXPECT_NEAR(state.focus_at, 400, 1e-12);
    EXPECT_NEAR(state.near_limit, 400, 1e-12);
    EXPECT_EQ(state.far_limit, -1) << "infinity stays infinite";
}

TEST_F(LensScaleDrag, AFarLimitBelowTheNearLimitIsRaisedToIt)
{
    set_lens(50, 2);
    drag.saved_fl_low = 500.0 / 9;
    drag.saved_fl_high = 500;
    drag.saved_focal_length = 100;
    state.focus_at = 2000;
    state.near_limit = 1000;
    state.far_limit = 500;
    EXPECT_TRUE(lens(300));
    EXPECT_NEAR(state.focus_at, 2000, 1e-12);
    EXPECT_NEAR(state.far_limit, 1000, 1e-12);
}

TEST_F(LensScaleDrag, ThirtyFiveMillimetreEquivalentsAreConverted)
{
    camera.focal_length_entry = FocalLengthEntry::Equivalent35mm;
    camera.crop_factor = 2;
    drag.saved_fl_low = 500.0 / 9;
    drag.saved_fl_high = 500;
    drag.saved_focal_length = 100;
    state.focus_at = 90;
    EXPECT_TRUE(lens(300));
    EXPECT_NEAR(state.effective_focal_length, 50, 1e-12);
    EXPECT_NEAR(state.focus_at, 100, 1e-12);
}

TEST_F(LensScaleDrag, InMacroModeItDragsTheFieldWidth)
{
    state.mode = Mode::Macro;
    state.fov = 20;
    drag.saved_fov_low = 100.0 / 9;
    drag.saved_fov_high = 100;
    drag.saved_fov = 20;
    EXPECT_FALSE(lens(300));
    EXPECT_TRUE(lens(200));  // 1/v = 0.09 - 0.25 * 0.08 = 0.07: 14.29 -> 14.3
    EXPECT_NEAR(state.fov, 14.3, 1e-12);
    EXPECT_EQ(state.focal_length, 50);
    state.macro_units = DistanceUnit::Inch;
    EXPECT_TRUE(lens(201));  // 1/v = 0.09 - 0.2525 * 0.08: 14.33 mm = 0.564 in -> 0.56 in
    EXPECT_NEAR(state.fov, 0.56 * 25.4, 1e-9);
}

TEST_F(LensScaleDrag, ZoomIsClampedAndAlwaysRecentres)
{
    drag.drag_state = DragState::LensZoom;
    drag.saved_fl_zoom = 5;
    drag.saved_fov_zoom = 4;
    const struct {
        int y;
        double zoom;
    } cases[] = {{300, 5}, {340, 5 * std::sqrt(5.0)}, {260, 5 / std::sqrt(5.0)}, {500, 32}, {100, 1.5}};
    for (const auto& c : cases) {
        EXPECT_TRUE(lens(c.y)) << "y = " << c.y;
        EXPECT_NEAR(state.fl_zoom, c.zoom, 1e-9) << "y = " << c.y;
        EXPECT_NEAR(state.fl_high, std::clamp(50 * state.fl_zoom, 10.0, 10000.0), 1e-9);
    }
    EXPECT_EQ(state.fov_zoom, 5) << "untouched outside Macro mode";

    state.mode = Mode::Macro;
    EXPECT_TRUE(lens(340));
    EXPECT_NEAR(state.fov_zoom, 4 * std::sqrt(5.0), 1e-9);
    EXPECT_EQ(state.fl_zoom, 1.5);
}

TEST_F(LensScaleDrag, OtherDragsAreNotItsBusiness)
{
    drag.drag_state = DragState::BlurDrag;
    EXPECT_FALSE(lens(200));
    EXPECT_EQ(state.focal_length, 50);
}

// ---- Blur scale -----------------------------------------------------------------------------

struct BlurScaleDrag : DragFixture {
    void SetUp() override
    {
        DragFixture::SetUp();
        state.blur_threshold = 1;
        drag.saved_blur_low = 5.0 / 9;  // 1 CoC at the middle row, zoom 5
        drag.saved_blur_high = 5;
        drag.saved_blur_threshold = 1;
        drag.blur_origin_y = 300;
        drag.drag_state = DragState::BlurDrag;
    }
    bool blur(int y) { return blur_drag(y, state, camera, geometry, drag); }
};

TEST_F(BlurScaleDrag, TheThresholdFollowsThePointerThroughTheSavedWindow)
{
    EXPECT_FALSE(blur(300));
    EXPECT_TRUE(blur(200));  // 1/v = 1.8 - 0.25 * 1.6 = 1.4: 0.714 -> 0.71
    EXPECT_NEAR(state.blur_threshold, 0.71, 1e-12);
    EXPECT_NEAR(state.blur_high, 0.71 * 5, 1e-9) << "re-centred";
    EXPECT_TRUE(blur(400));  // 1/v = 0.6: 1.667 -> 1.67
    EXPECT_NEAR(state.blur_threshold, 1.67, 1e-12);
    EXPECT_TRUE(blur(520));  // clamped: the saved top, 5
    EXPECT_NEAR(state.blur_threshold, 5, 1e-12);
    state.snap = 0;
    EXPECT_TRUE(blur(200));
    EXPECT_NEAR(state.blur_threshold, 1 / 1.4, 1e-12);
}

TEST_F(BlurScaleDrag, ZoomIsClamped)
{
    drag.drag_state = DragState::BlurZoom;
    drag.saved_blur_zoom = 5;
    const struct {
        int y;
        double zoom;
    } cases[] = {{300, 5}, {380, 25}, {220, 1.5}, {500, 32}, {100, 1.5}, {320, 5 * std::pow(5, 0.25)}};
    for (const auto& c : cases) {
        EXPECT_TRUE(blur(c.y));
        EXPECT_NEAR(state.blur_zoom, c.zoom, 1e-9) << "y = " << c.y;
    }
}

// ---- Keyboard steps -------------------------------------------------------------------------

struct KeyStep : ::testing::Test {
    CalcState state;
    Camera camera = scale_fixture::camera();

    void SetUp() override { state.units = DistanceUnit::Millimetre; }
    void set_mode(Mode m)
    {
        state.mode = m;
        recompute(state, camera, true);
    }
    bool step(ScaleValue v, int direction, bool page = false)
    {
        return step_scale_value(v, direction, page, state, camera);
    }
};

TEST_F(KeyStep, ArrowsMoveAValueToTheNextRoundValueOfItsScale)
{
    const auto half = f_stop_table(FStopIncrement::HalfStop);
    const struct {
        const char* what;
        Mode mode;
        ScaleValue value;
        int direction;
        double CalcState::*field;
        double before;
        double after;
    } cases[] = {
        {"lens up", Mode::DepthOfField, ScaleValue::Lens, 1, &CalcState::focal_length, 50, 51},
        {"lens down", Mode::DepthOfField, ScaleValue::Lens, -1, &CalcState::focal_length, 50, 49.5},
        {"unsnapped lens", Mode::Blur, ScaleValue::Lens, 1, &CalcState::focal_length, 50.09, 51},
        {"aperture up", Mode::DepthOfField, ScaleValue::Aperture, 1, &CalcState::f_stop, 8, half[15]},
        {"aperture down", Mode::Macro, ScaleValue::Aperture, -1, &CalcState::f_stop, 8, half[13]},
        {"aperture off the table", Mode::Blur, ScaleValue::Aperture, -1, &CalcState::f_stop, 9, half[14]},
        {"focus up", Mode::DepthOfField, ScaleValue::Focus, 1, &CalcState::focus_at, 1219.2, 1220},
        {"focus down", Mode::Blur, ScaleValue::Focus, -1, &CalcState::focus_at, 1219.2, 1210},
        {"focus at 2f", Mode::DepthOfField, ScaleValue::Focus, -1, &CalcState::focus_at, 100, 100},
        {"near up", Mode::FocusStacking, ScaleValue::NearLimit, 1, &CalcState::near_limit, 914.4, 920},
        {"near onto far", Mode::FocusStacking, ScaleValue::NearLimit, 1, &CalcState::near_limit, 1820, 1820},
        {"far down", Mode::BestFStop, ScaleValue::FarLimit, -1, &CalcState::far_limit, 1828.8, 1820},
        {"far onto near", Mode::BestFStop, ScaleValue::FarLimit, -1, &CalcState::far_limit, 920, 920},
        {"object up", Mode::Blur, ScaleValue::Object, 1, &CalcState::blur_distance, 1828.8, 1830},
        {"infinite object up", Mode::Blur, ScaleValue::Object, 1, &CalcState::blur_distance, -1, -1},
        {"threshold up", Mode::DepthOfField, ScaleValue::BlurThreshold, 1, &CalcState::blur_threshold, 1, 1.01},
        {"threshold down", Mode::Macro, ScaleValue::BlurThreshold, -1, &CalcState::blur_threshold, 1, 0.99},
        {"smallest threshold", Mode::Macro, ScaleValue::BlurThreshold, -1, &CalcState::blur_threshold, 0.0159,
         0.0159},
        // What the mode computes rather than takes from the user does not move.
        {"aperture in BestFStop", Mode::BestFStop, ScaleValue::Aperture, 1, &CalcState::f_stop, 8, 8},
        {"threshold in Blur", Mode::Blur, ScaleValue::BlurThreshold, 1, &CalcState::blur_threshold, 1, 1},
        {"focus in FocusStacking", Mode::FocusStacking, ScaleValue::Focus, 1, &CalcState::focus_at, 1219.2,
         1219.2},
        {"near limit in Macro", Mode::Macro, ScaleValue::NearLimit, 1, &CalcState::near_limit, 914.4, 914.4},
        {"none", Mode::DepthOfField, ScaleValue::None, 1, &CalcState::focal_length, 50, 50},
    };
    for (const auto& c : cases) {
        SetUp();
        state = CalcState{};
        state.units = DistanceUnit::Millimetre;
        state.*c.field = c.before;
        set_mode(c.mode);
        const bool changed = step(c.value, c.direction);
        EXPECT_EQ(changed, c.after != c.before) << c.what;
        EXPECT_NEAR(state.*c.field, c.after, 1e-9) << c.what;
    }
}

TEST_F(KeyStep, DistancesStepInTheDisplayUnitAndTheFieldWidthInTheMacroUnit)
{
    state.units = DistanceUnit::Foot;
    set_mode(Mode::DepthOfField);
    EXPECT_TRUE(step(ScaleValue::Focus, 1));  // 4 ft -> 4.05 ft
    EXPECT_NEAR(state.focus_at, 4.05 * 304.8, 1e-9);

    state.macro_units = DistanceUnit::Centimetre;
    state.fov = 20;  // 2 cm
    set_mode(Mode::Macro);
    EXPECT_TRUE(step(ScaleValue::Lens, 1));
    EXPECT_NEAR(state.fov, 20.5, 1e-9);
    EXPECT_EQ(state.focal_length, 50) << "in Macro the lens scale is the field width";
}

TEST_F(KeyStep, EveryStepRecentresTheScalesAsAReleaseDoes)
{
    set_mode(Mode::DepthOfField);
    ASSERT_TRUE(step(ScaleValue::Lens, 1));
    EXPECT_NEAR(recip_fraction(state.focal_length, state.fl_low, state.fl_high), 0.5, 1e-12);
    ASSERT_TRUE(step(ScaleValue::BlurThreshold, 1));
    EXPECT_NEAR(recip_fraction(state.blur_threshold, state.blur_low, state.blur_high), 0.5, 1e-12);
    const double near_end = state.maxblur_near;
    ASSERT_TRUE(step(ScaleValue::Focus, 1, true));
    EXPECT_GT(state.maxblur_near, near_end) << "the distance window follows the focus";
}

TEST_F(KeyStep, PagesCoverTheScaleAndReachInfinity)
{
    set_mode(Mode::DepthOfField);
    ASSERT_TRUE(step(ScaleValue::Focus, 1, true));
    EXPECT_GT(state.focus_at, 1230) << "a page goes further than an arrow";
    int pages = 1;
    while (state.focus_at > 0 && pages < 100) {
        ASSERT_TRUE(step(ScaleValue::Focus, 1, true)) << pages;
        ++pages;
    }
    EXPECT_LT(state.focus_at, 0) << "infinity after " << pages << " pages";
    EXPECT_LT(pages, 40);
    EXPECT_FALSE(step(ScaleValue::Focus, 1, true)) << "nothing beyond infinity";

    // Down from infinity: just inside the top of the scale, a round value.
    ASSERT_TRUE(step(ScaleValue::Focus, -1));
    EXPECT_GT(state.focus_at, 0);
    EXPECT_EQ(state.focus_at, nice_round(state.focus_at));

    // The aperture pages by whole stops, and stops at f/128.
    state.f_stop = 8;
    ASSERT_TRUE(step(ScaleValue::Aperture, 1, true));
    EXPECT_NEAR(state.f_stop, 8 * std::sqrt(2.0), 1e-9);
    for (int i = 0; i < 20; ++i)
        step(ScaleValue::Aperture, 1, true);
    EXPECT_NEAR(state.f_stop, 128, 1e-9);
    EXPECT_FALSE(step(ScaleValue::Aperture, 1, true));
}

TEST_F(KeyStep, LimitsKeepTheDragsRules)
{
    // BestFStop: the aperture follows the limits.
    set_mode(Mode::BestFStop);
    const double f_stop = state.f_stop;
    ASSERT_TRUE(step(ScaleValue::NearLimit, 1));
    EXPECT_NE(state.f_stop, f_stop);
    EXPECT_NEAR(state.f_stop, state.optimum_f_stop, 1e-9);

    // A far limit at infinity steps down to a finite one above the near limit.
    state.far_limit = -1;
    set_mode(Mode::FocusStacking);
    ASSERT_TRUE(step(ScaleValue::FarLimit, -1));
    EXPECT_GT(state.far_limit, state.near_limit);

    // A longer lens pushes the limits out to twice its focal length (limits that meet there are
    // parted again by the recompute), and pages never leave the lens scale's window.
    state.near_limit = 200;
    state.far_limit = 210;
    set_mode(Mode::FocusStacking);
    for (int i = 0; i < 60; ++i) {
        const double top = state.fl_high;
        const double before = state.focal_length;
        ASSERT_TRUE(step(ScaleValue::Lens, 1, true)) << i;
        ASSERT_LE(state.focal_length, std::max(top, next_round_value(before, 1))) << i;
        ASSERT_GE(state.far_limit, 2 * state.effective_focal_length) << i;
        ASSERT_LT(state.near_limit, state.far_limit) << i;
    }
}

TEST_F(KeyStep, TheTabOrderListsWhatEachModeLetsTheUserSet)
{
    using V = ScaleValue;
    const auto list = [](Mode m) {
        const auto values = scale_values(m);
        return std::vector<V>(values.begin(), values.end());
    };
    EXPECT_EQ(list(Mode::DepthOfField), (std::vector<V>{V::Lens, V::Aperture, V::Focus, V::BlurThreshold}));
    EXPECT_EQ(list(Mode::BestFStop), (std::vector<V>{V::Lens, V::FarLimit, V::NearLimit}));
    EXPECT_EQ(list(Mode::FocusStacking), (std::vector<V>{V::Lens, V::FarLimit, V::NearLimit}));
    EXPECT_EQ(list(Mode::Blur), (std::vector<V>{V::Lens, V::Aperture, V::Focus, V::Object}));
    EXPECT_EQ(list(Mode::Macro), (std::vector<V>{V::Lens, V::Aperture, V::BlurThreshold}));
}

}  // namespace

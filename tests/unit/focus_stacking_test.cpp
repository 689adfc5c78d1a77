// FocusStacking mode: the focus points, the aperture, and the limits of the whole stack.
#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "support/close_to.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"

namespace {

constexpr double infinity = -1;

CalcState stack_state(double near_limit, double far_limit, int ni)
{
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.near_limit = near_limit;
    s.far_limit = far_limit;
    s.ni = ni;
    return s;
}

TEST(FocusStacking, InfiniteFarLimitWithThreeImages)
{
    const Camera camera = hand_default_camera();
    CalcState s = stack_state(1500, infinity, 3);
    recompute(s, camera, true);
    EXPECT_EQ(s.focus_points[0], 1500);
    EXPECT_EQ(s.focus_points[1], 3000);
    EXPECT_EQ(s.focus_points[2], -1);
    EXPECT_EQ(s.stack_far, -1);
    EXPECT_EQ(s.stack_range, -1);
    EXPECT_GT(s.stack_near, 0);
}

TEST(FocusStacking, TwoImagesJoinNearAndFarLimitsDirectly)
{
    const Camera camera = hand_default_camera();
    CalcState s = stack_state(1000, 3000, 2);
    recompute(s, camera, false);
    EXPECT_EQ(s.focus_points[0], 1000);
    EXPECT_EQ(s.focus_points[1], 3000);
    // Same aperture as BestFStop over the same span.
    CalcState best = s;
    best.mode = Mode::BestFStop;
    recompute(best, camera, false);
    EXPECT_TRUE(close_to(s.optimum_f_stop, best.optimum_f_stop, 1e-12));
}

TEST(FocusStacking, TwoImagesToInfinityHaveTheBlurOfAFarSecondImage)
{
    const Camera camera = hand_default_camera();
    CalcState s = stack_state(1000, infinity, 2);
    recompute(s, camera, false);
    EXPECT_EQ(s.focus_points[1], -1);
    // An infinite second image is infinity, not a point inside the focal length: the blur between
    // the two is the limit of the blur with the second image ever farther away.
    CalcState far_away = stack_state(1000, 1e12, 2);
    recompute(far_away, camera, false);
    EXPECT_GT(s.optimum_blur, 0);
    EXPECT_TRUE(close_to(s.optimum_blur, far_away.optimum_blur, 1e-6));
    EXPECT_GT(s.optimum_f_stop, 0);  // the aperture is still found, focused at 2000 mm
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, s.optimum_effective_f_stop, 2000, 1000),
                         thin_lens::focused_airy_disk(50, s.optimum_effective_f_stop, 550, 2000), 1e-9));
}

TEST(FocusStacking, StackFarLimitsBeyondOneBillionMillimetresAreInfinite)
{
    // As the far limit approaches the hyperfocal distance of its own optimum aperture, the stack's
    // far limit runs off towards infinity. Find where it turns to -1.
    const Camera camera = hand_default_camera();
    auto run = [&](double far_limit) {
        CalcState s = stack_state(1000, far_limit, 2);
        recompute(s, camera, false);
        return s;
    };
    double finite = 1500;
    double infinite = 1e7;
    ASSERT_GT(run(finite).stack_far, 0);
    ASSERT_EQ(run(infinite).stack_far, -1);
    for (int i = 0; i < 200; ++i) {
        const double mid = (finite + infinite) / 2;
        (run(mid).stack_far < 0 ? infinite : finite) = mid;
    }
    // It turns at one billion millimetres, while the last point is still inside the hyperfocal
    // distance (so the formula alone would still give a finite limit).
    const CalcState before = run(finite);
    const CalcState after = run(infinite);
    EXPECT_LE(before.stack_far, 1e9);
    EXPECT_GT(before.stack_far, 0.99e9);
    EXPECT_EQ(after.stack_far, -1);
    EXPECT_GT(after.hyperfocal, after.far_limit);
}

}  // namespace

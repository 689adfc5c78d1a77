// BestFStop mode, and the normalisation of the limits it shares with focus stacking.
#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "support/close_to.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"

namespace {

constexpr double infinity = -1;

CalcState best_state(double near_limit, double far_limit)
{
    CalcState s;
    s.mode = Mode::BestFStop;
    s.near_limit = near_limit;
    s.far_limit = far_limit;
    return s;
}

struct LimitsCase {
    double near_limit;
    double far_limit;
    double expected_near;
    double expected_far;
};

void PrintTo(const LimitsCase& c, std::ostream* os)
{
    *os << c.near_limit << " to " << c.far_limit;
}

class NormalisedLimits : public testing::TestWithParam<LimitsCase> {};

TEST_P(NormalisedLimits, InBothLimitModes)
{
    const LimitsCase c = GetParam();
    const Camera camera = hand_default_camera();
    for (const Mode mode : {Mode::BestFStop, Mode::FocusStacking}) {
        CalcState s = best_state(c.near_limit, c.far_limit);
        s.mode = mode;
        recompute(s, camera, false);
        EXPECT_TRUE(close_to(s.near_limit, c.expected_near, 1e-15)) << c.near_limit;
        EXPECT_EQ(s.far_limit, c.expected_far) << c.near_limit;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalisedLimits,
    testing::Values(LimitsCase{2000, 2000, 1800, 2000},      // equal: near becomes 0.9 far
                    LimitsCase{-1, -1, 1000, -1},            // both infinite: near becomes 1 m
                    LimitsCase{3000, 2000, 2000, 3000},      // reversed: swapped
                    LimitsCase{30, 60, 100, 100 / 0.9},      // inside 2f (50 mm lens): raised to 100, far parted
                    LimitsCase{105, 105, 105, 105 / 0.9},    // a tenth nearer would be inside 2f
                    LimitsCase{914.4, 1828.8, 914.4, 1828.8},  // already in order
                    LimitsCase{5000, -1, 5000, -1},          // finite to infinity: in order
                    LimitsCase{-2, -7, 1000, -7},            // two infinities are equal limits
                    LimitsCase{-1, 3000, 3000, -1}));        // an infinite near limit lies beyond

TEST(BestFStop, NormalisesBeforeAnythingElse)
{
    const Camera camera = hand_default_camera();
    CalcState s = best_state(2000, 2000);
    recompute(s, camera, false);
    EXPECT_TRUE(close_to(s.best_focus, 2 / (1 / 1800.0 + 1 / 2000.0)));
    EXPECT_TRUE(close_to(s.range, 200));
}



TEST(BestFStop, HyperfocalUndefinedWhenTheOptimumApertureIsDiffractionLimited)
{
    const Camera camera = hand_default_camera();
    CalcState s = best_state(100, 10000);  // a deep close-up span needs about f/110
    recompute(s, camera, false);
    ASSERT_GT(thin_lens::airy_disk(550, s.optimum_effective_f_stop), camera.coc);
    EXPECT_EQ(s.hyperfocal, -1);
    EXPECT_GT(s.optimum_blur, 0);
}

TEST(BestFStop, InfiniteFarLimit)
{
    const Camera camera = hand_default_camera();
    CalcState s = best_state(2500, infinity);
    recompute(s, camera, false);
    EXPECT_EQ(s.best_focus, 5000);
    EXPECT_EQ(s.back, -1);
    EXPECT_EQ(s.range, -1);
    EXPECT_EQ(s.front, 2500);
}

TEST(BestFStop, FieldOfViewFollowsANewNearLimitInTheSameCall)
{
    const Camera camera = hand_default_camera();
    CalcState s = best_state(1000, 4000);
    recompute(s, camera, false);
    const double old_width = s.field_width;
    s.near_limit = 2000;
    recompute(s, camera, false);
    const double new_focus = 2 / (1 / 2000.0 + 1 / 4000.0);
    EXPECT_TRUE(close_to(s.best_focus, new_focus));
    EXPECT_TRUE(close_to(s.field_width, 36 * (new_focus - 50) / 50));
    EXPECT_NE(s.field_width, old_width);
}

}  // namespace

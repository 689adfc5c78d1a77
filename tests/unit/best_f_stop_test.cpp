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

struct BestCase {
    double near_limit;
    double far_limit;
    double focal_length;
    double teleconverter;
};

void PrintTo(const BestCase& c, std::ostream* os)
{
    *os << c.near_limit << " to " << c.far_limit << " f=" << c.focal_length << " x" << c.teleconverter;
}

class BestAperture : public testing::TestWithParam<BestCase> {};

TEST_P(BestAperture, BalancesDefocusAtTheNearLimitAgainstDiffraction)
{
    const BestCase c = GetParam();
    const Camera camera = hand_default_camera();
    CalcState s = best_state(c.near_limit, c.far_limit);
    s.focal_length = c.focal_length;
    s.teleconverter = c.teleconverter;
    recompute(s, camera, false);
    const double f = c.focal_length * c.teleconverter;

    // The best focus lies midway between the limits in 1/distance.
    if (c.far_limit > 0)
        EXPECT_TRUE(close_to(1 / s.best_focus, (1 / c.near_limit + 1 / c.far_limit) / 2));
    else
        EXPECT_TRUE(close_to(s.best_focus, 2 * c.near_limit));

    // With the optimum aperture the defocus at the near limit equals the Airy disk...
    const double n = s.optimum_effective_f_stop;
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(f, n, s.best_focus, c.near_limit),
                         thin_lens::airy_disk(camera.wavelength, n), 1e-9));
    // ...which makes their quadrature sum smallest: a little wider or narrower is worse.
    const double best = thin_lens::total_blur(f, n, camera.wavelength, s.best_focus, c.near_limit);
    for (const double factor : {0.98, 1.02})
        EXPECT_GT(thin_lens::total_blur(f, n * factor, camera.wavelength, s.best_focus, c.near_limit),
                  best);
    // optimum_blur is that smallest total blur, in CoCs.
    EXPECT_TRUE(close_to(s.optimum_blur, best / camera.coc, 1e-9));
    EXPECT_TRUE(close_to(s.optimum_blur, std::sqrt(2.0) * thin_lens::airy_disk(550, n) / camera.coc));
    // The lens is set to the optimum divided by the teleconverter.
    EXPECT_TRUE(close_to(s.optimum_f_stop * c.teleconverter, n, 1e-15));

    EXPECT_TRUE(close_to(s.front, s.best_focus - c.near_limit));
    if (c.far_limit > 0) {
        EXPECT_TRUE(close_to(s.back, c.far_limit - s.best_focus));
        EXPECT_TRUE(close_to(s.range, c.far_limit - c.near_limit));
    } else {
        EXPECT_EQ(s.back, -1);
        EXPECT_EQ(s.range, -1);
    }
    EXPECT_TRUE(close_to(s.magnification, thin_lens::image_distance(f, s.best_focus) / s.best_focus));
    EXPECT_TRUE(close_to(s.field_width, camera.frame_width_mm * s.best_focus / f));
}

INSTANTIATE_TEST_SUITE_P(Cases, BestAperture,
                         testing::Values(BestCase{914.4, 1828.8, 50, 1}, BestCase{3000, 20000, 24, 1},
                                         BestCase{1000, infinity, 50, 1},
                                         BestCase{5000, 12000, 300, 1.4},
                                         BestCase{400, 600, 100, 2}));

TEST(BestFStop, HyperfocalDistanceForTheOptimumAperture)
{
    const Camera camera = hand_default_camera();
    for (const double threshold : {1.0, 2.0}) {
        CalcState s = best_state(3000, 20000);
        s.blur_threshold = threshold;
        recompute(s, camera, false);
        // Focused there, an object at infinity blurs (with diffraction) by the allowed blur.
        const double n = s.optimum_effective_f_stop;
        EXPECT_TRUE(close_to(thin_lens::total_blur(50, n, camera.wavelength, s.hyperfocal, infinity),
                             camera.coc * threshold, 1e-9));
    }
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
    EXPECT_TRUE(close_to(s.field_width, 36 * new_focus / 50));
    EXPECT_NE(s.field_width, old_width);
}

}  // namespace

// Macro mode: magnification from the field width, depth of field of a close-up.
#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "support/close_to.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"

namespace {

CalcState macro_state(double fov, double f_stop, double teleconverter = 1)
{
    CalcState s;
    s.mode = Mode::Macro;
    s.fov = fov;
    s.f_stop = f_stop;
    s.teleconverter = teleconverter;
    return s;
}

struct MacroCase {
    double fov;
    double f_stop;
    double teleconverter;
    double blur_threshold;
};

void PrintTo(const MacroCase& c, std::ostream* os)
{
    *os << "fov=" << c.fov << " N=" << c.f_stop << " x" << c.teleconverter << " threshold=" << c.blur_threshold;
}

class MacroDepth : public testing::TestWithParam<MacroCase> {};

TEST_P(MacroDepth, DefocusGrowsAtTheMacroFactorAroundThePlaneOfFocus)
{
    const MacroCase c = GetParam();
    const Camera camera = hand_default_camera();
    CalcState s = macro_state(c.fov, c.f_stop, c.teleconverter);
    s.blur_threshold = c.blur_threshold;
    recompute(s, camera, true);
    const double m = 36 / c.fov;
    const double n = c.f_stop * c.teleconverter;
    EXPECT_TRUE(close_to(s.magnification, m, 1e-15));
    EXPECT_TRUE(close_to(s.macro_effective_f_stop, n * (1 + m), 1e-15));

    // Whatever the focal length, macro_factor is the rate at which the defocus grows with the
    // distance from the plane of focus.
    for (const double f : {200.0, 1000.0}) {
        const double focus = f * (m + 1) / m;
        const double step = 1e-4 * s.macro_depth;
        const double slope = thin_lens::defocus_blur(f, n, focus, focus + step) / step;
        EXPECT_TRUE(close_to(s.macro_factor, slope, 1e-3)) << "f " << f;
    }

    // The distance window: maxblur CoCs either side of the plane of focus.
    EXPECT_TRUE(close_to(s.maxblur_far * s.macro_factor, s.maxblur * camera.coc));
    EXPECT_EQ(s.maxblur_near, -s.maxblur_far);
}

INSTANTIATE_TEST_SUITE_P(Cases, MacroDepth,
                         testing::Values(MacroCase{20, 8, 1, 1}, MacroCase{36, 5.6, 1, 1},
                                         MacroCase{100, 11, 1, 1.5}, MacroCase{10, 2.8, 1.4, 1},
                                         MacroCase{50, 16, 1, 2}, MacroCase{36, 11, 1, 1},
                                         MacroCase{12, 2.8, 2, 1}, MacroCase{9, 4, 1, 1.2}));

}  // namespace

// One shot, one diffraction: whichever mode computes a shot (camera, lens, aperture, focus), and
// the blur strip beside it, the Airy disk is that of the f-number the sensor sees there (a thin
// lens's image distance over the aperture), so no two modes disagree about it.
#include <cmath>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "display/row_blur.h"
#include "support/close_to.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"

namespace {

struct Shot {
    double coc, focal_length, f_stop, focus;
};

CalcState shot_in(Mode mode, const Shot& shot, double f_stop, double focus)
{
    CalcState s;
    s.mode = mode;
    s.focal_length = shot.focal_length;
    s.f_stop = f_stop;
    s.focus_at = s.blur_distance = s.near_limit = focus;  // Blur mode's object at the focus
    s.far_limit = 3 * focus;
    s.ni = 3;
    s.fov = 36 * (focus - shot.focal_length) / shot.focal_length;  // Macro mode's magnification
    return s;
}

// The strip's blur (mm) at exactly `distance`: its bottom row, with the window starting there.
double strip_at(CalcState s, const Camera& camera, double distance)
{
    s.maxblur_near = distance;
    s.maxblur_far = 2 * distance;
    std::vector<double> blur(3);
    compute_row_blur(blur, s, camera);
    return blur[0] * camera.coc;
}

void PrintTo(const Shot& s, std::ostream* os)
{
    *os << s.focal_length << " mm f/" << s.f_stop << " at " << s.focus << " mm, CoC " << s.coc;
}

class OneShot : public testing::TestWithParam<Shot> {};

TEST_P(OneShot, EveryModeAndTheBlurStripSeeTheSameAiryDisk)
{
    const Shot shot = GetParam();
    Camera camera = hand_default_camera();
    camera.coc = shot.coc;
    const auto disk = [&](double n, double focus) { return thin_lens::focused_airy_disk(shot.focal_length, n, 550, focus); };
    const auto run = [&](Mode mode, double n, double focus) {
        CalcState s = shot_in(mode, shot, n, focus);
        recompute(s, camera, false);
        return s;
    };
    const double d = disk(shot.f_stop, shot.focus);
    // The disk a depth c_e = sqrt(c^2 - d^2) was made with, from near = h s / (h + s - f), h = f^2 / (N c_e),
    // or from a close-up's depth 2 N c_e (m + 1) / m^2.
    const auto from_allowance = [&](double c_e) { return std::sqrt(shot.coc * shot.coc - c_e * c_e); };

    const CalcState blur = run(Mode::Blur, shot.f_stop, shot.focus);  // an object in focus: the disk alone
    EXPECT_TRUE(close_to(blur.blur * shot.coc, d, 1e-12));
    const CalcState dof = run(Mode::DepthOfField, shot.f_stop, shot.focus);
    EXPECT_TRUE(close_to(strip_at(dof, camera, shot.focus), d, 1e-12));
    const CalcState macro = run(Mode::Macro, shot.f_stop, shot.focus);
    EXPECT_TRUE(close_to(macro.macro_effective_f_stop * 2.44 * 550e-6, d, 1e-12));
    std::vector<double> centre(5);
    compute_row_blur(centre, macro, camera);
    EXPECT_TRUE(close_to(centre[2] * shot.coc, d, 1e-12));
    if (d >= shot.coc) {
        EXPECT_EQ(dof.range, 0);
        EXPECT_EQ(macro.macro_depth, 0);
    } else {
        const double f = shot.focal_length, s = shot.focus, m = macro.magnification;
        const double h = dof.near * (s - f) / (s - dof.near);
        EXPECT_TRUE(close_to(from_allowance(f * f / (h * shot.f_stop)), d, 1e-9));
        EXPECT_TRUE(close_to(from_allowance(macro.macro_depth * m * m / (2 * shot.f_stop * (m + 1))), d, 1e-9));
    }
    // At 1:1 and f/4 a 24 MP full frame once had 0.172 mm of depth in depth of field mode and
    // 0.086 mm in Macro mode, and at f/5.66 0.21 mm against none.
    if (macro.magnification == 1) {
        EXPECT_NEAR(dof.range, macro.macro_depth, 1e-7);
    }

    // Best f-stop shoots at its best focus and optimum aperture, a stack each image at its own focus.
    const CalcState best = run(Mode::BestFStop, shot.f_stop, shot.focus);
    const double n = best.optimum_effective_f_stop, b = best.best_focus;
    EXPECT_TRUE(close_to(best.optimum_blur * shot.coc, std::sqrt(2.0) * disk(n, b), 1e-9));
    EXPECT_TRUE(close_to(strip_at(best, camera, b), disk(n, b), 1e-12));
    EXPECT_TRUE(close_to(run(Mode::Blur, n, b).blur * shot.coc, disk(n, b), 1e-12));
    const CalcState stack = run(Mode::FocusStacking, shot.f_stop, shot.focus);
    for (int i = 0; i < stack.ni; ++i) {
        const double p = stack.focus_points[i], own = disk(stack.optimum_effective_f_stop, p);
        EXPECT_TRUE(close_to(strip_at(stack, camera, p), own, 1e-12)) << "image " << i;
        EXPECT_TRUE(close_to(run(Mode::Blur, stack.optimum_effective_f_stop, p).blur * shot.coc, own, 1e-12)) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Shots, OneShot,
                         testing::Values(Shot{0.012, 50, 4, 100},                  // 1:1: f/8 at the sensor
                                         Shot{0.012, 50, 5.656854249492381, 100},  // f/11.3: nothing sharp
                                         Shot{0.012, 100, 2.8, 300},               // 1:2
                                         Shot{0.0314159, 50, 8, 1219.2},           // the first start, 1 : 23.4
                                         Shot{0.03, 24, 16, 5000}));               // a landscape: f/16.08

}  // namespace

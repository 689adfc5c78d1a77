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

    const CalcState dof = run(Mode::DepthOfField, shot.f_stop, shot.focus);
    EXPECT_TRUE(close_to(strip_at(dof, camera, shot.focus), d, 1e-12));
    const CalcState macro = run(Mode::Macro, shot.f_stop, shot.focus);
    std::vector<double> centre(5);
    compute_row_blur(centre, macro, camera);
    EXPECT_TRUE(close_to(centre[2] * shot.coc, d, 1e-12));

    // Best f-stop shoots at its best focus and optimum aperture, a stack each image at its own focus.
    const CalcState best = run(Mode::BestFStop, shot.f_stop, shot.focus);
    const double n = best.optimum_effective_f_stop, b = best.best_focus;
    EXPECT_TRUE(close_to(strip_at(best, camera, b), disk(n, b), 1e-12));
    const CalcState stack = run(Mode::FocusStacking, shot.f_stop, shot.focus);
    for (int i = 0; i < stack.ni; ++i) {
        const double p = stack.focus_points[i], own = disk(stack.optimum_effective_f_stop, p);
        EXPECT_TRUE(close_to(strip_at(stack, camera, p), own, 1e-12)) << "image " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Shots, OneShot,
                         testing::Values(Shot{0.012, 50, 4, 100},                  // 1:1: f/8 at the sensor
                                         Shot{0.012, 50, 5.656854249492381, 100},  // f/11.3: nothing sharp
                                         Shot{0.012, 100, 2.8, 300},               // 1:2
                                         Shot{0.0314159, 50, 8, 1219.2},           // the first start, 1 : 23.4
                                         Shot{0.03, 24, 16, 5000}));               // a landscape: f/16.08

}  // namespace

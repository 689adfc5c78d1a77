// One shot, one diffraction: whichever mode computes a shot (camera, lens, aperture, focus), and
// the blur strip beside it, the Airy disk is that of the f-number the sensor sees there, checked
// against a thin lens. Close up the modes once disagreed by a factor of 1 + m.
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
    double coc;  // mm: 0.012 is a 24 MP full frame judged at two pixels
    double focal_length;
    double f_stop;
    double focus;  // mm
};

void PrintTo(const Shot& s, std::ostream* os)
{
    *os << s.focal_length << " mm f/" << s.f_stop << " at " << s.focus << " mm, CoC " << s.coc;
}

Camera camera_of(const Shot& shot)
{
    Camera camera = hand_default_camera();
    camera.coc = shot.coc;
    return camera;
}

CalcState state_of(const Shot& shot, Mode mode)
{
    CalcState s;
    s.mode = mode;
    s.focal_length = shot.focal_length;
    s.f_stop = shot.f_stop;
    s.focus_at = shot.focus;
    s.blur_distance = shot.focus;
    // The field width that gives this focus's magnification, for Macro mode.
    s.fov = 36 * (shot.focus - shot.focal_length) / shot.focal_length;
    return s;
}

// The Airy disk (mm) of a depth of field, recovered from its near limit: near = h s / (h + s - f)
// with h = f^2 / (N c_e) and c_e^2 = c'^2 - d^2.
double disk_of_depth(const CalcState& s, const Camera& camera)
{
    const double f = s.effective_focal_length;
    const double h = s.near * (s.focus_at - f) / (s.focus_at - s.near);
    const double c_e = f * f / (h * s.effective_f_stop);
    const double allowed = camera.coc * s.blur_threshold;
    return std::sqrt(allowed * allowed - c_e * c_e);
}

// The Airy disk (mm) of a close-up's depth 2 N c_e (m + 1) / m^2.
double disk_of_macro_depth(const CalcState& s, const Camera& camera)
{
    const double m = s.magnification;
    const double c_e = s.macro_depth * m * m / (2 * s.effective_f_stop * (m + 1));
    const double allowed = camera.coc * s.blur_threshold;
    return std::sqrt(allowed * allowed - c_e * c_e);
}

// The strip's blur (mm) at exactly `distance`: its bottom row, with the window starting there.
double strip_blur_at(CalcState s, const Camera& camera, double distance)
{
    s.maxblur_near = distance;
    s.maxblur_far = distance < 0 ? -1 : 2 * distance;
    std::vector<double> blur(3);
    compute_row_blur(blur, s, camera);
    return blur[0] * camera.coc;
}

class OneShot : public testing::TestWithParam<Shot> {};

TEST_P(OneShot, DepthOfFieldBlurMacroAndTheirStripsShareTheDisk)
{
    const Shot shot = GetParam();
    const Camera camera = camera_of(shot);
    const double disk = thin_lens::focused_airy_disk(shot.focal_length, shot.f_stop, 550, shot.focus);
    const bool nothing_sharp = disk >= camera.coc;

    CalcState dof = state_of(shot, Mode::DepthOfField);
    recompute(dof, camera, false);
    if (nothing_sharp) {
        EXPECT_EQ(dof.range, 0);
    } else {
        EXPECT_TRUE(close_to(disk_of_depth(dof, camera), disk, 1e-9));
    }
    EXPECT_TRUE(close_to(strip_blur_at(dof, camera, shot.focus), disk, 1e-12));

    CalcState blur = state_of(shot, Mode::Blur);  // the object at the focus: diffraction alone
    recompute(blur, camera, false);
    EXPECT_TRUE(close_to(blur.blur * camera.coc, disk, 1e-12));

    CalcState macro = state_of(shot, Mode::Macro);
    recompute(macro, camera, true);
    EXPECT_TRUE(close_to(macro.macro_effective_f_stop * 2.44 * 550e-6, disk, 1e-12));
    if (nothing_sharp) {
        EXPECT_EQ(macro.macro_depth, 0);
    } else {
        EXPECT_TRUE(close_to(disk_of_macro_depth(macro, camera), disk, 1e-9));
    }
    std::vector<double> centre(5);
    compute_row_blur(centre, macro, camera);
    EXPECT_TRUE(close_to(centre[2] * camera.coc, disk, 1e-12));
}

TEST_P(OneShot, BestFStopAndFocusStackingShootWithTheDiskOfTheirFocus)
{
    const Shot shot = GetParam();
    const Camera camera = camera_of(shot);
    const double f = shot.focal_length;

    // From the shot's focus out: the shot is taken at the best focus and the optimum aperture.
    CalcState best = state_of(shot, Mode::BestFStop);
    best.near_limit = shot.focus;
    best.far_limit = 1.5 * shot.focus;
    recompute(best, camera, false);
    const double n = best.optimum_effective_f_stop;
    const double disk = thin_lens::focused_airy_disk(f, n, 550, best.best_focus);
    EXPECT_TRUE(close_to(best.optimum_blur * camera.coc, std::sqrt(2.0) * disk, 1e-9));
    EXPECT_TRUE(close_to(strip_blur_at(best, camera, best.best_focus), disk, 1e-12));
    Shot same = shot;
    same.f_stop = n;
    same.focus = best.best_focus;
    CalcState blur = state_of(same, Mode::Blur);
    recompute(blur, camera, false);
    EXPECT_TRUE(close_to(blur.blur * camera.coc, disk, 1e-12));

    // A stack from the focus out: at each image's own distance that image is the sharpest, and it
    // is blurred by its own disk only, as Blur mode says for that image.
    CalcState stack = state_of(shot, Mode::FocusStacking);
    stack.near_limit = shot.focus;
    stack.far_limit = 3 * shot.focus;
    stack.ni = 3;
    recompute(stack, camera, false);
    for (int i = 0; i < stack.ni; ++i) {
        const double p = stack.focus_points[i];
        const double own = thin_lens::focused_airy_disk(f, stack.optimum_effective_f_stop, 550, p);
        EXPECT_TRUE(close_to(strip_blur_at(stack, camera, p), own, 1e-12)) << "image " << i;
        same.f_stop = stack.optimum_effective_f_stop;
        same.focus = p;
        CalcState image = state_of(same, Mode::Blur);
        recompute(image, camera, false);
        EXPECT_TRUE(close_to(image.blur * camera.coc, own, 1e-12)) << "image " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shots, OneShot,
    testing::Values(Shot{0.012, 50, 4, 100},                // 1:1 at f/4: f/8 at the sensor
                    Shot{0.012, 50, 5.656854249492381, 100},  // f/11.3 at the sensor: nothing sharp
                    Shot{0.012, 100, 2.8, 300},             // 1:2
                    Shot{0.0314159, 50, 8, 1219.2},         // the first start, 1 : 23.4
                    Shot{0.0314159, 105, 11, 400},          // 1 : 2.8
                    Shot{0.03, 24, 16, 5000}));             // a landscape: f/16.08

// A 24 MP full frame at 1:1 and f/4 once showed 0.172 mm of depth in depth of field mode and
// 0.086 mm in Macro mode, and at f/5.66 0.21 mm against nothing.
TEST(OneShot, LifeSizeDepthIsTheSameInDepthOfFieldAndMacroModes)
{
    for (const double n : {4.0, 5.656854249492381}) {
        const Shot shot{0.012, 50, n, 100};
        const Camera camera = camera_of(shot);
        CalcState dof = state_of(shot, Mode::DepthOfField);
        CalcState macro = state_of(shot, Mode::Macro);
        recompute(dof, camera, false);
        recompute(macro, camera, false);
        EXPECT_NEAR(dof.range, macro.macro_depth, 1e-7) << n;
        EXPECT_NEAR(macro.macro_depth, n == 4 ? 0.0858 : 0, 5e-5) << n;
    }
}

}  // namespace

// DepthOfField and Blur modes: worked values and the thin-lens identities the limits satisfy.
#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "support/close_to.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"

namespace {

constexpr double infinity = -1;

CalcState dof_state(double focal_length, double f_stop, double focus_at, double blur_threshold = 1)
{
    CalcState s;
    s.mode = Mode::DepthOfField;
    s.focal_length = focal_length;
    s.f_stop = f_stop;
    s.focus_at = focus_at;
    s.blur_threshold = blur_threshold;
    return s;
}

// f^2 / (N c_e) at focus distance s, from the allowed blur left after the Airy disk there.
double hyperfocal_excess(const Camera& camera, double f, double n, double blur_threshold, double s)
{
    const double allowed = camera.coc * blur_threshold;
    const double airy = thin_lens::focused_airy_disk(f, n, camera.wavelength, s);
    return f * f / (n * std::sqrt(allowed * allowed - airy * airy));
}

TEST(DepthOfField, DefaultStateGivesTheWorkedValues)
{
    const Camera camera = hand_default_camera();
    CalcState s;
    ASSERT_EQ(s.mode, Mode::DepthOfField);
    recompute(s, camera, true);

    EXPECT_NEAR(camera.coc, 0.0314159, 5e-8);
    EXPECT_NEAR(s.effective_f_stop / airy_factor(camera), 0.010736, 5e-7);
    // At 1.2 m the sensor sees f/8.34 (1 : 23.4), whose Airy disk is 0.0112 mm; the hyperfocal
    // distance takes the diffraction of its own focus, f/8.04.
    EXPECT_NEAR(s.hyperfocal, 10641.0, 0.05);
    EXPECT_NEAR(s.near, 1098.6, 0.05);
    EXPECT_NEAR(s.far, 1369.6, 0.05);
    EXPECT_NEAR(s.front, 120.6, 0.05);
    EXPECT_NEAR(s.back, 150.4, 0.05);
    EXPECT_NEAR(s.range, 271.1, 0.05);
    EXPECT_NEAR(s.field_width, 841.8, 0.05);  // 36 mm times 1 / m: 23.4 times
    EXPECT_NEAR(s.angle_width, 38.1, 0.05);
    EXPECT_NEAR(s.magnification, 0.0428, 0.00005);
    EXPECT_NEAR(s.maxblur_near, 423.2, 0.05);
    EXPECT_LT(s.maxblur_far, 0);  // the distance scale reaches infinity
}


TEST(DepthOfField, FocusAtInfinity)
{
    const Camera camera = hand_default_camera();
    CalcState s = dof_state(50, 8, infinity);
    recompute(s, camera, true);
    EXPECT_GT(s.hyperfocal, 0);
    EXPECT_NEAR(s.near, 10584, 0.5);  // where a near limit focused at 1e8 mm lies; the hyperfocal distance is 10,641
    EXPECT_EQ(s.far, -1);
    EXPECT_EQ(s.front, -1);
    EXPECT_EQ(s.back, -1);
    EXPECT_EQ(s.range, -1);
    EXPECT_EQ(s.magnification, 0);
    // The angles of view are those of the frame, all positive; the diagonal reads 46.8 degrees.
    EXPECT_TRUE(close_to(s.angle_width, thin_lens::angle_of_view(36, 50)));
    EXPECT_TRUE(close_to(s.angle_height, thin_lens::angle_of_view(24, 50)));
    EXPECT_TRUE(close_to(s.angle_diagonal, thin_lens::angle_of_view(std::hypot(36, 24), 50)));
    EXPECT_NEAR(s.angle_diagonal, 46.8, 0.05);
    EXPECT_EQ(s.field_width, -1);
    EXPECT_EQ(s.field_height, -1);
    // The distance window: infinity at the far end, maxblur CoCs of defocus at the near end.
    EXPECT_EQ(s.maxblur_far, -1);
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, 8, infinity, s.maxblur_near),
                         s.maxblur * camera.coc));
}

TEST(DepthOfField, AnyNegativeFocusIsInfinity)
{
    const Camera camera = hand_default_camera();
    CalcState a = dof_state(50, 8, -1);
    CalcState b = dof_state(50, 8, -12345);
    recompute(a, camera, true);
    recompute(b, camera, true);
    EXPECT_EQ(a.near, b.near);
    EXPECT_EQ(a.far, b.far);
    EXPECT_EQ(a.angle_diagonal, b.angle_diagonal);
    EXPECT_EQ(a.maxblur_near, b.maxblur_near);
    EXPECT_EQ(b.magnification, 0);
}


TEST(DepthOfField, FocusedAtTheHyperfocalDistance)
{
    const Camera camera = hand_default_camera();
    CalcState s = dof_state(50, 8, 0);
    recompute(s, camera, false);
    s.focus_at = s.hyperfocal;
    recompute(s, camera, false);
    EXPECT_EQ(s.far, -1);  // everything from half the hyperfocal distance to infinity is sharp
    EXPECT_TRUE(close_to(s.near, s.hyperfocal / 2));
}

TEST(DepthOfField, FarLimitsBeyondOneBillionMillimetresAreInfinite)
{
    const Camera camera = hand_default_camera();
    // The focus distance whose far limit is `far`: 1/s = (1/far) (h + far) / (h + f), with h taken
    // at that focus (a few rounds settle it: h hardly changes out there).
    auto focus_for_far = [&](double far) {
        double s = far;
        for (int i = 0; i < 20; ++i) {
            const double h = hyperfocal_excess(camera, 50, 8, 1, s);
            s = far * (h + 50) / (h + far);
        }
        return s;
    };

    CalcState below = dof_state(50, 8, focus_for_far(5e8));
    recompute(below, camera, false);
    EXPECT_TRUE(close_to(below.far, 5e8, 1e-6));
    EXPECT_TRUE(close_to(below.back, 5e8 - below.focus_at, 1e-6));

    CalcState beyond = dof_state(50, 8, focus_for_far(2e9));
    recompute(beyond, camera, false);
    EXPECT_EQ(beyond.far, -1);
    EXPECT_EQ(beyond.range, -1);
}

TEST(DepthOfField, DistanceWindowEndsBlurByMaxblurCocs)
{
    const Camera camera = hand_default_camera();
    CalcState s = dof_state(50, 2, 3000);
    s.maxblur = 4;
    recompute(s, camera, true);
    ASSERT_GT(s.maxblur_far, 0);
    const double target = 4 * camera.coc;
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, 2, 3000, s.maxblur_near), target, 1e-9));
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, 2, 3000, s.maxblur_far), target, 1e-9));
}

// Blur mode runs the depth-of-field steps and adds the blur of the object at blur_distance.

CalcState blur_state(double focus_at, double blur_distance)
{
    CalcState s = dof_state(50, 8, focus_at);
    s.mode = Mode::Blur;
    s.blur_distance = blur_distance;
    return s;
}

TEST(Blur, SharesTheDepthOfFieldResults)
{
    const Camera camera = hand_default_camera();
    CalcState dof = dof_state(50, 8, 2500);
    CalcState blur = blur_state(2500, 4000);
    recompute(dof, camera, true);
    recompute(blur, camera, true);
    EXPECT_EQ(blur.near, dof.near);
    EXPECT_EQ(blur.far, dof.far);
    EXPECT_EQ(blur.hyperfocal, dof.hyperfocal);
    EXPECT_EQ(blur.range, dof.range);
    EXPECT_EQ(blur.magnification, dof.magnification);
    EXPECT_EQ(blur.angle_diagonal, dof.angle_diagonal);
    EXPECT_EQ(blur.maxblur_near, dof.maxblur_near);
}

TEST(Blur, BothAtInfinityIsDiffractionOnly)
{
    const Camera camera = hand_default_camera();
    CalcState s = blur_state(infinity, infinity);
    recompute(s, camera, false);
    EXPECT_TRUE(close_to(s.blur, thin_lens::airy_disk(550, 8) / camera.coc));
    EXPECT_NEAR(s.blur, 0.3417, 0.00005);
}

TEST(Blur, AnObjectAtInfinityBlursAsAFarObjectDoes)
{
    const Camera camera = hand_default_camera();
    CalcState s = blur_state(2000, infinity);
    recompute(s, camera, false);
    // An infinitely far object blurs by f^2 / ((s - f) N) on the sensor, the limit of a receding object.
    const double defocus = 50.0 * 50 / ((2000 - 50) * 8.0);
    const double airy = thin_lens::airy_disk(550, 8 * 2000.0 / 1950);  // the f-number at the sensor
    EXPECT_TRUE(close_to(s.blur, std::sqrt(defocus * defocus + airy * airy) / camera.coc));

    for (const double focus : {100.0, 150.0, 2000.0, 1e6}) {
        CalcState at_infinity = blur_state(focus, infinity);
        CalcState far_away = blur_state(focus, 1e9);
        recompute(at_infinity, camera, false);
        recompute(far_away, camera, false);
        EXPECT_TRUE(close_to(at_infinity.blur, far_away.blur, 1e-5)) << focus;
    }
}

}  // namespace

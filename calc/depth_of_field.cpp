// DepthOfField and Blur modes: field of view, hyperfocal distance, near and far limits, and the
// blur of an object at blur_distance. Defocus blur and the diffraction disk add in quadrature; the
// disk is that of the working f-number at the focus distance.
#include <cmath>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "calc/recompute_modes.h"

void compute_field_of_view(CalcState& state, const Camera& camera, double s)
{
    // The frame W, H sees the object plane through the lens: focused at s the image forms
    // v = f s / (s - f) behind it, so the field is the frame times s / v, W (s - f) / f (the frame
    // over the magnification), and its angle is the one the frame subtends from v. Focused at
    // infinity v = f: the sizes are -1 (infinite) and the angles those of the lens itself.
    const double f = state.effective_focal_length;
    const double image = s < 0 ? f : f * s / (s - f);
    const auto field = [&](double frame, double& size, double& angle) {
        size = s < 0 ? -1 : frame * (s - f) / f;
        angle = portable::atan(frame * 0.5 / image) * full_angle_degrees;
    };
    field(camera.frame_width_mm, state.field_width, state.angle_width);
    field(camera.frame_height_mm, state.field_height, state.angle_height);
    field(portable::hypot(camera.frame_width_mm, camera.frame_height_mm), state.field_diagonal, state.angle_diagonal);
}

namespace {

// What the allowed blur leaves for defocus beside a diffraction disk of `disk` mm.
double left_for_defocus(double disk, double allowed)
{
    return disk < allowed ? std::sqrt(allowed * allowed - disk * disk) : 0;
}

}  // namespace

double defocus_allowance(const CalcState& state, const Camera& camera, double focus)
{
    const double disk = working_f_number(state.effective_f_stop, state.effective_focal_length, focus) / airy_factor(camera);
    return left_for_defocus(disk, camera.coc * state.blur_threshold);
}

double hyperfocal_distance(double f_number, double focal_length, double airy, double allowed)
{
    // Focused at H = h + f the lens works at N (1 + f / h), and an object at infinity blurs by
    // f^2 / (N h). With u = 1 / h and d0 = N / G, H is where that blur and the diffraction disk
    // add up to c': (f^2 u / N)^2 + d0^2 (1 + f u)^2 = c'^2. The positive root of this quadratic,
    // written without cancellation, is h = f (d0^2 + sqrt(d0^2 c'^2 + f^2 (c'^2 - d0^2) / N^2))
    // / (c'^2 - d0^2); without diffraction it is the familiar f^2 / (N c').
    const double f = focal_length;
    const double n = f_number;
    const double d0 = n / airy;
    if (!(d0 < allowed))
        return -1;
    const double left = (allowed - d0) * (allowed + d0);  // c'^2 - d0^2, what diffraction leaves
    const double h = f * (d0 * d0 + std::sqrt(d0 * d0 * allowed * allowed + f * f * left / (n * n))) / left;
    return std::isfinite(h) ? h + f : -1;
}

void compute_depth_of_field(CalcState& state, const Camera& camera)
{
    const double f = state.effective_focal_length;
    const double n = state.effective_f_stop;
    const double s = state.focus_at;

    compute_field_of_view(state, camera, s);

    // The hyperfocal distance is a property of the aperture, not of this focus: it takes the
    // diffraction of its own (far) focus, so it stays where the far limit turns infinite.
    const double airy = airy_factor(camera);
    const double allowed = camera.coc * state.blur_threshold;
    state.hyperfocal = hyperfocal_distance(n, f, airy, allowed);
    const double c_e = left_for_defocus(working_f_number(n, f, s) / airy, allowed);  // as defocus_allowance
    const double h = f * f / (c_e * n);
    // Where diffraction at this focus leaves (next to) nothing of the allowed blur, nothing but
    // the focus distance itself is sharp: no depth at all.
    const bool focus_only = !(c_e > 0 && std::isfinite(h));
    if (!focus_only) {
        if (s < 0) {
            // Focused at infinity an object at x blurs by f^2 / (N x): the near limit is h itself,
            // where the finite focus's near limit h s / (h + s - f) tends (not the hyperfocal
            // distance, whose Airy disk is that of its own, closer, focus). Beyond 1000 km it is
            // infinity too, as a far limit would be.
            state.near = h > far_cap_mm ? -1 : h;
            state.far = -1;
        } else {
            const double near_denominator = h + s - f;
            state.near = near_denominator == 0 ? -1 : h * s / near_denominator;
            const double far_denominator = h - s + f;
            state.far = far_denominator > 0 ? h * s / far_denominator : -1;
            if (state.far > far_cap_mm)
                state.far = -1;
            // Where h dwarfs s both quotients are s itself, rounded either way: never past it.
            if (state.near > s)
                state.near = s;
            if (state.far >= 0 && state.far < s)
                state.far = s;
        }
    } else {
        state.near = state.focus_at;
        state.far = state.focus_at;
    }

    state.front = focus_only ? 0 : (state.near < 0 || s < 0) ? -1 : s - state.near;
    state.back = focus_only ? 0 : state.far < 0 ? -1 : state.far - s;
    state.range = focus_only ? 0 : (state.near < 0 || state.far < 0) ? -1 : state.front + state.back;
    state.magnification = s < 0 ? 0 : f / (s - f);
}

void compute_blur(CalcState& state, const Camera& camera)
{
    compute_depth_of_field(state, camera);

    const double f = state.effective_focal_length;
    const double n = state.effective_f_stop;
    const double s = state.focus_at;
    const double object = state.blur_distance;
    if (0 < s && s <= f) {
        state.blur = -1;  // cannot focus inside the focal length
        return;
    }
    double defocus;
    if (s < 0 && object < 0)
        defocus = 0;
    else if (s < 0 && object > 0)
        defocus = f * f / (object * n);
    else if (s > 0 && object < 0)
        defocus = f * f / ((s - f) * n);  // the general formula's limit as the object recedes
    else
        defocus = std::fabs((s - object) * f * f / ((s - f) * object * n));
    state.blur = portable::hypot(defocus, working_f_number(n, f, s) / airy_factor(camera)) / camera.coc;
}

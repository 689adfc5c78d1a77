// DepthOfField and Blur modes: field of view, hyperfocal distance, near and far limits, and the
// blur of an object at blur_distance. Defocus blur and the diffraction disk add in quadrature.
#include <cmath>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "calc/recompute_modes.h"

void compute_field_of_view(CalcState& state, const Camera& camera, double s)
{
    const double f = state.effective_focal_length;
    state.field_width = camera.frame_width_mm * s / f;
    state.angle_width = portable::atan(state.field_width * 0.5 / s) * full_angle_degrees;
    state.field_height = camera.frame_height_mm * s / f;
    state.angle_height = portable::atan(state.field_height * 0.5 / s) * full_angle_degrees;
    // The width and height keep the sign of s, so their angles are right even at infinity; the
    // diagonal is a length, so its angle takes the distance's magnitude.
    state.field_diagonal = portable::hypot(state.field_width, state.field_height);
    state.angle_diagonal = portable::atan(state.field_diagonal * 0.5 / std::fabs(s)) * full_angle_degrees;
}

void compute_depth_of_field(CalcState& state, const Camera& camera)
{
    const double f = state.effective_focal_length;
    const double n = state.effective_f_stop;
    const double s = state.focus_at;

    compute_field_of_view(state, camera, s);

    const double d = n / airy_factor(camera);
    const double allowed = camera.coc * state.blur_threshold;
    const double c_e = d < allowed ? std::sqrt(allowed * allowed - d * d) : 0;  // what diffraction leaves
    const double h = f * f / (c_e * n);
    // Where diffraction leaves (next to) nothing of the allowed blur, nothing but the focus
    // distance itself is sharp.
    if (d < allowed && std::isfinite(h)) {
        state.hyperfocal = h + f;
        if (s < 0) {
            // Focused at infinity the near limit is the hyperfocal distance; beyond 1000 km it is
            // infinity too, as a far limit would be.
            state.near = state.hyperfocal > far_cap_mm ? -1 : state.hyperfocal;
            state.far = -1;
        } else {
            const double near_denominator = h + s - f;
            state.near = near_denominator == 0 ? -1 : h * s / near_denominator;
            const double far_denominator = h - s + f;
            state.far = far_denominator > 0 ? h * s / far_denominator : -1;
            if (state.far > far_cap_mm)
                state.far = -1;
            // Where the hyperfocal distance dwarfs the focus distance, rounding must not put a
            // limit on the wrong side of it.
            if (state.near > s)
                state.near = s;
            if (state.far >= 0 && state.far < s)
                state.far = s;
        }
    } else {
        state.near = state.focus_at;
        state.far = state.focus_at;
        state.hyperfocal = -1;
    }

    state.front = (state.near < 0 || s < 0) ? -1 : s - state.near;
    state.back = state.far < 0 ? -1 : state.far - s;
    state.range = (state.near < 0 || state.far < 0) ? -1 : state.front + state.back;
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
    state.blur = portable::hypot(defocus, n / airy_factor(camera)) / camera.coc;
}

// FocusStacking mode: focus points spaced evenly in 1/distance between the limits, the aperture
// that lets their depths of field join, and the limits of the whole stack.
#include <algorithm>
#include <cmath>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "calc/recompute_modes.h"

int focus_point_count(const CalcState& state)
{
    return std::clamp(state.ni, 2, max_focus_points);
}

void compute_focus_stacking(CalcState& state, const Camera& camera)
{
    normalise_limits(state);
    const int k = focus_point_count(state);
    double* p = state.focus_points.data();
    const double far_limit = state.far_limit;
    const double p0 = state.near_limit;
    p[0] = p0;
    p[k - 1] = far_limit;
    for (int i = 1; i <= k - 2; ++i) {
        const double t = static_cast<double>(i) / (k - 1);
        p[i] = far_limit >= 0 ? p0 / (1 - (1 - p0 / far_limit) * t) : p0 / (1 - t);
    }
    const double p1 = p[1];
    const double last = p[k - 1];

    const double f = state.effective_focal_length;
    const double c = camera.coc;
    const double airy = airy_factor(camera);

    // Focused midway (in 1/distance) between the first two points.
    const double b = p1 >= 0 ? 2 * p0 * p1 / (p0 + p1) : 2 * p0;
    set_optimum_aperture(state, p0, b, airy);
    const double n_opt = state.optimum_effective_f_stop;

    // Limits of the stack with the optimum aperture and the plain CoC.
    const double h = f * f / (n_opt * c);
    const double near_denominator = p0 + h - f;
    state.stack_near = near_denominator == 0 ? -1 : p0 * h / near_denominator;
    state.hyperfocal = h + f;
    if (last < 0) {
        state.stack_far = -1;
    } else {
        const double far_denominator = h - last + f;
        if (far_denominator <= 0) {
            state.stack_far = -1;
        } else {
            state.stack_far = h * last / far_denominator;
            if (state.stack_far > far_cap_mm)
                state.stack_far = -1;
        }
    }
    state.stack_range =
        (state.stack_far < 0 || state.stack_near < 0) ? -1 : state.stack_far - state.stack_near;

    if ((p1 >= 0 && p1 <= f) || state.optimum_f_stop == 0) {
        state.optimum_blur = -1;
    } else {
        // The stack is softest where two neighbouring images blur alike: an object whose image
        // lies midway between theirs blurs by as much as either image focused at b, midway in
        // 1/distance, blurs the first point (b is where their blur circles are equal). So the
        // blur between images is that of the first point with the focus at b, diffraction at b.
        const double defocus = std::fabs((b - p0) * f * f / ((b - f) * p0 * n_opt));
        state.optimum_blur = portable::hypot(defocus, working_f_number(n_opt, f, b) / airy) / c;
    }
}

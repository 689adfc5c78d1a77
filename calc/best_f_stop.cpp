// BestFStop mode: the focus distance and aperture that make near_limit..far_limit sharpest,
// plus the limit normalisation and optimum aperture shared with focus stacking.
#include <cmath>
#include <utility>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "calc/recompute_modes.h"

void normalise_limits(CalcState& state)
{
    // Every negative limit is infinity: two of them are equal limits, and an infinite near limit
    // lies beyond any finite far one. Equal limits are parted by bringing the near one in by a
    // tenth, or, where that would be closer than the lens can focus, taking the far one out.
    const double n = state.near_limit;
    const double far = state.far_limit;
    const double closest = 2 * state.effective_focal_length;
    // Limits a billionth apart are one: the focus between them would round onto the near one, and
    // no aperture would be needed.
    if (std::fabs(n - far) <= far * 1e-9 || (n < 0 && far < 0)) {
        if (far < 0)
            state.near_limit = 1000 < closest ? closest : 1000;
        else if (0.9 * far >= closest)
            state.near_limit = 0.9 * far;
        else
            state.far_limit = far / 0.9 > far_cap_mm ? -1 : far / 0.9;
    } else if (n < 0 || (far > 0 && n > far)) {
        std::swap(state.near_limit, state.far_limit);
    }
}

double optimum_f_number(double nearest, double focus, double focal_length, double airy)
{
    // Focused at b, an object at a blurs by f^2 (b - a) / (N a (b - f)), and the diffraction disk
    // of the working f-number N b / (b - f) is N b / ((b - f) G). They are equal, and their
    // quadrature sum smallest, where N^2 = G f^2 (b - a) / (a b).
    return std::sqrt(std::fabs(airy * (focus - nearest) / (nearest * focus))) * focal_length;
}

void set_optimum_aperture(CalcState& state, double nearest, double focus, double airy)
{
    const double optimum = optimum_f_number(nearest, focus, state.effective_focal_length, airy);
    state.optimum_f_stop = optimum / state.teleconverter;
    state.optimum_effective_f_stop = state.optimum_f_stop * state.teleconverter;
}

void compute_best_f_stop(CalcState& state, const Camera& camera)
{
    normalise_limits(state);
    const double n = state.near_limit;
    const double far = state.far_limit;
    const double f = state.effective_focal_length;
    const double airy = airy_factor(camera);
    const double c = camera.coc;

    // The distance whose reciprocal lies midway between 1/n and 1/far.
    state.best_focus = far > 0 ? 2 * n * far / (far + n) : 2 * n;
    const double b = state.best_focus;

    compute_field_of_view(state, camera, b);
    set_optimum_aperture(state, n, b, airy);

    const double n_opt = state.optimum_effective_f_stop;
    if (b <= f || state.optimum_f_stop == 0)
        state.optimum_blur = -1;
    else
        state.optimum_blur = portable::hypot(std::fabs(f * f * (b - n) / (n_opt * n * (b - f))),
                                             working_f_number(n_opt, f, b) / airy) /
                             c;

    // The hyperfocal distance for the optimum aperture, as DepthOfField computes it for the set one.
    state.hyperfocal = hyperfocal_distance(n_opt, f, airy, c * state.blur_threshold);

    state.front = (n < 0 || b < 0) ? -1 : b - n;
    state.back = far < 0 ? -1 : far - b;
    state.range = (n < 0 || far < 0) ? -1 : state.front + state.back;
    state.magnification = b < 0 ? 0 : f / (b - f);
}

// Macro mode: depth of field from the magnification that the field width gives.
#include <cmath>

#include "calc/recompute.h"
#include "calc/recompute_modes.h"

CloseUp close_up(double f_number, double magnification, const Camera& camera, double blur_threshold)
{
    const double n = f_number;
    const double m = magnification;
    // Close up the image lies (1 + m) focal lengths behind the lens, not one: the cone of light
    // that forms it is that much slower than the marked f-number says, and the diffraction disk
    // that much larger (twice as large at 1:1).
    const double working = n * (1 + m);
    const double d = working / airy_factor(camera);
    const double allowed = camera.coc * blur_threshold;
    // Total depth 2 N c (m + 1) / m^2, with the allowed blur reduced by diffraction in quadrature.
    return {working, d >= allowed ? 0 : std::sqrt(allowed * allowed - d * d) * 2 * n * (m + 1) / (m * m)};
}

void compute_macro(CalcState& state, const Camera& camera)
{
    const double n = state.effective_f_stop;
    const double m = camera.frame_width_mm / state.fov;
    state.magnification = m;
    state.macro_factor = m * m / ((m + 1) * n);
    const CloseUp shot = close_up(n, m, camera, state.blur_threshold);
    state.macro_effective_f_stop = shot.working_f_number;
    state.macro_depth = shot.depth;
}

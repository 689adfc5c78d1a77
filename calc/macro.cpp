// Macro mode: depth of field from the magnification that the field width gives.
#include <cmath>

#include "calc/recompute.h"
#include "calc/recompute_modes.h"

void compute_macro(CalcState& state, const Camera& camera)
{
    const double n = state.effective_f_stop;
    const double m = camera.frame_width_mm / state.fov;
    state.magnification = m;
    state.macro_factor = m * m / ((m + 1) * n);
    // Close up the image lies (1 + m) focal lengths behind the lens, not one: the cone of light
    // that forms it is that much slower than the marked f-number says, and the diffraction disk
    // that much larger (twice as large at 1:1).
    state.macro_effective_f_stop = n * (1 + m);
    const double d = state.macro_effective_f_stop / airy_factor(camera);
    const double allowed = camera.coc * state.blur_threshold;
    // Total depth 2 N c (m + 1) / m^2, with the allowed blur reduced by diffraction in quadrature.
    state.macro_depth =
        d >= allowed ? 0 : std::sqrt(allowed * allowed - d * d) * 2 * n * (m + 1) / (m * m);
}

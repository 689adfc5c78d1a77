// recompute: derives every result of CalcState from its inputs and the current camera.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// Derives all results for the state's mode. With `rescale` it also re-centres the lens,
/// field-width and blur scale windows and moves the distance window (update_distance_window).
/// The caller repaints afterwards.
void recompute(CalcState& state, const Camera& camera, bool rescale);

/// The airy factor G = 500000 / (1.22 * wavelength in nm): N / G is the diameter in mm of the
/// diffraction (Airy) disk at effective f-number N.
double airy_factor(const Camera& camera);

/// Sets maxblur_near and maxblur_far: the distances at which the blur reaches `maxblur` CoCs.
void update_distance_window(CalcState& state, const Camera& camera);

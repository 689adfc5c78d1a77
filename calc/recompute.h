// recompute: derives every result of CalcState from its inputs and the current camera.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// Derives all results for the state's mode. With `rescale` it also re-centres the lens,
/// field-width and blur scale windows and moves the distance window (update_distance_window).
/// The caller repaints afterwards.
void recompute(CalcState& state, const Camera& camera, bool rescale);

/// focal_length through the teleconverter, divided by the crop factor when the camera's focal
/// lengths are entered as 35 mm equivalents.
double effective_focal_length_of(const CalcState& state, const Camera& camera);

/// Sets effective_focal_length and effective_f_stop from the inputs (the first step of recompute).
void set_effective_values(CalcState& state, const Camera& camera);

/// The airy factor G = 500000 / (1.22 * wavelength in nm): N / G is the diameter in mm of the
/// diffraction (Airy) disk at effective f-number N.
double airy_factor(const Camera& camera);

/// Sets maxblur_near and maxblur_far: the distances at which the blur reaches `maxblur` CoCs.
void update_distance_window(CalcState& state, const Camera& camera);

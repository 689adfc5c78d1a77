// recompute: derives every result of CalcState from its inputs and the current camera.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// Derives all results for the state's mode. With `rescale` it also re-centres the lens,
/// field-width and blur scale windows and moves the distance window (update_distance_window).
/// Distances the lens cannot focus on are first moved where it can (keep_focusable), whatever
/// changed the lens: a teleconverter, another camera, a settings file. The caller repaints afterwards.
void recompute(CalcState& state, const Camera& camera, bool rescale);

/// Nothing is focused closer than twice the focal length (beyond 1:1): a positive distance below
/// that, or 0, is raised to it (to infinity, -1, when that is beyond 1000 km); infinity (negative)
/// stays.
void raise_to_closest_focus(double& distance, double effective_focal_length);

/// raise_to_closest_focus for the focus distance and both limits at the state's effective focal
/// length, and any of them beyond 1000 km made infinity (-1); the object whose blur is computed is never at the lens (0), where its blur would be
/// infinite. (The limit modes put the two limits in order themselves.)
void keep_focusable(CalcState& state);

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

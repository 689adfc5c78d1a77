// recompute: derives every result of CalcState from its inputs and the current camera.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// Derives all results for the state's mode. With `rescale` it also re-centres the lens,
/// field-width and blur scale windows and moves the distance window (update_distance_window).
/// The inputs are first kept usable (keep_inputs_usable), whatever changed them: a teleconverter,
/// another camera, a key stepping a value, a settings file. The caller repaints afterwards.
void recompute(CalcState& state, const Camera& camera, bool rescale);

/// Nothing is focused closer than twice the focal length (beyond 1:1): a positive distance below
/// that, or 0, is raised to it (to infinity, -1, when that is beyond 1000 km); infinity (negative)
/// stays.
void raise_to_closest_focus(double& distance, double effective_focal_length);

/// Keeps the inputs where every calculation and the settings file can take them: the focal length,
/// teleconverter, f-number, allowed blur and field width within the magnitudes the file keeps;
/// a distance beyond 1000 km made infinity (-1); the effective values set (set_effective_values);
/// raise_to_closest_focus for the focus distance and both limits at the effective focal length; the object whose blur is computed never at
/// the lens (0, or closer than the file keeps), where its blur would be infinite. (The limit modes
/// put the two limits in order themselves.)
void keep_inputs_usable(CalcState& state, const Camera& camera);

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

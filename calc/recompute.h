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

/// Keeps the focal length, field width, allowed blur, f-number, teleconverter and the blur at the
/// distance column's ends within what their scales show (InputRange, the f-stop table); a value
/// that is no number takes its default.
void keep_inputs_on_their_scales(CalcState& state);

/// Keeps the inputs where every calculation and the settings file can take them: on their scales
/// (keep_inputs_on_their_scales); a distance beyond 1000 km made infinity (-1); the effective values set (set_effective_values);
/// raise_to_closest_focus for the focus distance and both limits at the effective focal length;
/// the object whose blur is computed never at the lens (0, or closer than the file keeps), where
/// its blur would be infinite. (The limit modes put the two limits in order themselves.)
void keep_inputs_usable(CalcState& state, const Camera& camera);

/// focal_length through the teleconverter, divided by the crop factor when the camera's focal
/// lengths are entered as 35 mm equivalents.
double effective_focal_length_of(const CalcState& state, const Camera& camera);

/// Sets effective_focal_length and effective_f_stop from the inputs (the first step of recompute).
void set_effective_values(CalcState& state, const Camera& camera);

/// The airy factor G = 500000 / (1.22 * wavelength in nm): N / G is the diameter in mm of the
/// diffraction (Airy) disk at effective f-number N.
double airy_factor(const Camera& camera);

/// The f-number the sensor sees with the lens at effective f-number `f_number` focused at `focus`
/// (beyond the focal length; negative: infinity): close up the image forms 1 + m focal lengths
/// behind the lens, m = f / (focus - f) the magnification, so the cone of light that forms it is
/// 1 + m times slower than the f-number says (twice at 1:1). Every diffraction disk is that of
/// this f-number, so that every mode blurs one shot alike.
double working_f_number(double f_number, double focal_length, double focus);

/// What the sensor sees of an f-number set on the lens in the state's shot: the teleconverter's
/// factor times 1 + m, m the magnification of the focus the mode shows (the focus distance, the
/// best focus, the first and nearest image of a stack, the close-up's magnification).
double sensor_f_number_factor(const CalcState& state);

/// The blur (mm) the allowed blur leaves for defocus with the lens at the state's effective
/// f-number focused at `focus`, once diffraction has taken its share (blur circles add in
/// quadrature); 0 where diffraction alone reaches the allowed blur: nothing but the plane of
/// focus is sharp there.
double defocus_allowance(const CalcState& state, const Camera& camera, double focus);

/// The hyperfocal distance at effective f-number `f_number`: the closest focus distance from
/// which everything out to infinity stays within the allowed blur `allowed` (mm), diffraction at
/// that focus included; -1 when diffraction alone reaches the allowed blur even at infinity.
double hyperfocal_distance(double f_number, double focal_length, double airy, double allowed);

/// The effective f-number at which an object at `nearest`, with the lens focused farther away at
/// `focus`, blurs by exactly the diffraction disk: their quadrature sum is then smallest.
double optimum_f_number(double nearest, double focus, double focal_length, double airy);

/// A close-up at effective f-number `f_number` and magnification m: the f-number the sensor sees,
/// N (1 + m), and the total depth of field (mm), 0 where diffraction alone reaches the allowed blur.
struct CloseUp {
    double working_f_number = 0;
    double depth = 0;
};
CloseUp close_up(double f_number, double magnification, const Camera& camera, double blur_threshold);

/// Sets maxblur_near and maxblur_far: the distances at which the blur reaches `maxblur` CoCs.
void update_distance_window(CalcState& state, const Camera& camera);

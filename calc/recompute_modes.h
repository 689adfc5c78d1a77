// The per-mode steps of recompute and the optics they share; internal to calc/.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// 360 / pi: atan(x / 2) times this is the full angle 2 atan(x / 2) in degrees.
inline constexpr double full_angle_degrees = 114.59155902616465;

/// A computed far limit beyond this many millimetres is taken as infinity.
inline constexpr double far_cap_mm = 1000000000.0;

/// Field sizes and angles of view at focus distance s (negative: infinity).
void compute_field_of_view(CalcState& state, const Camera& camera, double s);

/// Orders near_limit and far_limit (writing them back) so that near_limit < far_limit.
void normalise_limits(CalcState& state);

/// Sets optimum_f_stop and optimum_effective_f_stop from optimum_f_number: the aperture at which
/// the defocus blur at `nearest`, with the focus at `focus`, equals the diffraction disk.
void set_optimum_aperture(CalcState& state, double nearest, double focus, double airy);

/// The number of focus points actually used: ni held to 2..max_focus_points.
int focus_point_count(const CalcState& state);

void compute_depth_of_field(CalcState& state, const Camera& camera);
void compute_blur(CalcState& state, const Camera& camera);
void compute_best_f_stop(CalcState& state, const Camera& camera);
void compute_focus_stacking(CalcState& state, const Camera& camera);
void compute_macro(CalcState& state, const Camera& camera);

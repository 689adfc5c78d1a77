// Markers and distance lines: the triangles that show the lens, aperture and blur values, and
// the near, far, focus, hyperfocal and focus-stack lines across the distance column's blur strip.
#pragma once

#include "calc/calc_state.h"
#include "display/canvas.h"
#include "display/geometry.h"

/// A marker triangle's length and half height at the design size.
inline constexpr int marker_length = 8;
inline constexpr int marker_half_height = 4;

/// The marker triangle of a scale whose rectangle starts at `left`: (left, y - 4), (left, y + 4),
/// (left + 8, y) at the design size, as many quarter steps larger as `scale_quarters` says, outlined and
/// filled in `colour`.
void draw_marker(Canvas& canvas, int left, int y, Colour colour, int scale_quarters = design_scale_quarters);

/// The distance column's lines for the state's mode, drawn where their rows lie within the
/// distance scale rectangle; writes the near, far and focus rows the mode defines into `g`
/// whether drawn or not.
void draw_distance_lines(Canvas& canvas, const CalcState& s, ScaleGeometry& g);

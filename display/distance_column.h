// The distance column: its scale, the blur strip, the contour ticks where the blur crosses whole
// CoCs, the minimum-blur label, and the distance lines.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/canvas.h"
#include "display/geometry.h"
#include "display/paint_scratch.h"

/// Paints the whole distance column and stores the near, far and focus rows in `g`.
void paint_distance_column(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera,
                           ScaleGeometry& g, PaintScratch& scratch);

// The distance column: its scale, the blur strip (a small Gaussian spot per pixel row, as wide as
// the blur an object at that row's distance would have, coloured by blur_colour), the contour
// ticks where the blur crosses whole CoCs, the minimum-blur label, and the distance lines.
#pragma once

#include <cstdint>
#include <span>

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/canvas.h"
#include "display/geometry.h"
#include "display/paint_scratch.h"

/// Bytes per strip row: 65 pixels of blue, green, red, padded to a multiple of 4.
inline constexpr int strip_stride = 196;

/// The blur in CoCs of every row of an n-row distance scale, entry 0 at the bottom row
/// (fraction j / (n - 1); a single row is fraction 0); -1 where the blur is undefined.
void compute_row_blur(std::span<double> row_blur, const CalcState& s, const Camera& camera);

/// The strip image for `row_blur`: n rows of strip_stride bytes, top row first, so that entry 0
/// becomes the bottom row. `pixels` holds at least n * strip_stride bytes.
void render_blur_strip(std::span<const double> row_blur, std::span<uint8_t> pixels);

/// Paints the whole distance column and stores the near, far and focus rows in `g`.
void paint_distance_column(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera,
                           ScaleGeometry& g, PaintScratch& scratch);

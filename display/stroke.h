// Lines as wide as the layout's pixel scale makes them: the one-pixel line of the canvas, or a
// band of such lines, so that ticks, scale lines and distance lines keep to the text's size.
#pragma once

#include "display/canvas.h"

/// A line `width` pixels wide (width <= 1: the canvas's one-pixel line) from (x1, y1) towards
/// (x2, y2), the end point not drawn. A horizontal or vertical one is a filled rectangle covering
/// the rows (columns) from (width - 1) / 2 before the line's own to width / 2 after it; a slanted
/// one is that many one-pixel lines, side by side across its shorter extent.
void draw_stroke(Canvas& canvas, int x1, int y1, int x2, int y2, Colour colour, int width);

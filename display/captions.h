// The caption lines above the columns: each column's name line and value line, white text at
// the top of the caption rectangles, left, centred or right.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"
#include "text/caption_text.h"

/// The text height a caption line's texts (left, centre, right; empty ones are not drawn) are
/// drawn at in a rectangle `width` pixels wide: the layout's own height when they fit there,
/// each whole and at least `gap` pixels from its neighbour, otherwise the largest smaller height
/// at which they do (never below g.smallest_text).
int caption_line_height(TextMeasure& measure, const Text256 (&texts)[caption_place_count], int width, int gap,
                        const ScaleGeometry& g);

/// Draws every non-empty caption text: first the name lines of all columns, then the value lines.
/// A line whose texts would run into each other or out of their rectangle is drawn smaller, all
/// its texts at one height, centred in the line's height.
void draw_captions(Canvas& canvas, TextMeasure& measure, const CaptionTexts& texts, const ScaleGeometry& g);

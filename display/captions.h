// The caption lines above the columns: each column's name line and value line, white text at
// the top of the caption rectangles, left, centred or right.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"
#include "text/caption_text.h"

/// Draws every non-empty caption text: first the name lines of all columns, then the value lines.
void draw_captions(Canvas& canvas, const CaptionTexts& texts, const ScaleGeometry& g);

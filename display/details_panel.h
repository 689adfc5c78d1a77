// The details panel: the black panel of the rightmost column and its result lines in white.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"
#include "text/panel_text.h"

/// Draws the panel and the lines of `text` from the column top down, each in a rectangle one line
/// high between the column's left edge + 2u and the inner rectangle's right edge - 2u; a gap
/// slot moves down by u, a hidden slot by a line without drawing. Lines that start below the
/// client area are not drawn.
void draw_details(Canvas& canvas, const PanelText& text, const ScaleGeometry& g);

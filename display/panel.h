// The black panel behind every column, from the panel top to the column's bottom.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"

/// The panel rectangle of a column: (column left, panel top, column right, column bottom), or in a
/// portrait layout, for the details panel below the scales, from the top of its caption.
Rect panel_rect(const ScaleGeometry& g, Column c);

/// Fills the panel black; an empty panel (a client too low for it) draws nothing.
void fill_panel(Canvas& canvas, const ScaleGeometry& g, Column c);

/// True when the rectangle holds no pixel.
inline bool is_empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

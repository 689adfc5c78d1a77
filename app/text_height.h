// The font height search of the main window: the largest text height from 8 upwards whose
// layout fits the client width.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"

inline constexpr int smallest_text_height = 8;
/// The search stops here: every height up to this one fitting leaves the layout of this height.
inline constexpr int largest_text_height = 49;

/// Whether the layout's details column, plus one margin, fits the client width.
bool layout_fits(const ScaleGeometry& geometry, int client_width);

/// The narrowest client area in which everything is whole and readable: the layout of the smallest
/// text height fits (with its details text), and so does the first row of toolbars. Lays out
/// `scratch` for that height.
int minimum_client_width(ScaleGeometry& scratch, TextMeasure& measure);

/// Lays out heights 8, 9, ... until one does not fit and returns the height before it (7 when
/// even 8 does not fit, 49 when all fit). `geometry` is left laid out for the returned height.
int choose_text_height(ScaleGeometry& geometry, TextMeasure& measure, int client_width, int client_height);

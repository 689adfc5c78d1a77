// paint: the whole client area of the main window, in the order lens and aperture columns,
// distance column, blur column, details panel, captions, over the window's dark grey background.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/canvas.h"
#include "display/drag.h"
#include "display/geometry.h"
#include "display/paint_scratch.h"

/// Fills everything outside the five column panels with the window background (dark grey).
/// The main window is invalidated without erasing, so paint covers every pixel itself: text that
/// ran past the details panel, or a marker beyond its scale, would otherwise stay behind.
void fill_background(Canvas& canvas, const ScaleGeometry& g);

/// The colour of the keyboard focus cue: the yellow of a focused toolbar button's ring on the page.
inline constexpr Colour focus_cue_colour{255, 212, 0};

/// The keyboard focus cue around the column of `focus`: a ring in the two (design) pixels outside
/// its panel, and for a distance line a bar in the margins on both sides of the line's row (when
/// the row lies on the panel). Nothing for None.
void draw_focus_cue(Canvas& canvas, const ScaleGeometry& g, ScaleValue focus);

/// Draws one frame from the state, the current camera and the layout, with the focus cue around
/// `focus`; stores the distance column's near, far and focus rows in `g`. Allocates nothing once
/// `scratch` is warm.
void paint(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera, ScaleGeometry& g,
           PaintScratch& scratch, ScaleValue focus = ScaleValue::None);

// Dragging on the scales: pointer rows turned into distances, limits, focal lengths, blur values
// and zoom factors, stored in the calculation state and recomputed; and the same values moved a
// step at a time from the keyboard.
#pragma once

#include <span>

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/canvas.h"
#include "display/drag_context.h"
#include "display/geometry.h"

/// Position of row y on a scale read absolutely: 0 at the bottom row, 1 at the top row; y is
/// clamped to the rectangle first. A scale without height gives 0.
double absolute_fraction(int y, Rect scale);

/// Position on a scale that follows the pointer: 0.5 (about) at the press row `origin_y`, rising by 1
/// when the pointer moves down by the scale's height; clamped to 0..1. y is clamped to the rectangle.
double relative_fraction(int y, int origin_y, Rect scale);

/// Zoom multiplier: 5 to the power 5 * (y - origin_y) / height, so moving down over the whole height
/// multiplies by 3125 and moving up divides; y is clamped to the rectangle, origin_y is not.
double zoom_factor(int y, int origin_y, Rect scale);

/// Everything that happens on the distance column outside Macro mode: a left press picks the line
/// to drag (drag_state 0, 1 or 2) and moves it to y; a right press starts scaling maxblur
/// (drag_state 7); moves follow the pointer with the distance window fixed; a left release returns
/// to Idle and re-centres the window. Any other message, and everything in Macro mode, does nothing.
/// The near, far and focus rows of `geometry` follow the dragged lines.
/// Mouse capture and cursors are the caller's business. Returns true when it ran recompute, that
/// is when the window needs repainting.
bool distance_drag(DragMessage message, int y, CalcState& state, const Camera& camera,
                   ScaleGeometry& geometry, DragContext& drag);

/// A move of LensDrag (the focal length, or the field width in Macro mode, under the lens scale's
/// middle row) or LensZoom (fl_zoom, or fov_zoom in Macro mode, clamped to 1.5..32). Maps through
/// the window and zoom saved in `drag`; re-centres. Returns true when it ran recompute.
bool lens_drag(int y, CalcState& state, const Camera& camera, const ScaleGeometry& geometry,
               const DragContext& drag);

/// A move of BlurDrag (blur_threshold under the blur scale's middle row) or BlurZoom (blur_zoom,
/// clamped to 1.5..32). Maps through the window and zoom saved in `drag`; re-centres.
/// Returns true when it ran recompute.
bool blur_drag(int y, CalcState& state, const Camera& camera, const ScaleGeometry& geometry,
               const DragContext& drag);

/// The line a left press at row y of the distance column takes hold of in the state's mode:
/// FocusLine, NearLine or FarLine, or Idle in Macro mode.
DragState line_under_press(int y, const CalcState& state, const ScaleGeometry& geometry);

/// A value the user sets on a scale, as the keyboard reaches it.
enum class ScaleValue {
    None,
    Lens,            ///< the focal length, or the field width in Macro mode
    Aperture,        ///< where the aperture is an input (not BestFStop or FocusStacking)
    Focus,           ///< the focus line (DepthOfField, Blur)
    NearLimit,       ///< BestFStop, FocusStacking
    FarLimit,        ///< BestFStop, FocusStacking
    Object,          ///< Blur mode's object line
    BlurThreshold,   ///< where the blur threshold is an input (DepthOfField, Macro)
    Details,         ///< not a value: the details panel's lines, where they scroll
};

/// The values the mode lets the user set, in the order the Tab key visits them: the columns from
/// left to right, a column's lines from top to bottom.
std::span<const ScaleValue> scale_values(Mode mode);

/// Moves a value one step towards the top of its scale (direction > 0) or the bottom: to the next
/// round value (distances in the display unit, the field width in the Macro unit) or to the next
/// f-number of the f-stop increment, whether or not snapping is on. A page step goes a tenth of the
/// scale's height (an f-number a whole stop) when that is further. Distances step from infinity to
/// just inside the scale's top and reach infinity only by pages. The drags' rules hold: the focus
/// and the limits stay beyond twice the focal length, the near limit below the far limit, and in
/// BestFStop the aperture follows the limits. Then everything is recomputed with re-centring, as at
/// the end of a drag. Returns true when the value changed; a value the mode does not let the user
/// set, or one that cannot move further, changes nothing.
bool step_scale_value(ScaleValue value, int direction, bool page, CalcState& state, const Camera& camera);

// Mouse input on the scales: hit tests, the start of every drag, move and release dispatch, and the
// hover cursors. The window procedure unpacks each message and calls one of these.
#pragma once

#include "app/host.h"
#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/drag.h"
#include "display/drag_context.h"
#include "display/geometry.h"

enum class MouseButton { Left, Right };

/// Whether the right button (two fingers on a touch screen) does anything on a column's scale: it
/// zooms the lens and blur scales and drags the distance column's blur window (not in Macro). The
/// aperture scale has no zoom, so there it does nothing, nor on the details panel.
bool right_button_zooms(Column column, Mode mode);

/// The f-number at row y of the aperture scale: 2^(-0.5 + 7.5 t) for the absolute fraction t
/// (f/0.7 at the bottom row, f/128 at the top, even in stops), snapped to the nearest half or third
/// stop when snapping is on.
double aperture_from_row(int y, const CalcState& state, const ScaleGeometry& geometry);

/// The value a left press at client (x, y) would set: the line it would take hold of on the
/// distance column, the lens scale's value, the aperture or the blur threshold where the mode lets
/// the user set them; Details on the details panel while its lines scroll; None anywhere else.
ScaleValue scale_value_at(int x, int y, const CalcState& state, const ScaleGeometry& geometry);

/// A button went down at client (x, y). Any drag in progress is dropped first; then the first
/// scale hit decides: the distance column (not in Macro), the aperture scale (left button only,
/// not in BestFStop or FocusStacking), the lens scale (left: LensDrag, right: LensZoom), the blur scale (left: BlurDrag in
/// DepthOfField and Macro only; right: BlurZoom), the details panel while it scrolls (left:
/// DetailsScroll: the lines follow the pointer, or on the scroll bar its thumb does). A drag that
/// starts captures the mouse and shows the drag cursor. Double clicks are not presses: the window must not forward WM_LBUTTONDBLCLK or
/// WM_RBUTTONDBLCLK here, so the second press of a double click starts nothing and changes nothing.
void mouse_down(MouseButton button, int x, int y, CalcState& state, const Camera& camera,
                ScaleGeometry& geometry, DragContext& drag, MouseHost& host);

/// The pointer moved to client (x, y). While Idle only the hover cursor is set; during a drag the
/// move goes to the drag (the cursor is left alone), which runs at most one recompute, followed by
/// one invalidate.
void mouse_move(int x, int y, CalcState& state, const Camera& camera, ScaleGeometry& geometry,
                DragContext& drag, MouseHost& host);

/// A button was released at client (x, y): ends the drag in progress (release capture, arrow
/// cursor, Idle), with the final recompute each drag calls for. A release while Idle does nothing.
void mouse_up(MouseButton button, int x, int y, CalcState& state, const Camera& camera,
              ScaleGeometry& geometry, DragContext& drag, MouseHost& host);

/// The wheel turned by `rows` rows (positive: towards the user, down the lines) with the pointer at
/// client (x, y): over the details panel while it scrolls, it scrolls by that many rows and
/// repaints. Returns whether the wheel was the panel's.
bool mouse_wheel(int x, int y, int rows, ScaleGeometry& geometry, MouseHost& host);

/// Another window took the mouse capture during a drag, so no release will arrive: ends the drag
/// with the values the last move set (arrow cursor, Idle) and re-centres the scales. The capture is
/// not released, since it already belongs elsewhere. Does nothing while Idle.
void mouse_capture_lost(CalcState& state, const Camera& camera, DragContext& drag, MouseHost& host);

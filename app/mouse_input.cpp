#include "app/mouse_input.h"

#include <cmath>
#include <cstdlib>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "calc/snap.h"
#include "display/details_panel.h"
#include "display/drag.h"

namespace {

constexpr int line_grab_rows = 5;  // the hover cursor offers a line within this many rows (design size)

/// PtInRect: the right and bottom edges lie outside.
bool contains(Rect r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool within_grab(int y, int row, const ScaleGeometry& g) { return std::abs(y - row) <= scaled(g, line_grab_rows); }

bool aperture_is_input(Mode mode) { return mode != Mode::BestFStop && mode != Mode::FocusStacking; }

bool blur_threshold_is_input(Mode mode) { return mode == Mode::DepthOfField || mode == Mode::Macro; }

/// Whether (x, y) lies on the details panel while its lines scroll.
bool on_scrolling_details(int x, int y, const ScaleGeometry& geometry)
{
    return geometry.details.last_first > 0 && contains(column(geometry, Column::Details).column, x, y);
}

void start_details(int x, int y, const ScaleGeometry& geometry, DragContext& drag)
{
    const Rect& bar = geometry.details.bar;
    drag.details_origin_y = y;
    drag.saved_details_first = geometry.details.first;
    drag.details_on_bar = x >= bar.left - geometry.u && x < bar.right + geometry.u;
    drag.drag_state = DragState::DetailsScroll;
}

/// A move of DetailsScroll: the lines follow the pointer a row per line height, or on the scroll
/// bar the thumb does, the whole height of the bar for all the rows.
bool details_drag(int y, ScaleGeometry& geometry, const DragContext& drag)
{
    DetailsScroll& d = geometry.details;
    const int moved = y - drag.details_origin_y;
    int rows = 0;
    if (drag.details_on_bar) {
        const int height = d.bar.bottom - d.bar.top;
        if (height > 0)
            rows = static_cast<int>(static_cast<long long>(moved) * d.rows / height);
    } else if (geometry.line_height > 0) {
        rows = -moved / geometry.line_height;
    }
    const int before = d.first;
    d.first = drag.saved_details_first;
    scroll_details(d, rows);
    return d.first != before;
}

/// Sets the lens aperture to f-number n; recomputes only when it changed.
bool apply_aperture(double n, bool rescale, CalcState& state, const Camera& camera)
{
    if (n == state.f_stop)
        return false;
    state.f_stop = n;
    state.effective_f_stop = n * state.teleconverter;
    recompute(state, camera, rescale);
    return true;
}

void start_lens(MouseButton button, int y, const CalcState& state, DragContext& drag)
{
    if (button == MouseButton::Left) {
        drag.saved_fl_low = state.fl_low;
        drag.saved_fl_high = state.fl_high;
        drag.saved_fov_low = state.fov_low;
        drag.saved_fov_high = state.fov_high;
        drag.saved_focal_length = state.focal_length;
        drag.saved_fov = state.fov;
        drag.drag_state = DragState::LensDrag;
    } else {
        drag.saved_fl_zoom = state.fl_zoom;
        drag.saved_fov_zoom = state.fov_zoom;
        drag.drag_state = DragState::LensZoom;
    }
    drag.lens_origin_y = y;
}

/// Starts BlurDrag or BlurZoom; false when the left button is pressed in a mode whose blur value
/// is computed rather than set.
bool start_blur(MouseButton button, int y, const CalcState& state, DragContext& drag)
{
    if (button == MouseButton::Left) {
        if (!blur_threshold_is_input(state.mode))
            return false;
        drag.saved_blur_low = state.blur_low;
        drag.saved_blur_high = state.blur_high;
        drag.saved_blur_threshold = state.blur_threshold;
        drag.drag_state = DragState::BlurDrag;
    } else {
        drag.saved_blur_zoom = state.blur_zoom;
        drag.drag_state = DragState::BlurZoom;
    }
    drag.blur_origin_y = y;
    return true;
}

/// The hover cursor over the distance column; false where the cursor is left as it is (Macro).
bool distance_hover(int y, const CalcState& state, const ScaleGeometry& geometry, CursorKind& cursor)
{
    switch (state.mode) {
    case Mode::DepthOfField:
        cursor = CursorKind::Drag;
        return true;
    case Mode::BestFStop:
    case Mode::FocusStacking:
        cursor = within_grab(y, geometry.near_row, geometry) || within_grab(y, geometry.far_row, geometry) ? CursorKind::Drag
                                                                                 : CursorKind::Arrow;
        return true;
    case Mode::Blur:
        cursor = within_grab(y, geometry.near_row, geometry) || within_grab(y, geometry.focus_row, geometry) ? CursorKind::Drag
                                                                                   : CursorKind::Arrow;
        return true;
    default:
        return false;
    }
}

void hover(int x, int y, const CalcState& state, const ScaleGeometry& geometry, MouseHost& host)
{
    CursorKind cursor = CursorKind::Arrow;
    if (contains(column(geometry, Column::Distance).scale, x, y)) {
        if (!distance_hover(y, state, geometry, cursor))
            return;
    } else if (contains(column(geometry, Column::Aperture).scale, x, y)) {
        cursor = aperture_is_input(state.mode) ? CursorKind::Drag : CursorKind::Arrow;
    } else if (contains(column(geometry, Column::Lens).scale, x, y)) {
        cursor = CursorKind::Drag;
    } else if (contains(column(geometry, Column::Blur).scale, x, y)) {
        cursor = blur_threshold_is_input(state.mode) ? CursorKind::Drag : CursorKind::Arrow;
    } else if (on_scrolling_details(x, y, geometry)) {
        cursor = CursorKind::Drag;
    }
    host.set_cursor(cursor);
}

// Idle first: releasing the capture tells the window its capture changed, and that notice must
// find no drag left to end.
void end_drag(DragContext& drag, MouseHost& host)
{
    drag.drag_state = DragState::Idle;
    host.release_mouse();
    host.set_cursor(CursorKind::Arrow);
}

}  // namespace

bool right_button_zooms(Column c, Mode mode)
{
    switch (c) {
    case Column::Lens:
    case Column::Blur: return true;
    case Column::Distance: return mode != Mode::Macro;
    default: return false;
    }
}

double aperture_from_row(int y, const CalcState& state, const ScaleGeometry& geometry)
{
    const double t = absolute_fraction(y, column(geometry, Column::Aperture).scale);
    return snap_f_stop(state, portable::pow(2.0, -0.5 + 7.5 * t));
}

ScaleValue scale_value_at(int x, int y, const CalcState& state, const ScaleGeometry& geometry)
{
    if (contains(column(geometry, Column::Distance).scale, x, y)) {
        switch (line_under_press(y, state, geometry)) {
        case DragState::FocusLine: return ScaleValue::Focus;
        case DragState::NearLine: return state.mode == Mode::Blur ? ScaleValue::Object : ScaleValue::NearLimit;
        case DragState::FarLine: return ScaleValue::FarLimit;
        default: return ScaleValue::None;
        }
    }
    if (contains(column(geometry, Column::Aperture).scale, x, y))
        return aperture_is_input(state.mode) ? ScaleValue::Aperture : ScaleValue::None;
    if (contains(column(geometry, Column::Lens).scale, x, y))
        return ScaleValue::Lens;
    if (contains(column(geometry, Column::Blur).scale, x, y))
        return blur_threshold_is_input(state.mode) ? ScaleValue::BlurThreshold : ScaleValue::None;
    if (on_scrolling_details(x, y, geometry))
        return ScaleValue::Details;
    return ScaleValue::None;
}

void mouse_down(MouseButton button, int x, int y, CalcState& state, const Camera& camera,
                ScaleGeometry& geometry, DragContext& drag, MouseHost& host)
{
    const bool was_dragging = drag.drag_state != DragState::Idle;
    drag.drag_state = DragState::Idle;
    bool changed = false;

    if (contains(column(geometry, Column::Distance).scale, x, y) && state.mode != Mode::Macro) {
        const DragMessage message =
            button == MouseButton::Left ? DragMessage::LeftButtonDown : DragMessage::RightButtonDown;
        changed = distance_drag(message, y, state, camera, geometry, drag);
    } else if (contains(column(geometry, Column::Aperture).scale, x, y)) {
        // The aperture scale has no zoom: the right button (two fingers) leaves it alone.
        if (button == MouseButton::Left && aperture_is_input(state.mode)) {
            changed = apply_aperture(aperture_from_row(y, state, geometry), true, state, camera);
            drag.drag_state = DragState::ApertureDrag;
        }
    } else if (contains(column(geometry, Column::Lens).scale, x, y)) {
        start_lens(button, y, state, drag);
        changed = lens_drag(y, state, camera, geometry, drag);
    } else if (contains(column(geometry, Column::Blur).scale, x, y)) {
        if (start_blur(button, y, state, drag))
            changed = blur_drag(y, state, camera, geometry, drag);
    } else if (button == MouseButton::Left && on_scrolling_details(x, y, geometry)) {
        start_details(x, y, geometry, drag);
    }

    if (drag.drag_state != DragState::Idle) {
        host.set_cursor(CursorKind::Drag);
        host.capture_mouse();
    } else if (was_dragging) {
        // The new press dropped the drag in progress and started none: let go of the mouse.
        host.release_mouse();
        host.set_cursor(CursorKind::Arrow);
    }
    if (changed)
        host.invalidate();
}

void mouse_move(int x, int y, CalcState& state, const Camera& camera, ScaleGeometry& geometry,
                DragContext& drag, MouseHost& host)
{
    bool changed = false;
    switch (drag.drag_state) {
    case DragState::Idle:
        hover(x, y, state, geometry, host);
        return;
    case DragState::FocusLine:
    case DragState::NearLine:
    case DragState::FarLine:
    case DragState::MaxblurDrag:
        changed = distance_drag(DragMessage::MouseMove, y, state, camera, geometry, drag);
        break;
    case DragState::LensDrag:
    case DragState::LensZoom:
        changed = lens_drag(y, state, camera, geometry, drag);
        break;
    case DragState::BlurDrag:
    case DragState::BlurZoom:
        changed = blur_drag(y, state, camera, geometry, drag);
        break;
    case DragState::ApertureDrag:
        changed = apply_aperture(aperture_from_row(y, state, geometry), false, state, camera);
        break;
    case DragState::DetailsScroll:
        changed = details_drag(y, geometry, drag);
        break;
    }
    if (changed)
        host.invalidate();
}

void mouse_up(MouseButton button, int /*x*/, int y, CalcState& state, const Camera& camera,
              ScaleGeometry& geometry, DragContext& drag, MouseHost& host)
{
    const bool left = button == MouseButton::Left;
    bool changed = false;
    switch (drag.drag_state) {
    case DragState::Idle:
        return;
    case DragState::FocusLine:
    case DragState::NearLine:
    case DragState::FarLine:
        changed = distance_drag(left ? DragMessage::LeftButtonUp : DragMessage::RightButtonUp, y, state,
                                camera, geometry, drag);
        break;
    case DragState::MaxblurDrag:
        // The last move already re-centred on the new maxblur; a left release ends it as it is.
        if (!left)
            changed = distance_drag(DragMessage::RightButtonUp, y, state, camera, geometry, drag);
        break;
    case DragState::LensDrag:
    case DragState::BlurDrag:
        recompute(state, camera, true);
        changed = true;
        break;
    case DragState::ApertureDrag: {
        // Either button: the aperture under the release, and the scales re-centred on it.
        const double n = aperture_from_row(y, state, geometry);
        if (n != state.f_stop) {
            state.f_stop = n;
            state.effective_f_stop = n * state.teleconverter;
        }
        recompute(state, camera, true);
        changed = true;
        break;
    }
    case DragState::LensZoom:
    case DragState::BlurZoom:
        if (!left) {
            recompute(state, camera, true);
            changed = true;
        }
        break;
    case DragState::DetailsScroll:
        break;
    }
    end_drag(drag, host);
    if (changed)
        host.invalidate();
}

bool mouse_wheel(int x, int y, int rows, ScaleGeometry& geometry, MouseHost& host)
{
    if (!on_scrolling_details(x, y, geometry))
        return false;
    if (scroll_details(geometry.details, rows))
        host.invalidate();
    return true;
}

void mouse_capture_lost(CalcState& state, const Camera& camera, DragContext& drag, MouseHost& host)
{
    if (drag.drag_state == DragState::Idle)
        return;
    if (drag.drag_state == DragState::DetailsScroll) {
        drag.drag_state = DragState::Idle;  // nothing to re-centre
        host.set_cursor(CursorKind::Arrow);
        return;
    }
    // Another window took the mouse (a task switch, a message box): the release will never come.
    // End the drag where the last move left it and re-centre the scales, as a release would.
    drag.drag_state = DragState::Idle;
    host.set_cursor(CursorKind::Arrow);
    recompute(state, camera, true);
    host.invalidate();
}

#include "display/drag.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "calc/snap.h"
#include "display/mapping.h"

namespace {

constexpr double min_zoom = 1.5;
constexpr double max_zoom = 32;

bool has_rows(Rect scale) { return scale.bottom > scale.top; }

int clamp_row(int y, Rect scale) { return std::clamp(y, scale.top, scale.bottom); }

/// The distance (mm) under absolute fraction t of the fixed distance window, snapped in the
/// display unit.
double distance_at(const CalcState& state, double t)
{
    return snap_distance(state, display_unit(state),
                         recip_value(t, state.maxblur_near, state.maxblur_far));
}

bool recompute_fixed(CalcState& state, const Camera& camera)
{
    recompute(state, camera, false);
    return true;
}

bool recompute_recentred(CalcState& state, const Camera& camera)
{
    recompute(state, camera, true);
    return true;
}

/// Moves the focus distance to the snapped distance at row y (already clamped).
bool focus_step(int y, Rect scale, CalcState& state, const Camera& camera)
{
    const double v = distance_at(state, absolute_fraction(y, scale));
    if (v == state.focus_at)
        return false;
    state.focus_at = v;
    raise_to_closest_focus(state.focus_at, state.effective_focal_length);
    return recompute_fixed(state, camera);
}

/// BestFStop: the lens aperture follows the optimum for the limits (unsnapped).
void follow_best_aperture(CalcState& state, const Camera& camera)
{
    const double n = state.near_limit;
    const double far = state.far_limit;
    const double f = state.effective_focal_length;
    double b = 2 * n;
    if (far > 0)
        b *= far / (far + n);
    state.best_focus = b;
    const double optimum = optimum_f_number(n, b, f, airy_factor(camera));
    // Degenerate limits (equal, or the focus on the focal length) have no optimum; keep the aperture
    // rather than store zero or infinity.
    if (std::isfinite(optimum) && optimum > 0) {
        state.effective_f_stop = optimum;
        state.f_stop = optimum / state.teleconverter;
    }
}

bool best_aperture_step(CalcState& state, const Camera& camera)
{
    follow_best_aperture(state, camera);
    return recompute_fixed(state, camera);
}

/// Takes v as the near limit unless it equals a limit or lies beyond a finite far limit; the far
/// limit is pushed out when the 2f rule raised the near one past it.
bool accept_near_limit(double v, CalcState& state)
{
    if (v == state.near_limit || v == state.far_limit || (state.far_limit > 0 && v > state.far_limit))
        return false;
    state.near_limit = v;
    raise_to_closest_focus(state.near_limit, state.effective_focal_length);
    if (state.far_limit > 0 && state.near_limit > state.far_limit)
        state.far_limit = state.near_limit;
    return true;
}

/// Takes v as the far limit unless it equals a limit or lies closer than the near limit.
bool accept_far_limit(double v, CalcState& state)
{
    if (v == state.far_limit || v == state.near_limit || (v > 0 && v < state.near_limit))
        return false;
    state.far_limit = v;
    raise_to_closest_focus(state.far_limit, state.effective_focal_length);
    return true;
}

bool best_f_stop_near(int y, Rect scale, CalcState& state, const Camera& camera, ScaleGeometry& geometry)
{
    if (y > geometry.far_row + 2 && accept_near_limit(distance_at(state, absolute_fraction(y, scale)), state))
        geometry.near_row = y;
    return best_aperture_step(state, camera);
}

bool best_f_stop_far(int y, Rect scale, CalcState& state, const Camera& camera, ScaleGeometry& geometry)
{
    if (y < geometry.near_row - 2 && accept_far_limit(distance_at(state, absolute_fraction(y, scale)), state))
        geometry.far_row = y;
    return best_aperture_step(state, camera);
}

bool stack_near(int y, Rect scale, CalcState& state, const Camera& camera, ScaleGeometry& geometry)
{
    if (!(y > geometry.far_row + 2))
        return false;
    geometry.near_row = y;
    if (!accept_near_limit(distance_at(state, absolute_fraction(y, scale)), state))
        return false;
    return recompute_fixed(state, camera);
}

bool stack_far(int y, Rect scale, CalcState& state, const Camera& camera, ScaleGeometry& geometry)
{
    if (!(y < geometry.near_row - 2))
        return false;
    geometry.far_row = y;
    if (!accept_far_limit(distance_at(state, absolute_fraction(y, scale)), state))
        return false;
    return recompute_fixed(state, camera);
}

/// A new focal length, with everything that must stay beyond twice it pushed out.
void set_focal_length(double v, CalcState& state, const Camera& camera)
{
    state.focal_length = v;
    keep_inputs_usable(state, camera);
    if (state.far_limit > 0 && state.far_limit < state.near_limit)
        state.far_limit = state.near_limit;
}

/// Blur mode's object line: any distance, infinity included, and no 2f rule.
bool object_line(int y, Rect scale, CalcState& state, const Camera& camera, ScaleGeometry& geometry)
{
    geometry.near_row = y;
    const double v = distance_at(state, absolute_fraction(y, scale));
    if (v == state.blur_distance)
        return false;
    state.blur_distance = v;
    return recompute_fixed(state, camera);
}

bool distance_move(int y, CalcState& state, const Camera& camera, ScaleGeometry& geometry,
                   const DragContext& drag)
{
    const Rect scale = column(geometry, Column::Distance).scale;
    if (!has_rows(scale) || state.mode == Mode::Macro)
        return false;
    y = clamp_row(y, scale);
    const Mode mode = state.mode;
    switch (drag.drag_state) {
    case DragState::FocusLine:
        if (mode == Mode::DepthOfField) {
            geometry.focus_row = y;
            geometry.near_row = y + drag.near_offset;
            geometry.far_row = y - drag.near_offset;
            if (geometry.far_row < scale.top && state.maxblur_far < 0)
                geometry.far_row = scale.top;
            return focus_step(y, scale, state, camera);
        }
        if (mode == Mode::Blur) {
            geometry.focus_row = y;
            return focus_step(y, scale, state, camera);
        }
        return false;
    case DragState::NearLine:
        if (mode == Mode::BestFStop)
            return best_f_stop_near(y, scale, state, camera, geometry);
        if (mode == Mode::FocusStacking)
            return stack_near(y, scale, state, camera, geometry);
        if (mode == Mode::Blur)
            return object_line(y, scale, state, camera, geometry);
        return false;
    case DragState::FarLine:
        if (mode == Mode::BestFStop)
            return best_f_stop_far(y, scale, state, camera, geometry);
        if (mode == Mode::FocusStacking)
            return stack_far(y, scale, state, camera, geometry);
        return false;
    case DragState::MaxblurDrag:
        state.maxblur = std::clamp(drag.saved_maxblur * zoom_factor(y, drag.maxblur_origin_y, scale),
                                   maxblur_range.low, maxblur_range.high);
        return recompute_recentred(state, camera);
    default:
        return false;
    }
}

}  // namespace

double absolute_fraction(int y, Rect scale)
{
    if (!has_rows(scale))
        return 0;
    y = clamp_row(y, scale);
    const double t = static_cast<double>(y - scale.bottom) / (scale.top - scale.bottom);
    return std::clamp(t, 0.0, 1.0);
}

double relative_fraction(int y, int origin_y, Rect scale)
{
    if (!has_rows(scale))
        return 0.5;
    y = clamp_row(y, scale);
    // Measured from the exact middle of the scale, where the re-centred value sits (half a row off
    // the integer middle row when the height is odd): at the press row the fraction is exactly 0.5.
    const double middle = (scale.top + scale.bottom) / 2.0;
    const double t = (middle - y + origin_y - scale.bottom) / (scale.top - scale.bottom);
    return std::clamp(t, 0.0, 1.0);
}

double zoom_factor(int y, int origin_y, Rect scale)
{
    if (!has_rows(scale))
        return 1;
    y = clamp_row(y, scale);
    return portable::pow(5.0, 5.0 * (y - origin_y) / (scale.bottom - scale.top));
}

DragState line_under_press(int y, const CalcState& state, const ScaleGeometry& geometry)
{
    switch (state.mode) {
    case Mode::DepthOfField:
        return DragState::FocusLine;
    case Mode::BestFStop:
    case Mode::FocusStacking:  // a tie goes to the far limit
        return std::abs(y - geometry.near_row) < std::abs(y - geometry.far_row) ? DragState::NearLine
                                                                                : DragState::FarLine;
    case Mode::Blur:  // the near row holds the object line; a tie goes to the focus
        return std::abs(y - geometry.near_row) < std::abs(y - geometry.focus_row) ? DragState::NearLine
                                                                                  : DragState::FocusLine;
    default:
        return DragState::Idle;
    }
}

bool distance_drag(DragMessage message, int y, CalcState& state, const Camera& camera,
                   ScaleGeometry& geometry, DragContext& drag)
{
    switch (message) {
    case DragMessage::LeftButtonDown:
        if (state.mode == Mode::DepthOfField)
            drag.near_offset = geometry.near_row - geometry.focus_row;
        drag.drag_state = line_under_press(y, state, geometry);
        return distance_move(y, state, camera, geometry, drag);
    case DragMessage::RightButtonDown:
        if (state.mode == Mode::Macro)
            return false;
        drag.saved_maxblur = state.maxblur;
        drag.maxblur_origin_y = y;
        drag.drag_state = DragState::MaxblurDrag;
        return distance_move(y, state, camera, geometry, drag);
    case DragMessage::MouseMove:
        return distance_move(y, state, camera, geometry, drag);
    case DragMessage::LeftButtonUp:
        if (drag.drag_state == DragState::Idle)
            return false;
        drag.drag_state = DragState::Idle;
        return recompute_recentred(state, camera);
    default:
        return false;
    }
}

bool lens_drag(int y, CalcState& state, const Camera& camera, const ScaleGeometry& geometry,
               const DragContext& drag)
{
    const Rect scale = column(geometry, Column::Lens).scale;
    if (!has_rows(scale))
        return false;
    const bool macro = state.mode == Mode::Macro;
    if (drag.drag_state == DragState::LensZoom) {
        const double z = zoom_factor(y, drag.lens_origin_y, scale);
        if (macro)
            state.fov_zoom = std::clamp(drag.saved_fov_zoom * z, min_zoom, max_zoom);
        else
            state.fl_zoom = std::clamp(drag.saved_fl_zoom * z, min_zoom, max_zoom);
        return recompute_recentred(state, camera);
    }
    if (drag.drag_state != DragState::LensDrag)
        return false;

    // On the press row the value is the one at the press, unsnapped: a click changes nothing.
    const bool on_press_row = clamp_row(y, scale) == clamp_row(drag.lens_origin_y, scale);
    const double t = relative_fraction(y, drag.lens_origin_y, scale);
    if (macro) {
        const double v = on_press_row ? drag.saved_fov
                                      : snap_distance(state, state.macro_units,
                                                      recip_value(t, drag.saved_fov_low, drag.saved_fov_high));
        if (v == state.fov)
            return false;
        state.fov = v;
        return recompute_recentred(state, camera);
    }
    double v = drag.saved_focal_length;
    if (!on_press_row) {
        v = recip_value(t, drag.saved_fl_low, drag.saved_fl_high);
        if (state.snap != 0 && v >= 0)
            v = nice_round(v);
    }
    if (v == state.focal_length)
        return false;
    set_focal_length(v, state, camera);
    return recompute_recentred(state, camera);
}

bool blur_drag(int y, CalcState& state, const Camera& camera, const ScaleGeometry& geometry,
               const DragContext& drag)
{
    const Rect scale = column(geometry, Column::Blur).scale;
    if (!has_rows(scale))
        return false;
    if (drag.drag_state == DragState::BlurZoom) {
        state.blur_zoom = std::clamp(drag.saved_blur_zoom * zoom_factor(y, drag.blur_origin_y, scale),
                                     min_zoom, max_zoom);
        return recompute_recentred(state, camera);
    }
    if (drag.drag_state != DragState::BlurDrag)
        return false;
    // On the press row the value is the one at the press, unsnapped: a click changes nothing.
    const bool on_press_row = clamp_row(y, scale) == clamp_row(drag.blur_origin_y, scale);
    double v = drag.saved_blur_threshold;
    if (!on_press_row) {
        v = recip_value(relative_fraction(y, drag.blur_origin_y, scale), drag.saved_blur_low, drag.saved_blur_high);
        if (state.snap != 0 && v >= 0)
            v = nice_round(v);
    }
    if (v == state.blur_threshold)
        return false;
    state.blur_threshold = v;
    return recompute_recentred(state, camera);
}

namespace {

constexpr double page_fraction = 0.1;

constexpr ScaleValue depth_of_field_values[] = {ScaleValue::Lens, ScaleValue::Aperture, ScaleValue::Focus,
                                                ScaleValue::BlurThreshold};
constexpr ScaleValue limit_values[] = {ScaleValue::Lens, ScaleValue::FarLimit, ScaleValue::NearLimit};
constexpr ScaleValue blur_mode_values[] = {ScaleValue::Lens, ScaleValue::Aperture, ScaleValue::Focus,
                                           ScaleValue::Object};
constexpr ScaleValue macro_values[] = {ScaleValue::Lens, ScaleValue::Aperture, ScaleValue::BlurThreshold};

bool settable(ScaleValue value, Mode mode)
{
    for (const ScaleValue v : scale_values(mode)) {
        if (v == value)
            return true;
    }
    return false;
}

/// Of two candidates, the one further in the direction; a negative value is infinity.
double further(double a, double b, int direction)
{
    const auto key = [](double v) { return v < 0 ? std::numeric_limits<double>::infinity() : v; };
    return (key(b) - key(a)) * direction > 0 ? b : a;
}

/// The value a page away from v on a scale linear in 1/value over the window low..high, going no
/// further than the window's ends (as a drag cannot).
double page_away(double v, int direction, double low, double high)
{
    const double t = v < 0 ? 1.0 : recip_fraction(v, low, high);
    return recip_value(std::clamp(t + direction * page_fraction, 0.0, 1.0), low, high);
}

/// A positive value (focal length, blur threshold) one step away, in its own unit.
double step_positive(double v, int direction, bool page, double low, double high, bool snap)
{
    double next = next_round_value(v, direction);
    if (page) {
        double paged = page_away(v, direction, low, high);
        if (snap && paged >= 0)
            paged = nice_round(paged);
        next = further(next, paged, direction);
    }
    return next;
}

/// A distance (mm; negative is infinity) one step away in `unit`, over the distance window.
double step_distance(double v, int direction, bool page, const CalcState& state, DistanceUnit unit)
{
    const double per_unit = millimetres_per_unit(unit);
    double next = v;
    if (v >= 0 && direction > 0) {
        next = next_round_value(v / per_unit, 1) * per_unit;
    } else if (direction < 0) {
        // From infinity the first step lands just inside the top of the scale.
        const double from = v >= 0 ? v : recip_value(1 - page_fraction / 10, state.maxblur_near, state.maxblur_far);
        if (from >= 0)
            next = next_round_value(from / per_unit, -1) * per_unit;
    }
    if (page) {
        const double paged = page_away(v, direction, state.maxblur_near, state.maxblur_far);
        next = further(next, snap_distance(state, unit, paged), direction);
    }
    return next;
}

double step_f_stop(const CalcState& state, int direction, bool page)
{
    const std::span<const double> table = f_stop_table(state.f_stop_increment);
    double next = next_f_stop(table, state.f_stop, direction);
    if (page) {
        const double stop = std::clamp(state.f_stop * portable::pow(2.0, 0.5 * direction), table.front(), table.back());
        next = further(next, snap_f_stop(state, stop), direction);
    }
    return next;
}

}  // namespace

std::span<const ScaleValue> scale_values(Mode mode)
{
    switch (mode) {
    case Mode::DepthOfField: return depth_of_field_values;
    case Mode::BestFStop:
    case Mode::FocusStacking: return limit_values;
    case Mode::Blur: return blur_mode_values;
    case Mode::Macro: return macro_values;
    }
    return {};
}

bool step_scale_value(ScaleValue value, int direction, bool page, CalcState& state, const Camera& camera)
{
    if (direction == 0 || !settable(value, state.mode))
        return false;
    direction = direction > 0 ? 1 : -1;
    const bool snap = state.snap != 0;
    const DistanceUnit unit = display_unit(state);
    switch (value) {
    case ScaleValue::Lens:
        if (state.mode == Mode::Macro) {
            const double per_unit = millimetres_per_unit(state.macro_units);
            const double v = step_positive(state.fov / per_unit, direction, page, state.fov_low / per_unit,
                                           state.fov_high / per_unit, snap) * per_unit;
            if (!(v > 0) || v == state.fov)
                return false;
            state.fov = v;
        } else {
            const double v = step_positive(state.focal_length, direction, page, state.fl_low, state.fl_high, snap);
            if (!(v > 0) || v == state.focal_length)
                return false;
            set_focal_length(v, state, camera);
        }
        break;
    case ScaleValue::Aperture: {
        const double n = step_f_stop(state, direction, page);
        if (n == state.f_stop)
            return false;
        state.f_stop = n;
        state.effective_f_stop = n * state.teleconverter;
        break;
    }
    case ScaleValue::Focus: {
        const double before = state.focus_at;
        state.focus_at = step_distance(before, direction, page, state, unit);
        raise_to_closest_focus(state.focus_at, state.effective_focal_length);
        if (state.focus_at == before)
            return false;
        break;
    }
    case ScaleValue::NearLimit:
    case ScaleValue::FarLimit: {
        const bool near = value == ScaleValue::NearLimit;
        const double v = step_distance(near ? state.near_limit : state.far_limit, direction, page, state, unit);
        if (!(near ? accept_near_limit(v, state) : accept_far_limit(v, state)))
            return false;
        if (state.mode == Mode::BestFStop)
            follow_best_aperture(state, camera);
        break;
    }
    case ScaleValue::Object: {
        const double v = step_distance(state.blur_distance, direction, page, state, unit);
        if (v == state.blur_distance)
            return false;
        state.blur_distance = v;
        break;
    }
    case ScaleValue::BlurThreshold: {
        const double v = step_positive(state.blur_threshold, direction, page, state.blur_low, state.blur_high, snap);
        if (!(v >= min_snapped_blur_threshold) || v == state.blur_threshold)
            return false;
        state.blur_threshold = v;
        break;
    }
    case ScaleValue::None:
    case ScaleValue::Details:
        return false;
    }
    return recompute_recentred(state, camera);
}

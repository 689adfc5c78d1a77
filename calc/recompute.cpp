// recompute's common frame: effective focal length and f-number, the per-mode dispatch,
// the re-centring of the scale windows and the distance window.
#include "calc/recompute.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "calc/recompute_modes.h"
#include "calc/snap.h"

namespace {

// Each dragged scale is linear in 1/value; its window [high / (2 zoom - 1), high] with
// high = value * zoom has the value at its reciprocal midpoint. Only the high end is clamped,
// the low end always follows from it; a value below the lowest high end's window takes the
// window down to its own bottom, so that the scale always shows it.
void set_window(double value, double zoom, double lowest_high, double highest_high, double& low,
                double& high)
{
    high = std::clamp(value * zoom, lowest_high, highest_high);
    low = high / (2 * zoom - 1);
    if (value > 0 && value < low) {
        high = value * (2 * zoom - 1);
        low = value;
    }
}

void recentre_windows(CalcState& s)
{
    set_window(s.fov, s.fov_zoom, 10, 10000, s.fov_low, s.fov_high);
    set_window(s.focal_length, s.fl_zoom, 10, 10000, s.fl_low, s.fl_high);
    double blur_value = s.optimum_blur;
    if (s.mode == Mode::DepthOfField || s.mode == Mode::Macro)
        blur_value = s.blur_threshold;
    else if (s.mode == Mode::Blur)
        blur_value = s.blur;
    set_window(blur_value, s.blur_zoom, 1, 1000, s.blur_low, s.blur_high);
}

// The far end of the distance window, numerator / denominator, or infinity (-1) where the blur
// never reaches maxblur behind the focus: a denominator that is not above 0, or a quotient too
// large for a double.
double far_end(double numerator, double denominator)
{
    const double far = numerator / denominator;
    return denominator > 0 && std::isfinite(far) ? far : -1;
}

// The distances at which an object focused at `focus` blurs by K / N on the sensor (K = maxblur
// CoCs times the f-number); a negative far end stands for infinity.
void window_around_focus(CalcState& s, double focus, double k_times_n)
{
    const double f = s.effective_focal_length;
    const double f2 = f * f;
    const double k = k_times_n * (focus - f);
    s.maxblur_far = far_end(f2 * focus, f2 - k);
    s.maxblur_near = f2 * focus / (f2 + k);
}

void window_at_infinity(CalcState& s, double k_times_n)
{
    const double f = s.effective_focal_length;
    s.maxblur_far = -1;
    s.maxblur_near = f * f / k_times_n;
}

// Reciprocal midpoint of two focus points; twice the first when the second is infinite.
double stack_midpoint(double first, double second)
{
    return second >= 0 ? 2 * first * second / (first + second) : 2 * first;
}

}  // namespace

double airy_factor(const Camera& camera)
{
    return 500000 / (1.22 * camera.wavelength);
}

double working_f_number(double f_number, double focal_length, double focus)
{
    if (focus < 0)
        return f_number;
    return f_number * (1 + focal_length / (focus - focal_length));
}

double sensor_f_number_factor(const CalcState& state)
{
    const double f = state.effective_focal_length;
    switch (state.mode) {
    case Mode::BestFStop: return working_f_number(state.teleconverter, f, state.best_focus);
    case Mode::FocusStacking: return working_f_number(state.teleconverter, f, state.focus_points[0]);
    case Mode::Macro: return state.teleconverter * (1 + state.magnification);
    default: return working_f_number(state.teleconverter, f, state.focus_at);
    }
}

double effective_focal_length_of(const CalcState& state, const Camera& camera)
{
    double f = state.focal_length * state.teleconverter;
    if (camera.focal_length_entry == FocalLengthEntry::Equivalent35mm)
        f /= camera.crop_factor;
    return f;
}

void set_effective_values(CalcState& state, const Camera& camera)
{
    state.effective_focal_length = effective_focal_length_of(state, camera);
    state.effective_f_stop = state.f_stop * state.teleconverter;
}

void raise_to_closest_focus(double& distance, double effective_focal_length)
{
    const double closest = 2 * effective_focal_length;
    if (distance >= 0 && distance < closest && std::isfinite(closest))
        distance = closest > far_cap_mm ? -1 : closest;  // beyond 1000 km is infinity to every calculation
}

void keep_inputs_on_their_scales(CalcState& state)
{
    const std::span<const double> stops = f_stop_table(state.f_stop_increment);
    const CalcState defaults{};
    const struct {
        double CalcState::*input;
        InputRange range;
    } inputs[] = {
        {&CalcState::focal_length, lens_scale_range},
        {&CalcState::fov, lens_scale_range},
        {&CalcState::blur_threshold, blur_scale_range},
        {&CalcState::f_stop, {stops.front(), stops.back()}},
        {&CalcState::teleconverter, teleconverter_range},
        {&CalcState::maxblur, maxblur_range},
    };
    for (const auto& [input, range] : inputs) {
        double& v = state.*input;
        v = std::isnan(v) ? defaults.*input : std::clamp(v, range.low, range.high);
    }
}

void keep_inputs_usable(CalcState& state, const Camera& camera)
{
    keep_inputs_on_their_scales(state);
    for (double* distance : {&state.focus_at, &state.near_limit, &state.far_limit, &state.blur_distance}) {
        if (*distance > far_cap_mm)
            *distance = -1;  // beyond 1000 km is infinity, as the settings file reads it
    }
    set_effective_values(state, camera);
    const double f = state.effective_focal_length;
    raise_to_closest_focus(state.focus_at, f);
    raise_to_closest_focus(state.near_limit, f);
    raise_to_closest_focus(state.far_limit, f);
    if (state.blur_distance >= 0 && state.blur_distance < smallest_kept_number)
        raise_to_closest_focus(state.blur_distance, f);
}

void recompute(CalcState& state, const Camera& camera, bool rescale)
{
    keep_inputs_usable(state, camera);

    switch (state.mode) {
    case Mode::DepthOfField: compute_depth_of_field(state, camera); break;
    case Mode::BestFStop: compute_best_f_stop(state, camera); break;
    case Mode::FocusStacking: compute_focus_stacking(state, camera); break;
    case Mode::Blur: compute_blur(state, camera); break;
    case Mode::Macro: compute_macro(state, camera); break;
    default: break;  // an unknown mode (from an edited settings file) computes nothing
    }

    if (rescale) {
        recentre_windows(state);
        update_distance_window(state, camera);
    }
}

void update_distance_window(CalcState& state, const Camera& camera)
{
    const double c = camera.coc;
    const double k_times_n = state.maxblur * state.effective_f_stop * c;  // K
    const double f = state.effective_focal_length;

    switch (state.mode) {
    case Mode::DepthOfField:
    case Mode::Blur:
        if (state.focus_at < 0)
            window_at_infinity(state, k_times_n);
        else
            window_around_focus(state, state.focus_at, k_times_n);
        break;
    case Mode::BestFStop:
        if (state.best_focus < 0)
            window_at_infinity(state, k_times_n);
        else
            window_around_focus(state, state.best_focus,
                                state.optimum_effective_f_stop * state.maxblur * c);
        break;
    case Mode::FocusStacking: {
        const double* p = state.focus_points.data();
        const int n = focus_point_count(state);
        const double b0 = stack_midpoint(p[0], p[1]);
        const double b1 = stack_midpoint(p[n - 2], p[n - 1]);
        const double f2 = f * f;
        state.maxblur_near = f2 * b0 / ((b0 - f) * k_times_n + f2);
        state.maxblur_far = far_end(f2 * b1, f2 - (b1 - f) * k_times_n);
        break;
    }
    case Mode::Macro:
        // Signed offsets from the plane of focus.
        state.maxblur_far = c * state.maxblur / state.macro_factor;
        state.maxblur_near = -c * state.maxblur / state.macro_factor;
        break;
    default: break;
    }
}

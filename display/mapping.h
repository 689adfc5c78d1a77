// Mappings between values and pixel rows: scales linear in 1/value (lens, field width, blur,
// distance), the linear Macro distance scale, and the aperture scale evenly spaced in stops.
#pragma once

#include <span>

#include "calc/calc_state.h"
#include "display/canvas.h"

/// Rows beyond this distance from 0 are clamped to it (also NaN, which gives -row_limit), so
/// that no value, however wild, overflows an int or a platform coordinate.
inline constexpr int row_limit = 1 << 26;

/// x + 0.5 truncated toward zero for x >= 0, x - 0.5 truncated toward zero below (so -2.5 gives -3).
inline int round_half_away(double x)
{
    const double rounded = x >= 0 ? x + 0.5 : x - 0.5;
    if (!(rounded > -row_limit))  // also NaN
        return -row_limit;
    if (rounded >= row_limit)
        return row_limit;
    return static_cast<int>(rounded);
}

/// Position of v on a scale linear in 1/v from 0 (value low, bottom) to 1 (value high, top);
/// a negative high puts infinity at the top, where every negative v lands at exactly 1.
double recip_fraction(double v, double low, double high);

/// The inverse of recip_fraction: the value at fraction f; -1 (infinity) at f >= 1 when high < 0.
double recip_value(double f, double low, double high);

/// The row of fraction f of a rectangle: rect.bottom + round_half_away((rect.top - rect.bottom) * f).
int fraction_to_y(double f, const Rect& rect);

/// The Macro distance scale: (v - low) / (high - low), low at the bottom, high at the top.
double linear_fraction(double v, double low, double high);

/// Row of a tick of the linear Macro scale: round_half_away(top + (v - high) * (bottom - top) / (low - high)).
int linear_tick_row(double v, double low, double high, int top, int bottom);

/// Row of tick i of an n-entry f-number table: bottom + ((top - bottom) * i) / (n - 1), in integers.
int aperture_tick_row(int i, int n, const Rect& scale);

/// Row of an f-number on the aperture scale of `table`, logarithmic between its first and last entries.
int aperture_row(double f_number, std::span<const double> table, const Rect& scale);

/// A value expressed in a distance unit (a negative, infinite, distance stays negative).
double in_unit(double millimetres, DistanceUnit unit);

/// The value window of a scale, bottom end first; a negative high means infinity at the top.
struct ScaleWindow {
    double low = 0;
    double high = 0;
};

/// Lens column: fl_low..fl_high in mm, or in Macro mode fov_low..fov_high in macro_units.
ScaleWindow lens_window(const CalcState& s);
/// Distance column: maxblur_near..maxblur_far in the display unit in force.
ScaleWindow distance_window(const CalcState& s);
/// Blur column: blur_low..blur_high in CoCs.
ScaleWindow blur_window(const CalcState& s);

/// Row on the lens scale of a focal length in mm, or in Macro mode of a field width in mm.
int lens_row(const CalcState& s, const Rect& scale, double value_mm);
/// Row on the aperture scale of an f-number, for the state's f-stop increment.
int aperture_row(const CalcState& s, const Rect& scale, double f_number);
/// Row on the distance scale of a distance in mm, or in Macro mode of a signed offset in mm
/// from the plane of focus.
int distance_row(const CalcState& s, const Rect& scale, double value_mm);
/// Row on the blur scale of a blur in CoCs.
int blur_row(const CalcState& s, const Rect& scale, double blur);

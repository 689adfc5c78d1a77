#include "display/mapping.h"

#include <cmath>

#include "calc/portable_math.h"
#include "calc/snap.h"

double recip_fraction(double v, double low, double high)
{
    if (high >= 0)
        return (1 - low / v) / (1 - low / high);
    if (v < 0)
        return 1;
    return 1 - low / v;
}

double recip_value(double f, double low, double high)
{
    if (high >= 0)
        return low / (1 - (1 - low / high) * f);
    if (f >= 1)
        return -1;
    return low / (1 - f);
}

int fraction_to_y(double f, const Rect& rect)
{
    return rect.bottom + round_half_away((rect.top - rect.bottom) * f);
}

double linear_fraction(double v, double low, double high)
{
    return (v - low) / (high - low);
}

int linear_tick_row(double v, double low, double high, int top, int bottom)
{
    return round_half_away(top + (v - high) * (bottom - top) / (low - high));
}

int aperture_tick_row(int i, int n, const Rect& scale)
{
    if (n < 2)
        return scale.bottom;
    return scale.bottom + ((scale.top - scale.bottom) * i) / (n - 1);
}

int aperture_row(double f_number, std::span<const double> table, const Rect& scale)
{
    const double first = portable::log(table.front());
    const double last = portable::log(table.back());
    return round_half_away(scale.bottom + (scale.top - scale.bottom) * (portable::log(f_number) - first) / (last - first));
}

double in_unit(double millimetres, DistanceUnit unit)
{
    return millimetres / millimetres_per_unit(unit);
}

ScaleWindow lens_window(const CalcState& s)
{
    if (s.mode == Mode::Macro)
        return {in_unit(s.fov_low, s.macro_units), in_unit(s.fov_high, s.macro_units)};
    return {s.fl_low, s.fl_high};
}

ScaleWindow distance_window(const CalcState& s)
{
    const DistanceUnit unit = display_unit(s);
    return {in_unit(s.maxblur_near, unit), in_unit(s.maxblur_far, unit)};
}

ScaleWindow blur_window(const CalcState& s)
{
    return {s.blur_low, s.blur_high};
}

int lens_row(const CalcState& s, const Rect& scale, double value_mm)
{
    const ScaleWindow w = lens_window(s);
    const double v = s.mode == Mode::Macro ? in_unit(value_mm, s.macro_units) : value_mm;
    return fraction_to_y(recip_fraction(v, w.low, w.high), scale);
}

int aperture_row(const CalcState& s, const Rect& scale, double f_number)
{
    return aperture_row(f_number, f_stop_table(s.f_stop_increment), scale);
}

int distance_row(const CalcState& s, const Rect& scale, double value_mm)
{
    const ScaleWindow w = distance_window(s);
    const double v = in_unit(value_mm, display_unit(s));
    if (s.mode == Mode::Macro)
        return fraction_to_y(linear_fraction(v, w.low, w.high), scale);
    return fraction_to_y(recip_fraction(v, w.low, w.high), scale);
}

int blur_row(const CalcState& s, const Rect& scale, double blur)
{
    return fraction_to_y(recip_fraction(blur, s.blur_low, s.blur_high), scale);
}

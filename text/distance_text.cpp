#include "text/distance_text.h"

Text256 format_distance(const CalcState& state, double millimetres)
{
    if (millimetres < 0)
        return format(u"\u221E");

    // An unknown unit code leaves the value in millimetres and prints "mm".
    const DistanceUnit unit = display_unit(state);
    const double x = millimetres / millimetres_per_unit(unit);

    Text256 number;
    if (x == 0)
        number = format(u"0");
    else if (x > 9999.99)
        number = format(u">9999");
    else if (x < 0.001)
        number = with_decimal_point(u"<0.001");
    else if (x >= 100)
        number = format(u"%0f", {x});
    else if (x >= 10)
        number = format(u"%1f", {x});
    else if (x >= 1)
        number = format(u"%2f", {x});
    else
        number = format(u"%3f", {x});
    number.length = trim_zeros(number.data);

    return format(u"%s %s", {number.view(), unit_suffix(unit)});
}

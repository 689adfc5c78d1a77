#include "calc/calc_state.h"

double millimetres_per_unit(DistanceUnit unit)
{
    switch (unit) {
    case DistanceUnit::Centimetre: return 10;
    case DistanceUnit::Inch: return 25.4;
    case DistanceUnit::Foot: return 304.8;
    case DistanceUnit::Yard: return 914.4;
    case DistanceUnit::Metre: return 1000;
    default: return 1;
    }
}

const char16_t* unit_suffix(DistanceUnit unit)
{
    switch (unit) {
    case DistanceUnit::Centimetre: return u"cm";
    case DistanceUnit::Inch: return u"in";
    case DistanceUnit::Foot: return u"ft";
    case DistanceUnit::Yard: return u"yd";
    case DistanceUnit::Metre: return u"m";
    default: return u"mm";
    }
}

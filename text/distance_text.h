// Distance text: a length in millimetres as the short text shown for it, in the display unit
// with two to four significant figures and the unit suffix ("4 ft", "13.3 mm", "∞").
#pragma once

#include "calc/calc_state.h"
#include "text/format.h"

/// A negative distance (infinity) gives "∞" alone. Otherwise the value in the display unit:
/// "0" for exactly 0, ">9999" above 9999.99, "<0.001" below 0.001 (with the decimal point in use),
/// else "%0f" from 100,
/// "%1f" from 10, "%2f" from 1 and "%3f" below; trimmed; then a space and the unit suffix.
Text256 format_distance(const CalcState& state, double millimetres);

// Snapping to round values: nice_round, the half-stop and third-stop f-number tables,
// and the snapping of distances, f-numbers and all stored inputs.
#pragma once

#include <span>

#include "calc/calc_state.h"

/// Rounds a value >= 0 to the nearest multiple of its step (10 from 500 up ... 0.00005 below 0.005),
/// halves up.
double nice_round(double value);

/// The f-number table of an increment: 31 half stops or 46 third stops from f/0.7 to f/128.
/// An increment other than ThirdStop gives the half-stop table.
std::span<const double> f_stop_table(FStopIncrement increment);

/// The distance (mm) rounded in `unit` when snapping is on; infinity (negative) is never snapped.
double snap_distance(const CalcState& state, DistanceUnit unit, double value_mm);

/// The nearest entry of the state's f-number table when snapping is on (the smaller one on a tie).
double snap_f_stop(const CalcState& state, double f_number);

/// Snaps every stored input that the user sets; called only while `snap` is on.
void snap_all(CalcState& state);

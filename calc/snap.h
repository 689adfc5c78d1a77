// Snapping to round values: nice_round, the half-stop and third-stop f-number tables,
// and the snapping of distances, f-numbers and all stored inputs.
#pragma once

#include <span>

#include "calc/calc_state.h"

/// Rounds a value >= 0 to the nearest multiple of its step (10 from 500 up ... 0.00005 below 0.005),
/// halves up.
double nice_round(double value);

/// The next value of nice_round's grid strictly above (direction > 0) or below (direction < 0)
/// `value` >= 0: each value's own step, so 5 goes down to 4.95 and up to 5.1. Below the finest
/// step there is nothing: going down from 0.00005 or less gives 0.
double next_round_value(double value, int direction);

/// The f-number table of an increment: 31 half stops or 46 third stops from f/0.7 to f/128.
/// An increment other than ThirdStop gives the half-stop table.
std::span<const double> f_stop_table(FStopIncrement increment);

/// The distance (mm) rounded in `unit` when snapping is on; infinity (negative) is never snapped.
double snap_distance(const CalcState& state, DistanceUnit unit, double value_mm);

/// The nearest entry of the state's f-number table when snapping is on (the smaller one on a tie).
double snap_f_stop(const CalcState& state, double f_number);

/// The entry of `table` next above (direction > 0) or below `f_number`, counting an entry within
/// a millionth of it as the value itself; `f_number` when there is none that way.
double next_f_stop(std::span<const double> table, double f_number, int direction);

/// The smallest allowed blur (CoCs) snapping leaves: the lowest round value of the blur scale
/// zoomed out fully (its window then reaches down to 1/63).
inline constexpr double min_snapped_blur_threshold = 0.0159;

/// The allowed blur snapped: to the nearest multiple of 0.5 (halves up), but a positive value
/// under a quarter, which that would make 0, goes to its nice_round value, at least
/// min_snapped_blur_threshold. A value the 32-bit rounding cannot hold is returned as it is.
double snap_blur_threshold(double threshold);

/// Snaps every stored input that the user sets; called only while `snap` is on.
void snap_all(CalcState& state);

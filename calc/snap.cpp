#include "calc/snap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

struct StepRow {
    double at_least;
    double step;
};

constexpr StepRow step_table[] = {
    {500, 10}, {200, 5}, {50, 1}, {20, 0.5}, {5, 0.1}, {2, 0.05},
    {0.5, 0.01}, {0.2, 0.005}, {0.05, 0.001}, {0.02, 0.0005}, {0.005, 0.0001},
};

// Round half up through a 32-bit integer, as every snap does. Values the conversion cannot hold
// (only possible from a hand-edited settings file) are returned unchanged instead of overflowing.
double round_steps(double value, double step)
{
    const double steps = value / step + 0.5;
    if (!(std::fabs(steps) < 2147483647.0))
        return value;
    return static_cast<int32_t>(steps) * step;
}

template <std::size_t N>
std::array<double, N> geometric_table(double first, double factor)
{
    std::array<double, N> t{};
    t[0] = first;
    for (std::size_t i = 1; i < N; ++i)
        t[i] = t[i - 1] * factor;
    return t;
}

const std::array<double, 31> half_stops = geometric_table<31>(0.7071067811865476, 1.189207115002721);
const std::array<double, 46> third_stops = geometric_table<46>(0.7071067811865475, 1.122462048309373);

double step_of(double value)
{
    for (const StepRow& row : step_table) {
        if (value >= row.at_least)
            return row.step;
    }
    return 0.00005;
}

}  // namespace

double nice_round(double value) { return round_steps(value, step_of(value)); }

double next_round_value(double value, int direction)
{
    // Within a thousandth of a step of a grid value counts as on it, so that a value that is
    // already round moves by a whole step.
    constexpr double on_grid = 1e-3;
    if (direction > 0) {
        const double step = step_of(value);
        return (std::floor(value / step + on_grid) + 1) * step;
    }
    if (value <= 0)
        return 0;
    // Down from a range boundary the finer step below it applies (5 -> 4.95): take the step of the
    // coarse candidate's range, and again if that changed the range.
    double step = step_of(value);
    double below = (std::ceil(value / step - on_grid) - 1) * step;
    const double finer = step_of(below);
    if (finer != step)
        below = (std::ceil(value / finer - on_grid) - 1) * finer;
    return below > 0 ? below : 0;
}

std::span<const double> f_stop_table(FStopIncrement increment)
{
    if (increment == FStopIncrement::ThirdStop)
        return third_stops;
    return half_stops;
}

double snap_distance(const CalcState& state, DistanceUnit unit, double value_mm)
{
    if (state.snap == 0 || value_mm < 0)
        return value_mm;
    const double per_unit = millimetres_per_unit(unit);
    return nice_round(value_mm / per_unit) * per_unit;
}

double snap_f_stop(const CalcState& state, double f_number)
{
    if (state.snap == 0)
        return f_number;
    const std::span<const double> table = f_stop_table(state.f_stop_increment);
    double best = table[0];
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (std::fabs(table[i] - f_number) < std::fabs(best - f_number))
            best = table[i];
    }
    return best;
}

double next_f_stop(std::span<const double> table, double f_number, int direction)
{
    const double same = f_number * 1e-6;
    if (direction > 0) {
        for (const double entry : table) {
            if (entry > f_number + same)
                return entry;
        }
    } else {
        for (auto it = table.rbegin(); it != table.rend(); ++it) {
            if (*it < f_number - same)
                return *it;
        }
    }
    return f_number;
}

double snap_blur_threshold(double threshold)
{
    const double doubled = threshold * 2 + 0.5;
    if (!(std::fabs(doubled) < 2147483647.0))
        return threshold;
    const double halves = static_cast<int32_t>(doubled) / 2.0;
    if (halves > 0 || !(threshold > 0))
        return halves;
    // Below a quarter the nearest half would be 0, which allows no blur at all: the threshold
    // keeps its own round value instead, and no less than the blur scale can show.
    return std::max(nice_round(threshold), min_snapped_blur_threshold);
}

void snap_all(CalcState& state)
{
    if (state.focal_length >= 0)
        state.focal_length = nice_round(state.focal_length);
    state.focus_at = snap_distance(state, state.units, state.focus_at);
    state.f_stop = snap_f_stop(state, state.f_stop);
    state.effective_f_stop = state.f_stop * state.teleconverter;
    state.blur_threshold = snap_blur_threshold(state.blur_threshold);
    state.near_limit = snap_distance(state, state.units, state.near_limit);
    state.far_limit = snap_distance(state, state.units, state.far_limit);
    state.fov = snap_distance(state, state.macro_units, state.fov);
}

// Snapping to round values: nice_round's steps, the f-number tables, and snapping of inputs.
#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "calc/snap.h"
#include "support/close_to.h"

namespace {

struct RoundCase {
    double value;
    double expected;
};

void PrintTo(const RoundCase& c, std::ostream* os)
{
    *os << c.value;
}

class NiceRound : public testing::TestWithParam<RoundCase> {};

TEST_P(NiceRound, RoundsToTheStepOfItsRange)
{
    const RoundCase c = GetParam();
    EXPECT_TRUE(close_to(nice_round(c.value), c.expected, 1e-12)) << c.value;
}

// Each bound of the step table twice: a value just above it rounds with the bound's step, one
// just below with the finer step of the next row (where the coarser step would give the bound).
INSTANTIATE_TEST_SUITE_P(
    Steps, NiceRound,
    testing::Values(RoundCase{503.5, 500}, RoundCase{496.5, 495}, RoundCase{201.75, 200}, RoundCase{198.25, 198},
                    RoundCase{50.35, 50}, RoundCase{49.65, 49.5}, RoundCase{20.175, 20}, RoundCase{19.825, 19.8},
                    RoundCase{5.035, 5}, RoundCase{4.965, 4.95}, RoundCase{2.0175, 2}, RoundCase{1.9825, 1.98},
                    RoundCase{0.5035, 0.5}, RoundCase{0.4965, 0.495}, RoundCase{0.20175, 0.2},
                    RoundCase{0.19825, 0.198}, RoundCase{0.05035, 0.05}, RoundCase{0.04965, 0.0495},
                    RoundCase{0.020175, 0.02}, RoundCase{0.019825, 0.0198}, RoundCase{0.005035, 0.005},
                    RoundCase{0.004965, 0.00495},
                    RoundCase{499.9, 500}, RoundCase{500, 500},  // step 5 just below 500, 10 from it
                    RoundCase{504.9, 500}, RoundCase{505, 510},  // halves go up
                    RoundCase{1234.5, 1230}, RoundCase{1.234, 1.23}, RoundCase{0.0037, 0.0037},
                    RoundCase{0.00372, 0.0037}, RoundCase{0, 0}));

TEST(NiceRound, BelowHalfAHundredthTheStepIsFiveHundredThousandths)
{
    // 0.0037 is 74 steps of 0.00005; 0.00376 is 75.2 steps and goes to 75.
    EXPECT_TRUE(close_to(nice_round(0.0037) / 0.00005, 74, 1e-12));
    EXPECT_TRUE(close_to(nice_round(0.00376), 0.00375, 1e-12));
}

TEST(FStopTables, RunFromHalfOverRootTwoTo128)
{
    const auto half = f_stop_table(FStopIncrement::HalfStop);
    const auto third = f_stop_table(FStopIncrement::ThirdStop);
    ASSERT_EQ(half.size(), 31u);
    ASSERT_EQ(third.size(), 46u);
    EXPECT_TRUE(close_to(half.front(), 1 / std::sqrt(2.0), 1e-15));
    EXPECT_TRUE(close_to(third.front(), 1 / std::sqrt(2.0), 1e-15));
    EXPECT_NEAR(half.front(), 0.7071, 0.00005);
    EXPECT_TRUE(close_to(half.back(), 128, 1e-12));
    EXPECT_TRUE(close_to(third.back(), 128, 1e-12));
    // Two entries per stop in one table, three in the other: every second (third) entry doubles
    // the exposure time, that is, multiplies the f-number by the square root of two.
    EXPECT_TRUE(close_to(half[10] / half[8], std::sqrt(2.0), 1e-14));
    EXPECT_TRUE(close_to(third[10] / third[7], std::sqrt(2.0), 1e-14));
    // The familiar stops, unrounded.
    EXPECT_TRUE(close_to(half[12], std::pow(2, 2.5), 1e-13));  // "5.6"
    EXPECT_TRUE(close_to(half[14], 8, 1e-13));
    EXPECT_TRUE(close_to(third[21], 8, 1e-13));
}

TEST(NextRoundValue, StepsToTheNeighbouringValueOfTheGrid)
{
    const struct {
        double value;
        double up;
        double down;
    } cases[] = {
        {50, 51, 49.5},         // 50 is a range boundary: below it the step is 0.5
        {50.09, 51, 50},        // off the grid: to the round values on either side
        {5, 5.1, 4.95},
        {4.95, 5, 4.9},
        {500, 510, 495},
        {1230, 1240, 1220},
        {199, 200, 198},
        {200, 205, 199},
        {1.23, 1.24, 1.22},
        {0.5, 0.51, 0.495},
        {0.0037, 0.00375, 0.00365},
        {0.00005, 0.0001, 0},   // nothing round below the finest step
        {0, 0.00005, 0},
        {1234.5, 1240, 1230},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(close_to(next_round_value(c.value, 1), c.up, 1e-12)) << c.value << " up";
        EXPECT_TRUE(close_to(next_round_value(c.value, -1), c.down, 1e-12)) << c.value << " down";
        // Each result is a value snapping leaves alone.
        EXPECT_EQ(nice_round(next_round_value(c.value, 1)), next_round_value(c.value, 1)) << c.value;
        EXPECT_EQ(nice_round(next_round_value(c.value, -1)), next_round_value(c.value, -1)) << c.value;
    }
    // Stepping from 0 runs through every round value, the finest steps included: up and back
    // down returns to the start, each value is one snapping leaves alone, and rounding anything
    // between two neighbours gives one of them.
    double v = 0;
    for (int i = 0; i < 2500; ++i) {
        const double up = next_round_value(v, 1);
        ASSERT_GT(up, v);
        ASSERT_EQ(next_round_value(up, -1), v) << v;
        ASSERT_EQ(nice_round(up), up) << v;
        for (const double t : {0.3, 0.7}) {
            const double rounded = nice_round(v + t * (up - v));
            ASSERT_TRUE(rounded == v || rounded == up) << v << " to " << up << " at " << t;
        }
        v = up;
    }
    EXPECT_GT(v, 5000);
}

TEST(NextFStop, StepsThroughTheTableAndStopsAtItsEnds)
{
    const auto half = f_stop_table(FStopIncrement::HalfStop);
    const auto third = f_stop_table(FStopIncrement::ThirdStop);
    // Entry i is 2^(i/4 - 1/2) in half stops, 2^(i/6 - 1/2) in thirds: f/8 is entry 14 and 21.
    EXPECT_EQ(next_f_stop(half, 8, 1), half[15]);
    EXPECT_EQ(next_f_stop(half, 8, -1), half[13]);
    EXPECT_EQ(next_f_stop(third, 8, 1), third[22]);
    EXPECT_EQ(next_f_stop(half, 9, 1), half[15]);    // off the table: the next entry either way
    EXPECT_EQ(next_f_stop(half, 9, -1), half[14]);
    EXPECT_EQ(next_f_stop(half, half.back(), 1), half.back());
    EXPECT_EQ(next_f_stop(half, half.front(), -1), half.front());
    EXPECT_EQ(next_f_stop(half, 200, -1), half.back());
    EXPECT_EQ(next_f_stop(half, 0.1, 1), half.front());
}

TEST(SnapFStop, TakesTheNearestTableEntry)
{
    CalcState s;
    s.f_stop_increment = FStopIncrement::HalfStop;
    EXPECT_TRUE(close_to(snap_f_stop(s, 5.6), std::pow(2, 2.5), 1e-13));
    EXPECT_TRUE(close_to(snap_f_stop(s, 7.9), 8, 1e-13));
    EXPECT_TRUE(close_to(snap_f_stop(s, 0.1), f_stop_table(s.f_stop_increment).front(), 0));
    EXPECT_TRUE(close_to(snap_f_stop(s, 1000), 128, 1e-12));
    s.f_stop_increment = FStopIncrement::ThirdStop;
    EXPECT_TRUE(close_to(snap_f_stop(s, 7.0), std::pow(2, 17.0 / 6), 1e-13));  // "7.1"
    EXPECT_TRUE(close_to(snap_f_stop(s, 5.6), std::pow(2, 2.5), 1e-13));
}

TEST(SnapFStop, ATieGoesToTheSmallerEntry)
{
    for (const FStopIncrement increment : {FStopIncrement::HalfStop, FStopIncrement::ThirdStop}) {
        CalcState s;
        s.f_stop_increment = increment;
        const auto table = f_stop_table(increment);
        int ties = 0;
        for (std::size_t i = 0; i + 1 < table.size(); ++i) {
            const double mid = (table[i] + table[i + 1]) / 2;
            if (std::fabs(table[i] - mid) != std::fabs(table[i + 1] - mid))
                continue;  // the midpoint is not exactly representable
            ++ties;
            EXPECT_EQ(snap_f_stop(s, mid), table[i]) << i;
        }
        EXPECT_GT(ties, 0);
    }
}

TEST(Snap, OffLeavesValuesAsTheyAre)
{
    CalcState s;
    s.snap = 0;
    EXPECT_EQ(snap_f_stop(s, 5.6), 5.6);
    EXPECT_EQ(snap_distance(s, DistanceUnit::Foot, 1234), 1234);
    EXPECT_EQ(snap_distance(s, DistanceUnit::Millimetre, 1.23456), 1.23456);
}

struct DistanceCase {
    DistanceUnit unit;
    double value_mm;
    double expected_mm;
};

void PrintTo(const DistanceCase& c, std::ostream* os)
{
    *os << c.value_mm << "mm in unit " << static_cast<int>(c.unit);
}

class SnapDistance : public testing::TestWithParam<DistanceCase> {};

TEST_P(SnapDistance, RoundsInTheDisplayUnit)
{
    const DistanceCase c = GetParam();
    CalcState s;
    EXPECT_TRUE(close_to(snap_distance(s, c.unit, c.value_mm), c.expected_mm, 1e-12)) << c.value_mm;
}

INSTANTIATE_TEST_SUITE_P(
    Units, SnapDistance,
    testing::Values(DistanceCase{DistanceUnit::Foot, 1234, 4.05 * 304.8},  // 1234.44 mm
                    DistanceCase{DistanceUnit::Millimetre, 1234, 1230},
                    DistanceCase{DistanceUnit::Centimetre, 1234, 1230},     // 123.4 cm -> 123
                    DistanceCase{DistanceUnit::Inch, 1234, 48.5 * 25.4},    // 48.58 in -> 48.5
                    DistanceCase{DistanceUnit::Yard, 1234, 1.35 * 914.4},   // 1.3495 yd -> 1.35
                    DistanceCase{DistanceUnit::Metre, 1234, 1230},          // 1.234 m -> 1.23
                    DistanceCase{DistanceUnit::Foot, -1, -1},               // infinity stays
                    DistanceCase{DistanceUnit::Metre, -5, -5}));

TEST(SnapDistance, OneThousandTwoHundredThirtyFourMillimetresInFeet)
{
    CalcState s;
    EXPECT_NEAR(snap_distance(s, DistanceUnit::Foot, 1234), 1234.44, 0.000001);
}

TEST(SnapAll, SnapsTheStoredInputs)
{
    CalcState s;
    s.units = DistanceUnit::Foot;
    s.macro_units = DistanceUnit::Centimetre;
    s.focal_length = 52.4;
    s.focus_at = 1234;
    s.f_stop = 5.6;
    s.teleconverter = 1.4;
    s.near_limit = 1000;
    s.far_limit = -1;
    s.fov = 23.456;  // 2.3456 cm -> 2.35 cm
    s.near = 1111.1;
    s.far = 2222.2;
    s.blur_distance = 3333.3;
    snap_all(s);
    EXPECT_EQ(s.focal_length, 52);
    EXPECT_TRUE(close_to(s.focus_at, 4.05 * 304.8, 1e-12));
    EXPECT_TRUE(close_to(s.f_stop, std::pow(2, 2.5), 1e-13));
    EXPECT_TRUE(close_to(s.effective_f_stop, s.f_stop * 1.4, 1e-15));
    EXPECT_TRUE(close_to(s.near_limit, 3.3 * 304.8, 1e-12));  // 3.2808 ft -> 3.3 ft
    EXPECT_EQ(s.far_limit, -1);
    EXPECT_TRUE(close_to(s.fov, 23.5, 1e-12));
    // Results and the blur distance are not snapped.
    EXPECT_EQ(s.near, 1111.1);
    EXPECT_EQ(s.far, 2222.2);
    EXPECT_EQ(s.blur_distance, 3333.3);
}

TEST(SnapAll, FieldWidthUsesTheMacroUnit)
{
    CalcState s;
    s.fov = 23.456;
    s.units = DistanceUnit::Foot;  // would give 0.077 ft = 23.47 mm
    s.macro_units = DistanceUnit::Millimetre;
    snap_all(s);
    EXPECT_TRUE(close_to(s.fov, 23.5, 1e-12));
    s.fov = 23.456;
    s.macro_units = DistanceUnit::Inch;
    snap_all(s);
    EXPECT_TRUE(close_to(s.fov, 0.92 * 25.4, 1e-12));  // 0.92346 in -> 0.92 in
}

TEST(SnapAll, BlurThresholdGoesToHalves)
{
    struct Case {
        double value;
        double expected;
    };
    // Never to 0: under a quarter the threshold keeps its own round value, and no less than the
    // blur scale shows.
    for (const Case c : {Case{1.3, 1.5}, Case{1.2, 1.0}, Case{1.25, 1.5}, Case{0.7, 0.5},
                         Case{2.0, 2.0}, Case{0.25, 0.5}, Case{0.2, 0.2}, Case{0.2449, 0.245},
                         Case{0.0372, 0.037}, Case{0.001, 0.0159}, Case{1e-9, 0.0159}}) {
        CalcState s;
        s.blur_threshold = c.value;
        snap_all(s);
        EXPECT_NEAR(s.blur_threshold, c.expected, 1e-15) << c.value;
        EXPECT_EQ(snap_blur_threshold(s.blur_threshold), s.blur_threshold) << "snapping twice changes nothing";
    }
    // The floor is the lowest round value on the blur scale zoomed out fully.
    CalcState s;
    s.blur_threshold = 1e-9;
    s.blur_zoom = 32;
    recompute(s, Camera{}, true);
    EXPECT_LE(s.blur_low, min_snapped_blur_threshold);
    EXPECT_EQ(nice_round(s.blur_low), min_snapped_blur_threshold);
}

TEST(SnapAll, NegativeFocalLengthIsLeftAlone)
{
    CalcState s;
    s.focal_length = -3.3;
    snap_all(s);
    EXPECT_EQ(s.focal_length, -3.3);
}

TEST(SnapAll, ValuesBeyondTheIntegerRangeAreLeftAlone)
{
    // Only an edited settings file can hold these; rounding them must not overflow.
    CalcState s;
    s.focal_length = 1e300;
    s.blur_threshold = 1e300;
    s.focus_at = 1e300;
    snap_all(s);
    EXPECT_EQ(s.focal_length, 1e300);
    EXPECT_EQ(s.blur_threshold, 1e300);
    EXPECT_TRUE(close_to(s.focus_at, 1e300, 1e-15));
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calc/snap.h"
#include "display/mapping.h"

namespace {

TEST(Mapping, RoundHalfAwayFromZero)
{
    const struct {
        double x;
        int expected;
    } table[] = {
        {2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-2.4999, -2}, {0, 0}, {-0.5, -1}, {0.5, 1}, {254.5, 255}, {-0.49, 0},
    };
    for (const auto& t : table)
        EXPECT_EQ(round_half_away(t.x), t.expected) << t.x;
}

TEST(Mapping, WildValuesSaturate)
{
    EXPECT_EQ(round_half_away(1e300), row_limit);
    EXPECT_EQ(round_half_away(-1e300), -row_limit);
    EXPECT_EQ(round_half_away(std::numeric_limits<double>::infinity()), row_limit);
    EXPECT_EQ(round_half_away(std::numeric_limits<double>::quiet_NaN()), -row_limit);
}

TEST(Mapping, FractionToRowRoundsHalvesUpTheScreen)
{
    const Rect r{0, 100, 10, 200};
    EXPECT_EQ(fraction_to_y(0, r), 200);
    EXPECT_EQ(fraction_to_y(1, r), 100);
    EXPECT_EQ(fraction_to_y(0.5, r), 150);
    // (100 - 200) * 0.025 = -2.5 gives bottom - 3.
    EXPECT_EQ(fraction_to_y(0.025, r), 197);
}

TEST(Mapping, ReciprocalRoundTrips)
{
    const struct {
        double low, high;
    } windows[] = {{423.2, -1}, {27.78, 250}, {0.5555, 5}, {300, 30000}, {1000, -1}, {2, 1000}};
    for (const auto& w : windows) {
        for (double f : {0.0, 0.1, 0.25, 0.5, 0.75, 0.9, 0.999}) {
            const double v = recip_value(f, w.low, w.high);
            EXPECT_NEAR(recip_fraction(v, w.low, w.high), f, 1e-12) << w.low << " " << w.high << " " << f;
            EXPECT_NEAR(recip_value(recip_fraction(v, w.low, w.high), w.low, w.high), v, 1e-9 * v) << v;
        }
        EXPECT_DOUBLE_EQ(recip_value(0, w.low, w.high), w.low);
        EXPECT_DOUBLE_EQ(recip_fraction(w.low, w.low, w.high), 0);
    }
    EXPECT_DOUBLE_EQ(recip_fraction(250, 27.78, 250), 1);
}

TEST(Mapping, InfinityAtTheTop)
{
    EXPECT_EQ(recip_fraction(-1, 300, -1), 1);
    EXPECT_EQ(recip_fraction(-7, 300, -1), 1);
    EXPECT_EQ(recip_value(1, 300, -1), -1);
    EXPECT_EQ(recip_value(1.5, 300, -1), -1);
    EXPECT_DOUBLE_EQ(recip_value(0.5, 300, -1), 600);
    const Rect r{0, 100, 10, 500};
    EXPECT_EQ(fraction_to_y(recip_fraction(-1, 300, -1), r), 100);
}

TEST(Mapping, ZoomWindowCentresTheValue)
{
    for (double zoom : {1.5, 5.0, 32.0}) {
        const double v = 85;
        const double high = v * zoom;
        const double low = high / (2 * zoom - 1);
        EXPECT_NEAR(recip_fraction(v, low, high), 0.5, 1e-12) << zoom;
    }
}

TEST(Mapping, LinearMacroScale)
{
    EXPECT_EQ(linear_tick_row(0, -10, 10, 100, 300), 200);
    EXPECT_EQ(linear_tick_row(10, -10, 10, 100, 300), 100);
    EXPECT_EQ(linear_tick_row(-10, -10, 10, 100, 300), 300);
    EXPECT_DOUBLE_EQ(linear_fraction(0, -10, 10), 0.5);
    EXPECT_DOUBLE_EQ(linear_fraction(-10, -10, 10), 0);
}

TEST(Mapping, ApertureTicksAndMarker)
{
    const Rect r{0, 100, 10, 401};
    for (FStopIncrement inc : {FStopIncrement::HalfStop, FStopIncrement::ThirdStop}) {
        const auto table = f_stop_table(inc);
        const int n = static_cast<int>(table.size());
        EXPECT_EQ(aperture_tick_row(0, n, r), 401);
        EXPECT_EQ(aperture_tick_row(n - 1, n, r), 100);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(aperture_row(table[i], table, r), aperture_tick_row(i, n, r), 1) << i;
        // A wider aperture than the table's lies below the scale, a smaller one above.
        EXPECT_GT(aperture_row(0.5, table, r), 401);
        EXPECT_LT(aperture_row(256, table, r), 100);
    }
    // Integer division truncates toward zero: -301 / 30 is -10.
    EXPECT_EQ(aperture_tick_row(1, 31, r), 391);
}

TEST(Mapping, RowsPerScaleFollowTheModeAndUnit)
{
    CalcState s;
    s.units = DistanceUnit::Foot;
    s.maxblur_near = 423.2;
    s.maxblur_far = -1;
    const Rect r{0, 100, 10, 500};
    EXPECT_EQ(distance_row(s, r, 423.2), 500);
    EXPECT_EQ(distance_row(s, r, -1), 100);
    EXPECT_EQ(distance_row(s, r, 846.4), 300);

    s.mode = Mode::Macro;
    s.macro_units = DistanceUnit::Centimetre;
    s.maxblur_near = -4;
    s.maxblur_far = 4;
    EXPECT_EQ(distance_row(s, r, 0), 300);
    EXPECT_EQ(distance_row(s, r, 4), 100);
    EXPECT_EQ(distance_row(s, r, -2), 400);

    s.fov = 20;
    s.fov_high = 100;
    s.fov_low = 100.0 / 9;
    s.focal_length = 1e6;  // ignored in Macro mode
    EXPECT_EQ(lens_row(s, r, 20), 300);
    s.mode = Mode::DepthOfField;
    s.fl_high = 250;
    s.fl_low = 250.0 / 9;
    EXPECT_EQ(lens_row(s, r, 50), 300);
    s.blur_low = 5.0 / 9;
    s.blur_high = 5;
    EXPECT_EQ(blur_row(s, r, 1), 300);
    EXPECT_EQ(blur_row(s, r, 5), 100);
}

}  // namespace

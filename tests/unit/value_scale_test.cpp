#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "display/blur_colour.h"
#include "display/value_scale.h"
#include "support/recording_canvas.h"
#include "text/format.h"

namespace {

constexpr int x = 100;
constexpr int line_height = 16;
constexpr int half = 8;

std::u16string text_of(double v, int decimals)
{
    return std::u16string(plain_number(v, decimals).view());
}

RecordingCanvas draw(double low, double high, int top, int bottom, bool coloured = false,
                     ScaleMapping mapping = ScaleMapping::Reciprocal, int height = line_height)
{
    RecordingCanvas canvas;
    draw_value_scale(canvas, height, {x, top, bottom, low, high, coloured, mapping});
    return canvas;
}

/// Major ticks: 10-pixel lines from the scale line, sorted by row (the infinity tick included).
std::vector<int> major_rows(const RecordingCanvas& c)
{
    std::vector<int> rows;
    for (const DrawCall& l : c.horizontal_lines(x, x + 10))
        rows.push_back(l.a.y);
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<DrawCall> labels(const RecordingCanvas& c)
{
    std::vector<DrawCall> out = c.of_kind(CallKind::Text);
    std::sort(out.begin(), out.end(), [](const DrawCall& a, const DrawCall& b) { return a.a.y < b.a.y; });
    return out;
}

TEST(ValueScale, ScaleLineAndInfinityAtTheTop)
{
    const RecordingCanvas c = draw(300, -1, 100, 600);
    ASSERT_FALSE(c.calls.empty());
    EXPECT_EQ(c.calls[0].kind, CallKind::Line);
    EXPECT_EQ(c.calls[0].a, (Point{x, 100}));
    EXPECT_EQ(c.calls[0].b, (Point{x, 600}));

    const std::vector<DrawCall> infinity = c.texts(u"\uF0A5");
    ASSERT_EQ(infinity.size(), 1u);
    EXPECT_EQ(infinity[0].font, FontKind::Symbol);
    EXPECT_EQ(infinity[0].a, (Point{x + 12, 100 - half}));
    EXPECT_EQ(major_rows(c).front(), 100);
    // No label may start above the lower edge of the infinity sign.
    for (const DrawCall& t : labels(c)) {
        if (t.font != FontKind::Text)
            continue;
        EXPECT_GE(t.a.y, 100 + half) << std::string(t.text.begin(), t.text.end());
    }
    // 300 is a round value at the bottom row.
    EXPECT_EQ(c.texts(u"300").size(), 1u);
    EXPECT_EQ(c.texts(u"300")[0].a.y, 600 - half);
}

TEST(ValueScale, TicksAtLeastFourApartAndLabelsNeverOverlapOrReadTheSame)
{
    int windows = 0;
    for (double low : {0.01, 0.011, 0.02, 0.3, 1.0, 2.7, 27.78, 423.2, 1100.0}) {
        for (double ratio : {2.0, 3.5, 9.0, 40.0, 300.0, -1.0}) {
            for (int height : {40, 90, 250, 700, 2000}) {
                for (int text : {11, 16, 24}) {
                    const double high = ratio < 0 ? -1 : low * ratio;
                    const RecordingCanvas c = draw(low, high, 50, 50 + height, false, ScaleMapping::Reciprocal, text);
                    std::vector<int> rows = major_rows(c);
                    if (high < 0)  // the infinity tick does not count as a tick for the spacing
                        rows.erase(std::find(rows.begin(), rows.end(), 50));
                    for (std::size_t i = 1; i < rows.size(); ++i)
                        ASSERT_GE(rows[i] - rows[i - 1], 4) << low << " " << high << " " << height;
                    const std::vector<DrawCall> t = labels(c);
                    for (std::size_t i = 1; i < t.size(); ++i) {
                        ASSERT_GE(t[i].a.y - t[i - 1].a.y, text) << low << " " << high << " " << height;
                        ASSERT_NE(t[i].text, t[i - 1].text) << low << " " << high << " " << height;
                    }
                    for (int y : rows)
                        ASSERT_TRUE(50 <= y && y <= 50 + height) << y;
                    ++windows;
                }
            }
        }
    }
    EXPECT_EQ(windows, 810);
}

TEST(ValueScale, RoundValuesBelowATenthKeepTheirThirdDecimal)
{
    for (const auto& [value, label] : {std::pair{0.01, u"0.01"}, {0.012, u"0.012"}, {0.015, u"0.015"},
                                       {0.02, u"0.02"}, {0.12, u"0.12"}, {1.5, u"1.5"}})
        EXPECT_EQ(round_value_label(value).view(), std::u16string_view(label)) << value;
    // Evenly stepped labels finer than their four decimals: one of each text.
    const std::vector<DrawCall> t = labels(draw(1.00001, 1.00009, 50, 1050, false, ScaleMapping::Linear));
    for (std::size_t i = 1; i < t.size(); ++i)
        EXPECT_NE(t[i].text, t[i - 1].text);
}

TEST(ValueScale, FarWindowsGetRoundValuesAndLabels)
{
    // Far distances in mm, cm or inches: 200 m is 200000 mm, 20000 cm, 7874 in; the far limit is
    // capped at 1000 km.
    const struct {
        double low, high;
        std::u16string_view label;  // one label that must be there
    } table[] = {
        {4000, 9500, u"7000"},
        {150000, 400000, u"200000"},
        {12000, -1, u"20000"},
        {150000, -1, u"200000"},
        {1.5e6, 9e6, u"3000000"},
        {3e7, 3e8, u"100000000"},
        {2e8, 9e8, u"500000000"},
        {4.4e8, -1, u"500000000"},
    };
    for (const auto& t : table) {
        const RecordingCanvas c = draw(t.low, t.high, 100, 600);
        std::vector<DrawCall> texts = labels(c);
        std::erase_if(texts, [](const DrawCall& d) { return d.font == FontKind::Symbol; });
        EXPECT_GE(texts.size(), 2u) << t.low << ".." << t.high;
        EXPECT_EQ(c.texts(t.label).size(), 1u) << t.low << ".." << t.high;
        for (const DrawCall& d : texts) {
            bool round = false;
            for (int i = 0; i < round_value_count; ++i)
                if (d.text == text_of(round_value(i), 2))
                    round = round || (round_value(i) >= t.low && (t.high < 0 || round_value(i) <= t.high));
            EXPECT_TRUE(round) << std::string(d.text.begin(), d.text.end());
        }
    }
}

TEST(ValueScale, LabelsAreRoundValuesAtTheirTicks)
{
    const double low = 27.78, high = 250;
    const RecordingCanvas c = draw(low, high, 120, 575);
    const std::vector<DrawCall> t = labels(c);
    ASSERT_GE(t.size(), 5u);
    std::vector<int> rows = major_rows(c);
    for (const DrawCall& label : t) {
        const int y = label.a.y + half;
        EXPECT_TRUE(std::find(rows.begin(), rows.end(), y) != rows.end()) << y;
        EXPECT_EQ(label.a.x, x + 12);
        EXPECT_EQ(label.colour, colours::white);
    }
    EXPECT_EQ(c.texts(u"50").size(), 1u);
    EXPECT_EQ(c.texts(u"200").size(), 1u);
    EXPECT_TRUE(c.texts(u"20").empty());   // below the window
    EXPECT_TRUE(c.texts(u"300").empty());  // above it
}

TEST(ValueScale, SubdivisionOfAWideInterval)
{
    // 1 at row 400, 1.2 at row 267: 133 pixels, so 8 parts with the middle one long.
    const RecordingCanvas c = draw(1, 2, 0, 400);
    std::map<int, int> sub;  // row -> length
    for (const DrawCall& l : c.of_kind(CallKind::Line))
        if (l.a.x == x && l.a.y == l.b.y && l.a.y > 267 && l.a.y < 400)
            sub[l.a.y] = l.b.x - x;
    ASSERT_EQ(sub.size(), 7u);
    int i = 1;
    for (const auto& [row, length] : sub) {
        // From the top: 1.175, 1.15, ... 1.025; the long one is 1.1, the fourth of eight.
        EXPECT_EQ(length, i == 4 ? 6 : 4) << row;
        ++i;
    }
}

TEST(ValueScale, ColouredTicksTakeTheirBlurColour)
{
    const RecordingCanvas c = draw(5.0 / 9, 5, 120, 575, true);
    bool seen_two = false;
    for (const DrawCall& t : c.of_kind(CallKind::Text)) {
        double v = 0;
        for (int i = 0; i < round_value_count; ++i)
            if (t.text == text_of(round_value(i), 2))
                v = round_value(i);
        ASSERT_GT(v, 0);
        EXPECT_EQ(t.colour, blur_colour(v));
        if (v == 2) {
            seen_two = true;
            EXPECT_EQ(t.colour, (Colour{255, 255, 0}));
        }
    }
    EXPECT_TRUE(seen_two);
    // Each labelled tick has its label's colour.
    const std::vector<DrawCall> ticks = c.horizontal_lines(x, x + 10);
    for (const DrawCall& t : c.of_kind(CallKind::Text)) {
        const auto tick = std::find_if(ticks.begin(), ticks.end(), [&](const DrawCall& l) { return l.a.y == t.a.y + half; });
        ASSERT_NE(tick, ticks.end());
        EXPECT_EQ(tick->colour, t.colour);
    }
}

TEST(ValueScale, LinearStepChoice)
{
    const struct {
        double low, high, step, first, last;
    } table[] = {
        {50, 90, 5, 50, 90},
        {0.98, 1.02, 0.005, 0.98, 1.02},
        {3, 3, 0.1, 2.5, 3.5},        // equal ends are widened by 0.5
        {-40, 40, 10, -40, 40},       // a Macro window, signed
        {1.2, 2.1, 0.1, 1.2, 2.1},
        {100, 140, 5, 100, 140},
        {0.3, 0.5, 0.02, 0.3, 0.5},
        {7, 1, 0.5, 1, 7},            // ends in either order
    };
    for (const auto& t : table) {
        const LinearTicks ticks = linear_ticks(t.low, t.high);
        ASSERT_TRUE(ticks.valid) << t.low;
        EXPECT_NEAR(ticks.step, t.step, 1e-12 * t.step) << t.low << ".." << t.high;
        EXPECT_NEAR(ticks.first, t.first, 1e-9) << t.low << ".." << t.high;
        EXPECT_NEAR(ticks.last, t.last, 1e-9) << t.low << ".." << t.high;
        EXPECT_NEAR(ticks.first + ticks.count * ticks.step, ticks.last, 1e-9);
    }
    EXPECT_FALSE(linear_ticks(1e20, 1e20).valid);  // widening cannot help at this size
}

TEST(ValueScale, LinearPathLabelsMinorTicksAndWhite)
{
    // A ratio under 2 takes the stepped path even when colours are asked for.
    const RecordingCanvas c = draw(50, 90, 100, 500, true);
    std::vector<std::u16string> texts;
    for (const DrawCall& t : c.of_kind(CallKind::Text)) {
        texts.push_back(t.text);
        EXPECT_EQ(t.colour, colours::white);
    }
    for (const DrawCall& l : c.of_kind(CallKind::Line))
        EXPECT_EQ(l.colour, colours::white);
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"55"), texts.end());
    for (const std::u16string& t : texts) {
        double v = 0;
        for (int k = 50; k <= 90; k += 5)
            if (t == text_of(k, 0))
                v = k;
        EXPECT_GT(v, 0) << std::string(t.begin(), t.end());
    }
    // Every 0.5 a tick: 8 intervals of 10 ticks, the bottom tick (row 500) excluded.
    const std::size_t ticks = c.horizontal_lines(x, x + 10).size() + c.horizontal_lines(x, x + 5).size();
    EXPECT_EQ(ticks, 80u);
}

TEST(ValueScale, MacroScaleIsLinearWithZeroInTheMiddle)
{
    const RecordingCanvas c = draw(-4, 4, 100, 500, false, ScaleMapping::Linear);
    const std::vector<DrawCall> zero = c.texts(u"0");
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].a.y, 300 - half);
    EXPECT_TRUE(c.texts(u"\u22120").empty());
    // Symmetric: -2 and 2 are equally far from the middle.
    ASSERT_EQ(c.texts(u"2").size(), 1u);
    ASSERT_EQ(c.texts(u"\u22122").size(), 1u);
    EXPECT_EQ(300 - c.texts(u"2")[0].a.y, c.texts(u"\u22122")[0].a.y - 300 + 2 * half);
}

}  // namespace

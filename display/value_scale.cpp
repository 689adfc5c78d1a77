#include "display/value_scale.h"

#include <array>
#include <cmath>

#include "calc/portable_math.h"
#include "display/blur_colour.h"
#include "display/mapping.h"
#include "display/pixel_scale.h"
#include "display/stroke.h"
#include "text/format.h"

namespace {

constexpr std::array<double, round_value_count> round_values{
    0.01, 0.012, 0.015, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09,
    0.1, 0.12, 0.15, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9,
    1, 1.2, 1.5, 2, 3, 4, 5, 6, 7, 8, 9,
    10, 12, 15, 20, 30, 40, 50, 60, 70, 80, 90,
    100, 120, 150, 200, 300, 400, 500, 600, 700, 800, 900,
    1000, 1200, 1500, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000,
    1e4, 1.2e4, 1.5e4, 2e4, 3e4, 4e4, 5e4, 6e4, 7e4, 8e4, 9e4,
    1e5, 1.2e5, 1.5e5, 2e5, 3e5, 4e5, 5e5, 6e5, 7e5, 8e5, 9e5,
    1e6, 1.2e6, 1.5e6, 2e6, 3e6, 4e6, 5e6, 6e6, 7e6, 8e6, 9e6,
    1e7, 1.2e7, 1.5e7, 2e7, 3e7, 4e7, 5e7, 6e7, 7e7, 8e7, 9e7,
    1e8, 1.2e8, 1.5e8, 2e8, 3e8, 4e8, 5e8, 6e8, 7e8, 8e8, 9e8,
};

constexpr char16_t infinity_glyph[] = u"\uF0A5";

/// How an interval between two neighbouring round values is subdivided.
struct Division {
    int parts = 0;        // 0: no sub-ticks
    bool midpoint = false;  // one long sub-tick half-way
    double inverse = 0;   // 1 / parts, as the constant the ticks are computed with
    unsigned long_mask = 0;  // bit j set: sub-tick j is long
};

constexpr unsigned all_long = ~0u;
constexpr unsigned bit(int j) { return 1u << j; }

/// `position` is the lower value's place in its decade: 0 for 1, 1 for 1.2, 2 for 1.5, 3.. for 2..9;
/// `d` the rows between the two values, in design pixels.
Division division(int position, int d)
{
    const Division none{};
    const Division midpoint{0, true, 0, 0};
    switch (position) {
    case 0:
        if (d > 32) return {8, false, 0.125, bit(4)};
        if (d > 16) return {4, false, 0.25, bit(2)};
        if (d > 8) return midpoint;
        return none;
    case 1:
        if (d > 32) return {12, false, 1.0 / 12, bit(4) | bit(8)};
        if (d > 16) return {6, false, 1.0 / 6, bit(2) | bit(4)};
        if (d > 8) return {3, false, 1.0 / 3, all_long};
        return none;
    case 2:
        if (d > 32) return {10, false, 0.1, bit(2) | bit(4) | bit(6) | bit(8)};
        if (d > 10) return {5, false, 0.2, all_long};
        return none;
    default:
        if (d > 32) return {10, false, 0.1, bit(5)};
        if (d > 16) return {4, false, 0.25, bit(2)};
        if (d > 8) return midpoint;
        return none;
    }
}

class ScaleDrawer {
public:
    ScaleDrawer(Canvas& canvas, int line_height, const ValueScale& s)
        : canvas_(canvas), s_(s), line_height_(line_height), half_(line_height / 2), rect_{s.x, s.top, s.x, s.bottom},
          tick_(px(10)), label_x_(s.x + px(12))
    {
    }

    void draw()
    {
        draw_stroke(canvas_, s_.x, s_.top, s_.x, s_.bottom, colours::white, px(1));
        if (s_.low > 0 && (s_.high < 0 || s_.high / s_.low >= 2))
            draw_round_values();
        else
            draw_stepped_values();
    }

private:
    int px(int n) const { return scale_pixels(n, s_.scale_quarters); }
    int reciprocal_row(double v) const { return fraction_to_y(recip_fraction(v, s_.low, s_.high), rect_); }

    /// Draws a label unless it would read as the one drawn just before it.
    void label(int y, const Text256& text, Colour colour)
    {
        if (text.view() == last_label_.view())
            return;
        canvas_.text(label_x_, y - half_, text.view(), FontKind::Text, colour);
        last_label_ = text;
    }
    Colour colour_of(double v) const { return s_.coloured ? blur_colour(v) : colours::white; }

    void draw_round_values()
    {
        const int x = s_.x;
        int last_tick = s_.top - 2 * line_height_;
        int label_edge = s_.top - 2 * line_height_;
        if (s_.high < 0) {
            draw_stroke(canvas_, x, s_.top, x + tick_, s_.top, colours::white, px(1));
            canvas_.text(label_x_, s_.top - half_, infinity_glyph, FontKind::Symbol, colours::white);
            label_edge = s_.top - half_ + line_height_;  // the row below the infinity sign's cell
        }

        // Major ticks from the top of the scale downwards; a value too close below the previous
        // tick gets no tick, and a label that would overlap the one above is left out.
        std::array<bool, round_value_count> flag{};
        for (int i = round_value_count - 1; i >= 0; --i) {
            const double v = round_values[i];
            if ((s_.high > 0 && v > s_.high) || v < s_.low) {
                flag[i] = true;
                continue;
            }
            const int y = reciprocal_row(v);
            if (y - last_tick < px(4))
                continue;
            flag[i] = true;
            const Colour colour = colour_of(v);
            draw_stroke(canvas_, x, y, x + tick_, y, colour, px(1));
            if (y - half_ >= label_edge) {
                label(y, round_value_label(v), colour);
                label_edge = y - half_ + line_height_;
            }
            last_tick = y;
        }

        for (int i = 0; i + 1 < round_value_count; ++i) {
            const double lower = round_values[i];
            const double upper = round_values[i + 1];
            if (!flag[i] || !flag[i + 1] || (s_.high > 0 && lower > s_.high) || upper < s_.low)
                continue;
            const int d = (reciprocal_row(lower) - reciprocal_row(upper)) * design_scale_quarters / s_.scale_quarters;
            const Division div = division(i % 11, d);
            if (div.midpoint)
                sub_tick((lower + upper) * 0.5, px(6));
            for (int j = 1; j < div.parts; ++j)
                sub_tick(j * div.inverse * (upper - lower) + lower, (div.long_mask & bit(j)) ? px(6) : px(4));
        }
    }

    void sub_tick(double v, int length)
    {
        const int y = reciprocal_row(v);
        if (s_.top <= y && y <= s_.bottom)
            draw_stroke(canvas_, s_.x, y, s_.x + length, y, colour_of(v), px(1));
    }

    int stepped_row(double v) const
    {
        if (s_.mapping == ScaleMapping::Linear)
            return linear_tick_row(v, s_.low, s_.high, s_.top, s_.bottom);
        return reciprocal_row(v);
    }

    void draw_stepped_values()
    {
        const LinearTicks ticks = linear_ticks(s_.low, s_.high);
        if (!ticks.valid)
            return;
        const int x = s_.x;
        int label_edge = s_.bottom + 2 * line_height_;  // labels now go from the bottom upwards
        for (int i = 0; i <= ticks.count; ++i) {
            double v = ticks.first + i * ticks.step;
            if (std::fabs(v) < ticks.step * 1e-9)
                v = 0;  // no "-0" where the steps cross zero
            const int y = stepped_row(v);
            if (s_.top <= y && y < s_.bottom) {
                draw_stroke(canvas_, x, y, x + tick_, y, colours::white, px(1));
                if (y - half_ + line_height_ <= label_edge) {
                    label(y, plain_number(v, 4), colours::white);
                    label_edge = y - half_;
                }
            }
            for (int j = 1; j <= 9; ++j) {
                const int sy = stepped_row(j * ticks.step / 10 + v);
                if (s_.top <= sy && sy < s_.bottom)
                    draw_stroke(canvas_, x, sy, x + (j == 5 ? tick_ : px(5)), sy, colours::white, px(1));
            }
        }
    }

    Canvas& canvas_;
    const ValueScale& s_;
    int line_height_;
    int half_;
    Rect rect_;
    int tick_;
    int label_x_;
    Text256 last_label_;
};

}  // namespace

Text256 round_value_label(double value)
{
    return plain_number(value, value < 0.1 ? 3 : 2);
}

double round_value(int index)
{
    return round_values[static_cast<std::size_t>(index)];
}

LinearTicks linear_ticks(double low, double high)
{
    LinearTicks t;
    double lo = low < high ? low : high;
    double hi = low < high ? high : low;
    if (hi - lo < 1e-10) {
        lo -= 0.5;
        hi += 0.5;
    }
    const double r = (hi - lo) / 10;
    if (!(r > 0) || !std::isfinite(r))
        return t;
    int e = static_cast<int>(portable::log10(r));
    if (r < 1)
        e -= 1;
    const double unit = portable::pow(10.0, e);
    const double q = r / unit;
    double step = 10 * unit;
    if (q < std::sqrt(2.0))
        step = unit;
    else if (q < std::sqrt(10.0))
        step = 2 * unit;
    else if (q < std::sqrt(50.0))
        step = 5 * unit;

    const double low_steps = lo / step;
    const double high_steps = hi / step;
    if (!(std::fabs(low_steps) < 1e9 && std::fabs(high_steps) < 1e9))
        return t;
    double m = std::floor(low_steps);
    if (std::ceil(low_steps) - low_steps < 2e-5)
        m = std::ceil(low_steps);
    double n = std::ceil(high_steps);
    if (high_steps - std::floor(high_steps) < 2e-5)
        n = std::floor(high_steps);
    t.first = m * step;
    t.last = n * step;
    if (t.last < t.first || n - m > 1000)
        return t;
    t.count = static_cast<int>(n - m);
    t.step = t.count > 0 ? (t.last - t.first) / (n - m) : step;
    t.valid = true;
    return t;
}

void draw_value_scale(Canvas& canvas, int line_height, const ValueScale& scale)
{
    ScaleDrawer(canvas, line_height, scale).draw();
}

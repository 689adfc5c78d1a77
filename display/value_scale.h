// draw_value_scale: one vertical scale with ticks and labels, either at round values (1, 1.2,
// 1.5, 2 ... 9 per decade) on a reciprocal scale or at evenly stepped values on narrow and
// signed windows.
#pragma once

#include "display/canvas.h"
#include "display/pixel_scale.h"
#include "text/format.h"

enum class ScaleMapping { Reciprocal, Linear };

struct ValueScale {
    /// The scale line stands at x from row top to row bottom (top < bottom).
    int x = 0;
    int top = 0;
    int bottom = 0;
    /// Values at the bottom and the top; a negative high puts infinity at the top.
    double low = 0;
    double high = 0;
    /// Ticks and labels of round values take blur_colour of their value; otherwise all white.
    bool coloured = false;
    /// How the evenly stepped ticks find their rows: through 1/value, or linearly (Macro distances).
    ScaleMapping mapping = ScaleMapping::Reciprocal;
    /// The pixel scale of ticks, gaps and spacings, in quarters of their design size.
    int scale_quarters = design_scale_quarters;
};

/// The round values, eleven decades of 1, 1.2, 1.5, 2, 3, 4, 5, 6, 7, 8, 9 from 0.01 to 900 000 000:
/// far enough for a distance just short of the 1000 km that the far limit is capped at, in mm.
inline constexpr int round_value_count = 121;
double round_value(int index);

/// The evenly stepped ticks of a window: `count` + 1 values from `first` by `step` up to `last`.
struct LinearTicks {
    bool valid = false;
    double step = 0;
    double first = 0;
    double last = 0;
    int count = 0;
};
LinearTicks linear_ticks(double low, double high);

/// The label of a round value: "%2f" trimmed, or "%3f" below 0.1, so that 0.012 and 0.015 do not
/// both read as 0.01 and 0.02.
Text256 round_value_label(double value);

/// Draws the scale line, ticks, sub-ticks and labels; labels are round_value_label (round values)
/// or "%4f" (stepped values) trimmed. A label that would overlap the previous one, or that would
/// read the same as it, is left out.
void draw_value_scale(Canvas& canvas, int line_height, const ValueScale& scale);

#include "display/distance_column.h"

#include <algorithm>
#include <cmath>

#include "display/blur_colour.h"
#include "display/blur_strip.h"
#include "display/mapping.h"
#include "display/markers.h"
#include "display/panel.h"
#include "display/row_blur.h"
#include "display/value_scale.h"
#include "text/format.h"

namespace {

bool is_whole_level(double level)
{
    return std::isfinite(level) && std::fabs(level) < 1e9;
}

/// Contour ticks where the blur crosses a whole number of CoCs, fanned away from the sharpest row,
/// and the label of the smallest blur.
void draw_contours(Canvas& canvas, TextMeasure& measure, const CalcState& s, const ScaleGeometry& g,
                   std::span<const double> blur)
{
    const Rect& scale = column(g, Column::Distance).scale;
    const int n = static_cast<int>(blur.size());
    const int strip = g.strip_left;
    const int line_x = g.distance_line_x;
    const int half = g.line_height / 2;
    const bool stack = s.mode == Mode::FocusStacking;

    canvas.line(strip, scale.top, strip, scale.bottom, colours::white);

    int minimum = 0;
    for (int j = 1; j < n; ++j)
        if (blur[j] > 0 && blur[j] < blur[minimum])
            minimum = j;
    const double ends = std::max(blur[0], blur[n - 1]);

    for (int j = 0; j + 1 < n; ++j) {
        const double below = std::floor(blur[j]);
        const double above = std::floor(blur[j + 1]);
        if (below == above || !is_whole_level(below) || !is_whole_level(above))
            continue;
        const int y = scale.bottom - 1 - j;
        if (stack && g.far_row <= y && y <= g.near_row)
            continue;  // between the first and the last image
        const int level = static_cast<int>(above) + (below > above ? 1 : 0);
        const int slant = j < minimum ? half : (j > minimum ? -half : 0);
        const Colour colour = blur_colour(blur[j]);
        canvas.line(line_x, y, line_x - 5, y, colour);
        canvas.line(strip, y, strip - 5, y + slant / 2, colour);
        const bool labelled = ends <= 16 || (ends <= 32 && level % 2 == 0) || (ends > 32 && level % 4 == 0);
        if (!labelled)
            continue;
        canvas.line(strip - 5, y + slant / 2, strip - 10, y + slant, colour);
        const Text256 label = format(u"%d", {level});
        const int width = measure.text_width(g.text_height, label.view());
        canvas.text(strip - width - 12, y + slant - half, label.view(), FontKind::Text, colour);
    }

    const Text256 label = plain_number(blur[minimum], 2);
    const int width = measure.text_width(g.text_height, label.view());
    const Colour colour = blur_colour(blur[minimum]);
    const auto minimum_label = [&](int y) {
        canvas.line(strip - 10, y, strip, y, colour);
        canvas.text(strip - width - 12, y - half, label.view(), FontKind::Text, colour);
    };
    if (stack) {
        minimum_label(g.far_row);
        minimum_label(g.near_row);
    } else {
        minimum_label(scale.bottom - 1 - minimum);
    }
}

}  // namespace

void paint_distance_column(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera,
                           ScaleGeometry& g, PaintScratch& scratch)
{
    fill_panel(canvas, g, Column::Distance);
    const ColumnGeometry& c = column(g, Column::Distance);
    const int n = c.scale.bottom - c.scale.top;
    if (n <= 0)
        return;

    const std::span<double> blur = scratch.row_blur(n);
    if (!blur.empty()) {
        compute_row_blur(blur, s, camera);
        const std::span<uint8_t> pixels = scratch.strip(n);
        if (!pixels.empty()) {
            render_blur_strip(blur, pixels);
            canvas.image(g.strip_left, c.scale.top, strip_width, n, pixels.data(), strip_stride);
        }
    }

    canvas.set_clip(c.column);
    const ScaleWindow w = distance_window(s);
    const ScaleMapping mapping = s.mode == Mode::Macro ? ScaleMapping::Linear : ScaleMapping::Reciprocal;
    draw_value_scale(canvas, g.line_height,
                     {g.distance_line_x, c.scale.top, c.scale.bottom, w.low, w.high, false, mapping});
    draw_distance_lines(canvas, s, g);
    if (!blur.empty())
        draw_contours(canvas, measure, s, g, blur);
    canvas.clear_clip();
}

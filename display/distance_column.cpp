#include "display/distance_column.h"

#include <algorithm>
#include <cmath>

#include "display/blur_colour.h"
#include "display/blur_strip.h"
#include "display/mapping.h"
#include "display/markers.h"
#include "display/panel.h"
#include "display/row_blur.h"
#include "display/stroke.h"
#include "display/value_scale.h"
#include "text/format.h"

namespace {

bool is_whole_level(double level)
{
    return std::isfinite(level) && std::fabs(level) < 1e9;
}

/// Where the blur between rows j and j + 1 crosses a whole number of CoCs: the level crossed,
/// counted from below when the blur rises and from above when it falls.
struct Crossing {
    bool crossed = false;
    int level = 0;
};

Crossing crossing(std::span<const double> blur, int j)
{
    const double below = std::floor(blur[j]);
    const double above = std::floor(blur[j + 1]);
    if (below == above || !is_whole_level(below) || !is_whole_level(above))
        return {};
    return {true, static_cast<int>(above) + (below > above ? 1 : 0)};
}

/// Contour labels: which levels are labelled follows the blur at the strip's ends, and a label is
/// left out where it would overlap a label already placed or the label of the smallest blur.
class ContourLabels {
public:
    ContourLabels(Canvas& canvas, TextMeasure& measure, const CalcState& s, const ScaleGeometry& g,
                  std::span<const double> blur, int minimum)
        : canvas_(canvas), measure_(measure), s_(s), g_(g), blur_(blur), minimum_(minimum),
          half_(g.line_height / 2), ends_(std::max(blur[0], blur[blur.size() - 1]))
    {
        const int bottom = column(g, Column::Distance).scale.bottom;
        if (s.mode == Mode::FocusStacking) {
            reserved_[reserved_count_++] = g.far_row;
            reserved_[reserved_count_++] = g.near_row;
        } else {
            reserved_[reserved_count_++] = bottom - 1 - minimum;
        }
    }

    /// Places the labels outwards from the sharpest row, upwards and then downwards, so that the
    /// levels nearest the sharpest row keep their labels and the crowded high levels give way.
    void draw()
    {
        const int n = static_cast<int>(blur_.size());
        placed_ = false;
        for (int j = minimum_; j + 1 < n; ++j)
            place(j);
        placed_ = false;
        for (int j = minimum_ - 1; j >= 0; --j)
            place(j);
    }

private:
    /// Whether labels centred on the two rows stand a whole line height apart.
    bool clear_of(int row, int other) const
    {
        return row - other >= g_.line_height || other - row >= g_.line_height;
    }

    void place(int j)
    {
        const Crossing c = crossing(blur_, j);
        if (!c.crossed)
            return;
        const int y = column(g_, Column::Distance).scale.bottom - 1 - j;
        if (s_.mode == Mode::FocusStacking && g_.far_row <= y && y <= g_.near_row)
            return;
        const bool labelled = ends_ <= 16 || (ends_ <= 32 && c.level % 2 == 0) || (ends_ > 32 && c.level % 4 == 0);
        if (!labelled)
            return;
        const int slant = j < minimum_ ? half_ : (j > minimum_ ? -half_ : 0);
        const int row = y + slant;  // the label's middle
        if (placed_ && !clear_of(row, last_row_))
            return;
        for (int i = 0; i < reserved_count_; ++i)
            if (!clear_of(row, reserved_[i]))
                return;
        placed_ = true;
        last_row_ = row;
        const int strip = g_.strip_left;
        const Colour colour = blur_colour(blur_[j]);
        draw_stroke(canvas_, strip - scaled(g_, 5), y + slant / 2, strip - scaled(g_, 10), y + slant, colour, line_width(g_));
        const Text256 label = format(u"%d", {c.level});
        const int width = measure_.text_width(g_.text_height, label.view());
        canvas_.text(strip - width - scaled(g_, 12), row - half_, label.view(), FontKind::Text, colour);
    }

    Canvas& canvas_;
    TextMeasure& measure_;
    const CalcState& s_;
    const ScaleGeometry& g_;
    std::span<const double> blur_;
    int minimum_;
    int half_;
    double ends_;
    int reserved_[2] = {};
    int reserved_count_ = 0;
    bool placed_ = false;
    int last_row_ = 0;
};

/// Contour ticks where the blur crosses a whole number of CoCs, fanned away from the sharpest row,
/// their labels, and the label of the smallest blur.
void draw_contours(Canvas& canvas, TextMeasure& measure, const CalcState& s, const ScaleGeometry& g,
                   std::span<const double> blur)
{
    const Rect& scale = column(g, Column::Distance).scale;
    const int n = static_cast<int>(blur.size());
    const int strip = g.strip_left;
    const int line_x = g.distance_line_x;
    const int half = g.line_height / 2;
    const bool stack = s.mode == Mode::FocusStacking;

    draw_stroke(canvas, strip, scale.top, strip, scale.bottom, colours::white, line_width(g));

    int minimum = 0;
    for (int j = 1; j < n; ++j)
        if (blur[j] > 0 && blur[j] < blur[minimum])
            minimum = j;

    for (int j = 0; j + 1 < n; ++j) {
        if (!crossing(blur, j).crossed)
            continue;
        const int y = scale.bottom - 1 - j;
        if (stack && g.far_row <= y && y <= g.near_row)
            continue;  // between the first and the last image
        const int slant = j < minimum ? half : (j > minimum ? -half : 0);
        const Colour colour = blur_colour(blur[j]);
        draw_stroke(canvas, line_x, y, line_x - scaled(g, 5), y, colour, line_width(g));
        draw_stroke(canvas, strip, y, strip - scaled(g, 5), y + slant / 2, colour, line_width(g));
    }
    ContourLabels(canvas, measure, s, g, blur, minimum).draw();

    const Text256 label = plain_number(blur[minimum], 2);
    const int width = measure.text_width(g.text_height, label.view());
    const Colour colour = blur_colour(blur[minimum]);
    const auto minimum_label = [&](int y, bool text) {
        draw_stroke(canvas, strip - scaled(g, 10), y, strip, y, colour, line_width(g));
        if (text)
            canvas.text(strip - width - scaled(g, 12), y - half, label.view(), FontKind::Text, colour);
    };
    if (stack) {
        // At both end images; when they lie closer than a label's height, one text serves both.
        minimum_label(g.far_row, true);
        minimum_label(g.near_row, g.near_row - g.far_row >= g.line_height || g.far_row - g.near_row >= g.line_height);
    } else {
        minimum_label(scale.bottom - 1 - minimum, true);
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
        const BlurStripShape shape = blur_strip_shape(g.strip_width, g.scale_quarters);
        const std::span<uint8_t> pixels = scratch.strip(n, shape.stride);
        if (!pixels.empty()) {
            render_blur_strip(blur, pixels, shape);
            canvas.image(g.strip_left, c.scale.top, shape.width, n, pixels.data(), shape.stride);
        }
    }

    canvas.set_clip(c.column);
    const ScaleWindow w = distance_window(s);
    const ScaleMapping mapping = s.mode == Mode::Macro ? ScaleMapping::Linear : ScaleMapping::Reciprocal;
    draw_value_scale(canvas, g.line_height,
                     {g.distance_line_x, c.scale.top, c.scale.bottom, w.low, w.high, false, mapping, g.scale_quarters});
    draw_distance_lines(canvas, s, g);
    if (!blur.empty())
        draw_contours(canvas, measure, s, g, blur);
    canvas.clear_clip();
}

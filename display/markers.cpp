#include "display/markers.h"

#include <algorithm>

#include "display/mapping.h"
#include "display/stroke.h"

namespace {

class DistanceLines {
public:
    DistanceLines(Canvas& canvas, const CalcState& s, const ScaleGeometry& g)
        : canvas_(canvas), s_(s), rect_(column(g, Column::Distance).scale), strip_left_(g.strip_left),
          line_x_(g.distance_line_x), length_(scaled(g, marker_length)), half_height_(scaled(g, marker_half_height)),
          width_(line_width(g))
    {
    }

    int row(double value_mm) const { return distance_row(s_, rect_, value_mm); }
    int row_in_mm(double value_mm) const
    {
        return fraction_to_y(recip_fraction(value_mm, s_.maxblur_near, s_.maxblur_far), rect_);
    }
    bool inside(int y) const { return rect_.top <= y && y <= rect_.bottom; }

    /// The line across the strip, and optionally the triangle pointing at the scale line; returns
    /// its row. A line with a triangle is one the user drags: beyond the scale it is drawn on the
    /// scale's edge, so that it can always be seen and taken hold of. Other lines beyond the scale
    /// are not drawn.
    int draw(int y, Colour colour, bool with_triangle) const
    {
        if (with_triangle)
            y = std::clamp(y, rect_.top, rect_.bottom);
        if (!inside(y))
            return y;
        draw_stroke(canvas_, strip_left_, y, line_x_, y, colour, width_);
        if (with_triangle)
            canvas_.triangle({line_x_ - length_, y - half_height_}, {line_x_ - length_, y + half_height_}, {line_x_, y},
                             colour, colour);
        return y;
    }

    const Rect& rect() const { return rect_; }

private:
    Canvas& canvas_;
    const CalcState& s_;
    Rect rect_;
    int strip_left_;
    int line_x_;
    int length_;
    int half_height_;
    int width_;
};

void depth_of_field_lines(const DistanceLines& lines, const CalcState& s, ScaleGeometry& g)
{
    const bool best = s.mode == Mode::BestFStop;
    if (s.hyperfocal > 0)
        lines.draw(lines.row(s.hyperfocal), colours::teal, false);
    g.near_row = lines.draw(lines.row(best ? s.near_limit : s.near), colours::red, best);
    g.far_row = lines.draw(lines.row(best ? s.far_limit : s.far), colours::red, best);
    g.focus_row = lines.draw(lines.row(best ? s.best_focus : s.focus_at), colours::green, !best);
}

void focus_stack_lines(const DistanceLines& lines, const CalcState& s, ScaleGeometry& g)
{
    const int images = std::clamp(s.ni, 2, max_focus_points);
    for (int i = 0; i < images; ++i) {
        const bool end = i == 0 || i == images - 1;
        const double distance = recip_value(static_cast<double>(i) / (images - 1), s.near_limit, s.far_limit);
        const int y = lines.draw(lines.row_in_mm(distance), end ? colours::red : colours::white, end);
        if (i == 0)
            g.near_row = y;
        if (i == images - 1)
            g.far_row = y;
    }
}

void blur_lines(const DistanceLines& lines, const CalcState& s, ScaleGeometry& g)
{
    g.near_row = lines.draw(lines.row(s.blur_distance), colours::red, true);
    g.focus_row = lines.draw(lines.row(s.focus_at), colours::green, true);
}

void macro_lines(const DistanceLines& lines, const CalcState& s, ScaleGeometry& g)
{
    // The depth of field either side of the plane of focus, in the scale's white.
    lines.draw(lines.row(-s.macro_depth / 2), colours::white, false);
    lines.draw(lines.row(s.macro_depth / 2), colours::white, false);
    g.focus_row = lines.draw(fraction_to_y(0.5, lines.rect()), colours::green, false);
}

}  // namespace

void draw_marker(Canvas& canvas, int left, int y, Colour colour, int scale_quarters)
{
    const int half = scale_pixels(marker_half_height, scale_quarters);
    canvas.triangle({left, y - half}, {left, y + half}, {left + scale_pixels(marker_length, scale_quarters), y}, colour,
                    colour);
}

void draw_distance_lines(Canvas& canvas, const CalcState& s, ScaleGeometry& g)
{
    const DistanceLines lines(canvas, s, g);
    switch (s.mode) {
    case Mode::DepthOfField:
    case Mode::BestFStop: depth_of_field_lines(lines, s, g); break;
    case Mode::FocusStacking: focus_stack_lines(lines, s, g); break;
    case Mode::Blur: blur_lines(lines, s, g); break;
    case Mode::Macro: macro_lines(lines, s, g); break;
    }
}

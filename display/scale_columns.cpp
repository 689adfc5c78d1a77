#include "display/scale_columns.h"

#include <array>

#include "calc/recompute.h"
#include "calc/snap.h"
#include "display/blur_colour.h"
#include "display/mapping.h"
#include "display/markers.h"
#include "display/panel.h"
#include "display/stroke.h"
#include "display/value_scale.h"
#include "text/format.h"

namespace {

constexpr std::array<std::u16string_view, 16> aperture_labels{
    u"0.7", u"1", u"1.4", u"2", u"2.8", u"4", u"5.6", u"8", u"11", u"16", u"22", u"32", u"45", u"64", u"90", u"128",
};

/// The scale rectangle grown so that what is drawn for the end values stays whole: above and
/// below by a marker's length, or by the part of a label's height that reaches past its tick
/// when that is more; and to the right as far as the column's own edge, for the widest labels.
Rect scale_clip(const ColumnGeometry& c, const ScaleGeometry& g)
{
    const int label_reach = g.line_height - g.line_height / 2;
    const int marker = scaled(g, marker_length);
    const int reach = label_reach > marker ? label_reach : marker;
    return {c.scale.left, c.scale.top - reach, c.column.right, c.scale.bottom + reach};
}

/// How many whole stops apart the aperture labels stand: every stop when a line height fits
/// between neighbours, otherwise every second (or fourth ...) stop, so that no two labels overlap.
int aperture_label_stride(const Rect& scale, int line_height)
{
    const int height = scale.bottom - scale.top;
    int stride = 1;
    // Neighbouring labels k and k + stride lie at least floor(height * stride / 15) rows apart.
    while (stride < 15 && height * stride / 15 < line_height)
        stride *= 2;
    return stride;
}

bool has_rows(const Rect& scale)
{
    return scale.bottom > scale.top;
}

}  // namespace

void paint_lens_column(Canvas& canvas, const CalcState& s, const ScaleGeometry& g)
{
    fill_panel(canvas, g, Column::Lens);
    const Rect& scale = column(g, Column::Lens).scale;
    if (!has_rows(scale))
        return;
    canvas.set_clip(scale_clip(column(g, Column::Lens), g));
    const ScaleWindow w = lens_window(s);
    draw_value_scale(canvas, g.line_height,
                     {scale.left + scaled(g, 8), scale.top, scale.bottom, w.low, w.high, false,
                      ScaleMapping::Reciprocal, g.scale_quarters});
    const double value = s.mode == Mode::Macro ? s.fov : s.focal_length;
    draw_marker(canvas, scale.left, lens_row(s, scale, value), colours::red, g.scale_quarters);
    canvas.clear_clip();
}

void paint_aperture_column(Canvas& canvas, const CalcState& s, const Camera& camera, const ScaleGeometry& g)
{
    fill_panel(canvas, g, Column::Aperture);
    const Rect& scale = column(g, Column::Aperture).scale;
    if (!has_rows(scale))
        return;
    const int left = scale.left;
    const int half = g.line_height / 2;
    const int line_x = left + scaled(g, 8);
    draw_stroke(canvas, line_x, scale.top, line_x, scale.bottom, colours::white, line_width(g));

    // Labels fall on whole stops: every 2nd half stop or every 3rd third stop (and on fewer stops
    // when the scale is too short for all sixteen).
    const std::span<const double> table = f_stop_table(s.f_stop_increment);
    const int count = static_cast<int>(table.size());
    const int interval = s.f_stop_increment == FStopIncrement::ThirdStop ? 3 : 2;
    const int stride = aperture_label_stride(scale, g.line_height);
    // Each stop is coloured by its Airy disk at the f-number the sensor sees in this shot.
    const double to_disk = sensor_f_number_factor(s) / airy_factor(camera) / camera.coc;
    for (int i = 0; i < count; ++i) {
        const int y = aperture_tick_row(i, count, scale);
        const Colour colour = blur_colour(table[i] * to_disk);
        if (i % interval == 0) {
            draw_stroke(canvas, line_x, y, left + scaled(g, 18), y, colour, line_width(g));
            if ((i / interval) % stride == 0) {
                const Text256 label = with_decimal_point(aperture_labels[i / interval]);
                canvas.text(left + scaled(g, 22), y - half, label.view(), FontKind::Text, colour);
            }
        } else {
            draw_stroke(canvas, line_x, y, left + scaled(g, 13), y, colour, line_width(g));
        }
    }

    const bool computed = s.mode == Mode::BestFStop || s.mode == Mode::FocusStacking;
    const double value = computed ? s.optimum_f_stop : s.f_stop;
    draw_marker(canvas, left, aperture_row(s, scale, value), computed ? colours::white : colours::red, g.scale_quarters);
}

void paint_blur_column(Canvas& canvas, const CalcState& s, const ScaleGeometry& g)
{
    fill_panel(canvas, g, Column::Blur);
    const Rect& scale = column(g, Column::Blur).scale;
    if (!has_rows(scale))
        return;
    canvas.set_clip(scale_clip(column(g, Column::Blur), g));
    const ScaleWindow w = blur_window(s);
    draw_value_scale(canvas, g.line_height,
                     {scale.left + scaled(g, 10), scale.top, scale.bottom, w.low, w.high, true,
                      ScaleMapping::Reciprocal, g.scale_quarters});

    double value = s.optimum_blur;
    Colour colour = colours::white;
    if (s.mode == Mode::DepthOfField || s.mode == Mode::Macro) {
        value = s.blur_threshold;
        colour = colours::red;
    } else if (s.mode == Mode::Blur) {
        value = s.blur;
    }
    draw_marker(canvas, scale.left, blur_row(s, scale, value), colour, g.scale_quarters);
    canvas.clear_clip();
}

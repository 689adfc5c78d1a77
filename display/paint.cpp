#include "display/paint.h"

#include "display/captions.h"
#include "display/details_panel.h"
#include "display/distance_column.h"
#include "display/panel.h"
#include "display/scale_columns.h"

namespace {

void fill_grey(Canvas& canvas, const Rect& r)
{
    if (!is_empty(r))
        canvas.fill_rect(r, colours::dark_grey, colours::dark_grey);
}

}  // namespace

void fill_background(Canvas& canvas, const ScaleGeometry& g)
{
    const int width = g.client_width;
    const int top = g.panel_top;
    const int bottom = column(g, Column::Lens).column.bottom;
    fill_grey(canvas, {0, 0, width, top});
    fill_grey(canvas, {0, bottom, width, g.client_height});
    int left = 0;
    for (int i = 0; i < column_count; ++i) {
        const Rect panel = panel_rect(g, static_cast<Column>(i));
        fill_grey(canvas, {left, top, panel.left, bottom});
        left = panel.right;
    }
    fill_grey(canvas, {left, top, width, bottom});
}

void paint(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera, ScaleGeometry& g,
           PaintScratch& scratch)
{
    fill_background(canvas, g);
    paint_lens_column(canvas, s, g);
    paint_aperture_column(canvas, s, camera, g);
    paint_distance_column(canvas, measure, s, camera, g, scratch);
    paint_blur_column(canvas, s, g);
    panel_text(s, camera, scratch.panel);
    draw_details(canvas, scratch.panel, g);
    caption_texts(s, scratch.captions);
    draw_captions(canvas, scratch.captions, g);
}

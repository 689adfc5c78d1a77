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

void draw_focus_cue(Canvas& canvas, const ScaleGeometry& g, ScaleValue focus)
{
    constexpr Colour light{192, 192, 192};
    Column c = Column::Distance;
    int row = 0;
    switch (focus) {
    case ScaleValue::None: return;
    case ScaleValue::Lens: c = Column::Lens; break;
    case ScaleValue::Aperture: c = Column::Aperture; break;
    case ScaleValue::BlurThreshold: c = Column::Blur; break;
    case ScaleValue::Details: c = Column::Details; break;
    case ScaleValue::Focus: row = g.focus_row; break;
    case ScaleValue::NearLimit:
    case ScaleValue::Object: row = g.near_row; break;
    case ScaleValue::FarLimit: row = g.far_row; break;
    }
    const Rect p = panel_rect(g, c);
    if (is_empty(p))
        return;
    const int away = scaled(g, 2);
    const Rect o{p.left - away, p.top - away, p.right + away, p.bottom + away};
    const auto bar = [&](Rect r) { canvas.fill_rect(r, light, light); };
    bar({o.left, o.top, o.right, o.top + 1});
    bar({o.left, o.bottom - 1, o.right, o.bottom});
    bar({o.left, o.top, o.left + 1, o.bottom});
    bar({o.right - 1, o.top, o.right, o.bottom});
    if (c == Column::Distance && row > p.top && row < p.bottom - 1) {
        const int reach = g.u > 2 ? g.u : 2;
        bar({p.left - reach, row - 1, p.left, row + 2});
        bar({p.right, row - 1, p.right + reach, row + 2});
    }
}

void paint(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera, ScaleGeometry& g,
           PaintScratch& scratch, ScaleValue focus)
{
    fill_background(canvas, g);
    paint_lens_column(canvas, s, g);
    paint_aperture_column(canvas, s, camera, g);
    paint_distance_column(canvas, measure, s, camera, g, scratch);
    paint_blur_column(canvas, s, g);
    panel_text(s, camera, scratch.panel);
    draw_details(canvas, measure, scratch.panel, g);
    caption_texts(s, scratch.captions);
    draw_captions(canvas, measure, scratch.captions, g);
    draw_focus_cue(canvas, g, focus);
}

#include "display/paint.h"

#include <algorithm>
#include <array>

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
    // Band by band down the client, between neighbouring panel edges: the panels that span a band
    // stand left to right in it, and the gaps beside them are filled.
    std::array<int, 2 * column_count + 2> ys{};
    std::size_t n = 0;
    ys[n++] = 0;
    ys[n++] = g.client_height;
    for (int i = 0; i < column_count; ++i) {
        const Rect p = panel_rect(g, static_cast<Column>(i));
        if (!is_empty(p)) {
            ys[n++] = p.top;
            ys[n++] = p.bottom;
        }
    }
    std::sort(ys.begin(), ys.begin() + static_cast<std::ptrdiff_t>(n));
    for (std::size_t b = 0; b + 1 < n; ++b) {
        const int top = std::max(ys[b], 0);
        const int bottom = std::min(ys[b + 1], g.client_height);
        if (bottom <= top)
            continue;
        int left = 0;
        for (int i = 0; i < column_count; ++i) {
            const Rect panel = panel_rect(g, static_cast<Column>(i));
            if (is_empty(panel) || panel.top > top || panel.bottom < bottom)
                continue;
            fill_grey(canvas, {left, top, panel.left, bottom});
            left = panel.right;
        }
        fill_grey(canvas, {left, top, g.client_width, bottom});
    }
}

void draw_focus_cue(Canvas& canvas, const ScaleGeometry& g, ScaleValue focus)
{
    // A ring as clear as a focused button's: yellow, two design pixels wide, around the panel.
    constexpr Colour ring = focus_cue_colour;
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
    const int width = away;
    const Rect o{p.left - away, p.top - away, p.right + away, p.bottom + away};
    const auto bar = [&](Rect r) { canvas.fill_rect(r, ring, ring); };
    bar({o.left, o.top, o.right, o.top + width});
    bar({o.left, o.bottom - width, o.right, o.bottom});
    bar({o.left, o.top, o.left + width, o.bottom});
    bar({o.right - width, o.top, o.right, o.bottom});
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

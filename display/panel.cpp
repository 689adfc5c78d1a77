#include "display/panel.h"

Rect panel_rect(const ScaleGeometry& g, Column c) { return column(g, c).panel; }

void fill_panel(Canvas& canvas, const ScaleGeometry& g, Column c)
{
    const Rect r = panel_rect(g, c);
    if (!is_empty(r))
        canvas.fill_rect(r, colours::black, colours::black);
}

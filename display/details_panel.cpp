#include "display/details_panel.h"

#include "display/panel.h"

void draw_details(Canvas& canvas, const PanelText& text, const ScaleGeometry& g)
{
    fill_panel(canvas, g, Column::Details);
    const ColumnGeometry& c = column(g, Column::Details);
    const int left = c.column.left + 2 * g.u;
    const int right = c.scale.right - 2 * g.u;
    int y = c.column.top;
    for (int i = 0; i < text.count && y < g.client_height; ++i) {
        const PanelLine& line = text.lines[static_cast<std::size_t>(i)];
        switch (line.slot) {
        case PanelSlot::Line:
            canvas.text_in_rect({left, y, right, y + g.line_height}, line.text.view(), TextAlign::Left, colours::white,
                                g.text_height);
            y += g.line_height;
            break;
        case PanelSlot::Hidden: y += g.line_height; break;
        case PanelSlot::Gap: y += g.u; break;
        }
    }
}

#include "display/geometry.h"

namespace {

/// Column rectangles are laid out left to right, each `u` after the previous one.
Rect next_column(const Rect& previous, int u, int width_after_gap, int top, int bottom)
{
    return {previous.right + u, top, previous.right + width_after_gap, bottom};
}

}  // namespace

void layout_scales(ScaleGeometry& g, TextMeasure& measure, int text_height, int client_width, int client_height)
{
    g.text_height = text_height;
    g.client_width = client_width;
    g.client_height = client_height;

    const int line_height = measure.line_height(text_height);
    const int u = line_height / 3;
    g.line_height = line_height;
    g.u = u;
    g.toolbar_row_top = u + 34;
    g.panel_top = g.toolbar_row_top - 4;
    g.name_line_top = 2 * u + 58;
    g.value_line_top = g.name_line_top + line_height;
    g.column_top = g.name_line_top + 2 * line_height;

    g.w4 = measure.text_width(text_height, u"9999");
    g.w5 = measure.text_width(text_height, u"99.99");
    g.w8 = measure.text_width(text_height, u"99999.99");
    g.w25 = measure.text_width(text_height, u"XXXXXXXXXXXXXXXXXXXXXXXXX");

    const int top = g.column_top;
    const int bottom = client_height - u;
    const Rect lens{u, top, 6 * u + g.w4 + 20, bottom};
    const Rect aperture = next_column(lens, u, 5 * u + g.w4 + 20, top, bottom);
    const Rect distance = next_column(aperture, u, 5 * u + g.w8 + g.w5 + 89, top, bottom);
    const Rect blur = next_column(distance, u, 5 * u + g.w4 + 20, top, bottom);
    const Rect details = next_column(blur, u, 5 * u + g.w25, top, bottom);
    const std::array<Rect, column_count> outer{lens, aperture, distance, blur, details};

    for (int i = 0; i < column_count; ++i) {
        ColumnGeometry& c = g.columns[i];
        c.column = outer[i];
        const int right_margin = i == static_cast<int>(Column::Lens) ? u : 2 * u;
        c.scale = {outer[i].left + 2 * u, top + 4 * u, outer[i].right - right_margin, bottom - 4 * u};
        // The lens and aperture captions span the whole column; the others are inset by a margin.
        const int inset = i <= static_cast<int>(Column::Aperture) ? 0 : u;
        c.name = {outer[i].left + inset, g.name_line_top, outer[i].right - inset, g.value_line_top};
        c.value = {outer[i].left + inset, g.value_line_top, outer[i].right - inset, top};
    }

    g.strip_left = column(g, Column::Distance).scale.left + g.w5 + 12;
    g.distance_line_x = g.strip_left + strip_width;
}

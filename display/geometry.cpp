#include "display/geometry.h"

namespace {

/// Column rectangles are laid out left to right, each `u` after the previous one.
Rect next_column(const Rect& previous, int u, int width_after_gap, int top, int bottom)
{
    return {previous.right + u, top, previous.right + width_after_gap, bottom};
}

/// Whole stops on the aperture scale, f/0.7 to f/128: 16 labels, 15 intervals.
constexpr int aperture_label_intervals = 15;
/// The details panel's tallest fixed content, the depth-of-field lines: 10 lines and 3 gaps.
constexpr int details_lines = 10;
constexpr int details_gaps = 3;

}  // namespace

void layout_scales(ScaleGeometry& g, TextMeasure& measure, int text_height, int client_width, int client_height,
                   int dpi)
{
    g.text_height = text_height;
    g.client_width = client_width;
    g.client_height = client_height;
    g.dpi = dpi > 0 ? dpi : design_dpi;
    g.scale_halves = layout_scale_halves(text_height, g.dpi);
    g.smallest_text = readable_text_height(g.dpi);
    g.toolbar_button = scaled(g, 24);
    g.toolbar_pitch = scaled(g, 27);
    g.toolbar_border = scaled(g, 1);

    const int line_height = measure.line_height(text_height);
    const int u = line_height / 3;
    g.line_height = line_height;
    g.u = u;
    // The first row of toolbars at y = u, a small gap, then the row of toolbars over the columns,
    // which starts just inside the panels' tops; the caption lines follow a margin below its buttons.
    g.toolbar_row_top = u + toolbar_height(g, 1) + scaled(g, 5);
    g.panel_top = g.toolbar_row_top - scaled(g, 4);
    g.name_line_top = g.toolbar_row_top + g.toolbar_button + u;
    g.value_line_top = g.name_line_top + line_height;
    g.column_top = g.name_line_top + 2 * line_height;

    g.w4 = measure.text_width(text_height, u"9999");
    g.w5 = measure.text_width(text_height, u"99.99");
    g.w8 = measure.text_width(text_height, u"99999.99");
    g.w25 = measure.text_width(text_height, u"XXXXXXXXXXXXXXXXXXXXXXXXX");
    g.strip_width = 2 * scaled(g, design_strip_width / 2) + 1;

    // Room for the labels: beside the lens, aperture and blur scale lines, and on both sides of the
    // distance column's strip (the contour labels before it, the scale's labels after its line).
    const int labels = scaled(g, 20);
    const int gap = scaled(g, 12);
    const int top = g.column_top;
    const int bottom = client_height - u;
    const Rect lens{u, top, 6 * u + g.w4 + labels, bottom};
    const Rect aperture = next_column(lens, u, 5 * u + g.w4 + labels, top, bottom);
    const Rect distance = next_column(aperture, u, 5 * u + g.w8 + g.w5 + gap + g.strip_width + gap, top, bottom);
    const Rect blur = next_column(distance, u, 5 * u + g.w4 + labels, top, bottom);
    Rect details = next_column(blur, u, 5 * u + g.w25, top, bottom);
    g.needed_width = details.right + u;
    // A wider client gives the rest of its width to the details column, whose lines can use it.
    if (client_width - u > details.right)
        details.right = client_width - u;
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

    g.strip_left = column(g, Column::Distance).scale.left + g.w5 + gap;
    g.distance_line_x = g.strip_left + g.strip_width;

    // Below the column top: the scale's margins and one line height between neighbouring aperture
    // labels; or the details lines and the column's bottom margin.
    const int for_apertures = top + 9 * u + aperture_label_intervals * line_height;
    const int for_details = top + details_lines * line_height + details_gaps * u + u;
    g.needed_height = for_apertures > for_details ? for_apertures : for_details;
}

#include "display/geometry.h"

#include <algorithm>

#include "text/panel_text.h"

namespace {

/// Column rectangles are laid out left to right, each `u` after the previous one.
Rect next_column(const Rect& previous, int u, int width_after_gap, int top, int bottom)
{
    return {previous.right + u, top, previous.right + width_after_gap, bottom};
}

/// Whole stops on the aperture scale, f/0.7 to f/128: 16 labels, 15 intervals.
constexpr int aperture_label_intervals = 15;

/// Whether a panel of `shape` flows into `columns` columns of lines `height` high, as the details
/// panel flows them: top to bottom, on in the next column, a gap never starting one.
bool flows_into(const PanelShape& shape, int columns, int height, int line, int gap)
{
    int c = 0;
    int y = 0;
    for (int i = 0; i < shape.count; ++i) {
        if (shape.slots[static_cast<std::size_t>(i)] == PanelSlot::Gap) {
            if (y > 0)
                y += gap;
            continue;
        }
        if (y + line > height) {
            if (++c >= columns)
                return false;
            y = 0;
        }
        y += line;
    }
    return true;
}

/// The least height in which a panel of `shape` flows into `columns` columns of lines: a taller
/// panel holds whatever a lower one does, so the least is found by halving.
int flowed_height(const PanelShape& shape, int columns, int line, int gap)
{
    int one_column = 0;
    for (int i = 0; i < shape.count; ++i)
        one_column += shape.slots[static_cast<std::size_t>(i)] == PanelSlot::Gap ? gap : line;
    int low = line;
    int high = std::max(line, one_column);
    while (columns > 1 && low < high) {
        const int middle = low + (high - low) / 2;
        if (flows_into(shape, columns, middle, line, gap))
            high = middle;
        else
            low = middle + 1;
    }
    return high;
}

/// The height the fullest panel of any mode takes in `columns` columns of lines.
int details_height(int columns, int line, int gap)
{
    int height = 0;
    for (const Mode mode : {Mode::DepthOfField, Mode::BestFStop, Mode::FocusStacking, Mode::Blur, Mode::Macro})
        height = std::max(height, flowed_height(fullest_panel(mode), columns, line, gap));
    return height;
}

/// The rows below the column top that the scales need: their margins and the aperture labels'
/// room (a line height between whole stops, or between every second one).
int scale_rows(const ScaleGeometry& g)
{
    const int labels = phone_look(g.style) ? (aperture_label_intervals * g.line_height + 1) / 2
                                           : aperture_label_intervals * g.line_height;
    return 8 * g.u + labels;
}

/// The columns side by side: the Windows program's layout, its details column to the right.
void side_by_side(ScaleGeometry& g, int client_width, int client_height)
{
    const int u = g.u;
    const int line_height = g.line_height;
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
        c.panel = {outer[i].left, g.panel_top, outer[i].right, outer[i].bottom};
        const int right_margin = i == static_cast<int>(Column::Lens) ? u : 2 * u;
        c.scale = {outer[i].left + 2 * u, top + 4 * u, outer[i].right - right_margin, bottom - 4 * u};
        // The lens and aperture captions span the whole column; the others are inset by a margin.
        const int inset = i <= static_cast<int>(Column::Aperture) ? 0 : u;
        c.name = {outer[i].left + inset, g.name_line_top, outer[i].right - inset, g.value_line_top};
        c.value = {outer[i].left + inset, g.value_line_top, outer[i].right - inset, top};
    }

    g.strip_left = column(g, Column::Distance).scale.left + g.w5 + gap;
    g.distance_line_x = g.strip_left + g.strip_width;

    // Below the column top: the scales' margins and labels; or the details lines and the column's
    // bottom margin.
    const int for_scales = top + scale_rows(g) + u;
    const int for_details = top + details_height(1, line_height, u) + u;
    g.needed_height = std::max(for_scales, for_details);
}

/// A narrow tall client: the four scales across its width, the details panel below them. The
/// distance column holds its three caption texts (near, focus, far) at the smallest line height
/// `caption_room` wide, with their gaps.
void portrait(ScaleGeometry& g, int client_width, int client_height, int caption_room)
{
    const int u = g.u;
    // The client's margin and the gap between panels (room for the focus cue); the margin inside
    // a panel beside what it holds.
    const int edge = std::max(scaled(g, 3), u / 2);
    const int pad = std::max(scaled(g, 2), u / 3);
    const int gap = scaled(g, 12);
    // The lens scale's labels reach five digits (10000 mm).
    int widths[4] = {
        2 * pad + scaled(g, 20) + g.w4 + g.w4 / 4,
        2 * pad + scaled(g, 22) + g.w4,
        2 * pad + g.w5 + gap + gap + g.w8,
        2 * pad + scaled(g, 22) + g.w4,
    };
    const int least_strip = 2 * scaled(g, design_strip_width / 8) + 1;
    widths[2] = std::max(widths[2], 2 * pad + caption_room + 2 * u - least_strip);
    int across = 5 * edge + least_strip;
    for (const int w : widths)
        across += w;
    g.needed_width = across;
    // A wider client widens the strip up to its design width, then the four columns alike, so
    // that the scales span the client as the details panel below them does.
    int extra = std::max(0, client_width - across);
    const int strip_grows = std::min(extra, g.strip_width - least_strip) / 2 * 2;
    g.strip_width = least_strip + strip_grows;
    extra -= strip_grows;
    const int right = std::max(client_width, across) - edge;

    // The details panel: a margin, its name line, and the lines of the fullest panel of any mode in
    // as many columns of lines as its width holds at the layout's own line width.
    const int line = g.line_height;
    const int area = right - edge - 6 * u;
    const int natural = std::max(1, g.w25 - 2 * u);
    const int columns = std::max(1, (area + 2 * u) / (natural + 2 * u));
    const int panel_height = u + line + details_height(columns, line, u);
    const int details_top = client_height - edge - panel_height;
    const int top = g.column_top;
    const int bottom = details_top - edge;
    g.needed_height = top + scale_rows(g) + edge + panel_height + edge;

    int left = edge;
    for (int i = 0; i < 4; ++i) {
        ColumnGeometry& c = g.columns[i];
        const int width = widths[i] + (i == 2 ? g.strip_width : 0) + extra / 4 + (i == 3 ? extra % 4 : 0);
        c.column = {left, top, left + width, bottom};
        c.panel = {left, g.panel_top, left + width, bottom};
        c.scale = {left + pad, top + 4 * u, left + width - pad, bottom - 4 * u};
        const int inset = i <= static_cast<int>(Column::Aperture) ? 0 : pad;
        c.name = {left + inset, g.name_line_top, left + width - inset, g.value_line_top};
        c.value = {left + inset, g.value_line_top, left + width - inset, top};
        left += width + edge;
    }
    ColumnGeometry& d = column(g, Column::Details);
    const int lines_top = details_top + u + line;
    const int panel_bottom = client_height - edge;
    d.panel = {edge, details_top, right, panel_bottom};
    d.column = {edge, lines_top, right, panel_bottom};
    d.scale = {edge + 2 * u, lines_top + 4 * u, right - 2 * u, panel_bottom - 4 * u};
    d.name = {edge + u, details_top + u, right - u, lines_top};
    d.value = {edge + u, lines_top, right - u, lines_top};

    g.strip_left = column(g, Column::Distance).scale.left + g.w5 + gap;
    g.distance_line_x = g.strip_left + g.strip_width;
}

}  // namespace

void layout_scales(ScaleGeometry& g, TextMeasure& measure, int text_height, int client_width, int client_height,
                   int dpi, const LayoutStyle& style)
{
    g.text_height = text_height;
    g.style = style;
    g.style.toolbar_rows = std::max(1, style.toolbar_rows);
    g.client_width = client_width;
    g.client_height = client_height;
    g.dpi = dpi > 0 ? dpi : design_dpi;
    g.scale_quarters = layout_scale_quarters(text_height, g.dpi);
    g.smallest_text = smallest_line_text_height(g.dpi);
    g.toolbar_button = scaled(g, 24);
    g.toolbar_pitch = std::max(scaled(g, 27), style.least_pitch);
    g.toolbar_border = scaled(g, 1);

    const int line_height = measure.line_height(text_height);
    const int u = line_height / 3;
    g.line_height = line_height;
    g.u = u;
    // The first row of toolbars at y = u (in as many rows as the style says, a small gap apart), a
    // small gap, then the row of toolbars over the columns, which starts just inside the panels'
    // tops; the caption lines follow a margin below its buttons' pictures in the Windows
    // program's layout, below the toolbars themselves in the page's, and never where a toolbar
    // window would cover the tops of their letters.
    const int toolbar = toolbar_height(g, 1);
    const int rows = g.style.toolbar_rows;
    g.toolbar_row_top = u + rows * toolbar + rows * scaled(g, 5);
    g.panel_top = g.toolbar_row_top - scaled(g, 4);
    g.name_line_top = g.toolbar_row_top + (windows_look(g.style) ? std::max(g.toolbar_button + u, toolbar)
                                                                  : toolbar + u);
    g.value_line_top = g.name_line_top + line_height;
    g.column_top = g.name_line_top + 2 * line_height;

    g.w4 = measure.text_width(text_height, u"9999");
    g.w5 = measure.text_width(text_height, u"99.99");
    g.w8 = measure.text_width(text_height, u"99999.99");
    g.w25 = measure.text_width(text_height, u"XXXXXXXXXXXXXXXXXXXXXXXXX");
    g.strip_width = 2 * scaled(g, design_strip_width / 2) + 1;

    if (g.style.portrait)
        portrait(g, client_width, client_height, 3 * measure.text_width(g.smallest_text, u">9999 mm"));
    else
        side_by_side(g, client_width, client_height);
}

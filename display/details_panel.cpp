#include "display/details_panel.h"

#include <algorithm>

#include "display/panel.h"

namespace {

/// The room the lines share: from the column's left edge + 2u to its inner rectangle's right
/// edge - 2u, from the column's top to its bottom; and the layout's own text column width.
struct LineArea {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int natural = 1;
    int gap = 0;
};

LineArea line_area(const ScaleGeometry& g)
{
    const ColumnGeometry& c = column(g, Column::Details);
    LineArea a;
    a.left = c.column.left + 2 * g.u;
    a.right = c.scale.right - 2 * g.u;
    a.top = c.column.top;
    a.bottom = c.column.bottom;
    a.natural = std::max(1, g.w25 - 2 * g.u);
    a.gap = 2 * g.u;
    return a;
}

bool is_row(PanelSlot slot) { return slot != PanelSlot::Gap; }

PanelSlot slot_of(const PanelText& text, int i) { return text.lines[static_cast<std::size_t>(i)].slot; }

/// Places the slots from row `first` on (a row is a shown or hidden line) in `columns` columns, top
/// to bottom and then on in the next column, a gap never starting a column; the rows before `first`
/// and those that find no room get no rectangle. Returns how many rows found room.
int flow(const PanelText& text, const ScaleGeometry& g, const LineArea& a, int columns, int first,
         DetailsPlacement& out)
{
    const int width = (a.right - a.left - (columns - 1) * a.gap) / columns;
    int c = 0;
    int y = a.top;
    int row = 0;
    int placed = 0;
    bool full = a.top + g.line_height > a.bottom;
    for (int i = 0; i < text.count; ++i) {
        Rect& at = out.at[static_cast<std::size_t>(i)];
        at = {};
        const PanelSlot slot = slot_of(text, i);
        if (slot == PanelSlot::Gap) {
            if (y != a.top)
                y += g.u;
            continue;
        }
        if (row++ < first || full)
            continue;
        if (y + g.line_height > a.bottom) {
            if (++c >= columns) {
                full = true;
                continue;
            }
            y = a.top;
        }
        const int left = a.left + c * (width + a.gap);
        if (slot == PanelSlot::Line)
            at = {left, y, left + width, y + g.line_height};
        y += g.line_height;
        ++placed;
    }
    return placed;
}

void draw_scroll_bar(Canvas& canvas, const DetailsScroll& s)
{
    constexpr Colour track{64, 64, 64};
    constexpr Colour thumb{192, 192, 192};
    const Rect& bar = s.bar;
    canvas.fill_rect(bar, track, track);
    const int height = bar.bottom - bar.top;
    const int top = bar.top + static_cast<int>(static_cast<long long>(height) * s.first / s.rows);
    int bottom = bar.top + static_cast<int>(static_cast<long long>(height) * (s.first + s.shown) / s.rows);
    const int least = bar.right - bar.left;
    if (bottom - top < least)
        bottom = std::min(bar.bottom, top + least);
    canvas.fill_rect({bar.left, top, bar.right, bottom}, thumb, thumb);
}

}  // namespace

void place_details(const PanelText& text, const ScaleGeometry& g, int first, DetailsPlacement& out)
{
    const LineArea a = line_area(g);
    int rows = 0;
    for (int i = 0; i < text.count; ++i)
        rows += is_row(slot_of(text, i)) ? 1 : 0;
    out.scroll = DetailsScroll{};
    out.scroll.rows = rows;
    const int most = std::max(1, (a.right - a.left + a.gap) / (a.natural + a.gap));
    for (int columns = 1; columns <= most; ++columns) {
        if (flow(text, g, a, columns, 0, out) == rows) {
            out.columns = columns;
            out.scroll.shown = rows;
            return;
        }
    }
    // As many columns as the width holds, and the rows from `first` on in them: only what is left
    // scrolls. The last first row is the one from which the remaining rows just fill the columns.
    DetailsScroll& s = out.scroll;
    out.columns = most;
    s.last_first = rows - 1;
    while (s.last_first > 0 && flow(text, g, a, most, s.last_first - 1, out) == rows - s.last_first + 1)
        --s.last_first;
    s.first = std::clamp(first, 0, s.last_first);
    s.shown = flow(text, g, a, most, s.first, out);
    // Beside the lines, a margin inside the panel's right and bottom edges.
    const Rect& c = column(g, Column::Details).column;
    s.bar = {c.right - 3 * g.u, a.top, c.right - 2 * g.u, a.bottom - g.u};
}

int details_line_height(TextMeasure& measure, std::u16string_view line, int width, const ScaleGeometry& g)
{
    const int full = g.text_height > 0 ? g.text_height : g.line_height;
    const int wide = measure.text_width(g.text_height, line);
    if (wide <= width || full <= g.smallest_text)
        return g.text_height;
    // Widths grow about in proportion to the height: start one above that estimate and go down.
    int height = full - 1;
    if (width > 0) {
        const long long estimate = static_cast<long long>(full) * width / wide + 1;
        if (estimate < height)
            height = static_cast<int>(estimate);
    }
    for (; height > g.smallest_text; --height)
        if (measure.text_width(height, line) <= width)
            return height;
    return g.smallest_text;
}

void draw_details(Canvas& canvas, TextMeasure& measure, const PanelText& text, ScaleGeometry& g)
{
    fill_panel(canvas, g, Column::Details);
    DetailsPlacement placement;
    place_details(text, g, g.details.first, placement);
    g.details = placement.scroll;
    for (int i = 0; i < text.count; ++i) {
        const Rect& at = placement.at[static_cast<std::size_t>(i)];
        const PanelLine& line = text.lines[static_cast<std::size_t>(i)];
        if (line.slot != PanelSlot::Line || is_empty(at))
            continue;
        const int height = details_line_height(measure, line.text.view(), at.right - at.left, g);
        Rect r = at;
        if (height != g.text_height)
            r.top += (g.line_height - height) / 2;  // in the middle of its row (a height is a cell height)
        canvas.text_in_rect(r, line.text.view(), TextAlign::Left, colours::white, height);
    }
    if (g.details.last_first > 0)
        draw_scroll_bar(canvas, g.details);
}

bool scroll_details(DetailsScroll& scroll, int rows)
{
    const int first = std::clamp(scroll.first + rows, 0, scroll.last_first);
    if (first == scroll.first)
        return false;
    scroll.first = first;
    return true;
}

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

/// Places every slot in `columns` columns, top to bottom and then on in the next column; false
/// when they do not all find room.
bool flow(const PanelText& text, const ScaleGeometry& g, const LineArea& a, int columns, DetailsPlacement& out)
{
    const int width = (a.right - a.left - (columns - 1) * a.gap) / columns;
    int c = 0;
    int y = a.top;
    for (int i = 0; i < text.count; ++i) {
        Rect& at = out.at[static_cast<std::size_t>(i)];
        at = {};
        const PanelSlot slot = slot_of(text, i);
        if (slot == PanelSlot::Gap) {
            if (y != a.top)
                y += g.u;  // a gap never starts a column
            continue;
        }
        if (y + g.line_height > a.bottom) {
            if (++c >= columns || a.top + g.line_height > a.bottom)
                return false;
            y = a.top;
        }
        const int left = a.left + c * (width + a.gap);
        if (slot == PanelSlot::Line)
            at = {left, y, left + width, y + g.line_height};
        y += g.line_height;
    }
    return true;
}

/// The largest first row from which the remaining rows all fit the panel's height.
int last_first_row(const PanelText& text, const ScaleGeometry& g, const LineArea& a, int rows)
{
    const int height = a.bottom - a.top;
    int used = 0;
    int fitting = 0;
    int pending_gap = 0;
    for (int i = text.count - 1; i >= 0; --i) {
        if (!is_row(slot_of(text, i))) {
            if (fitting > 0)
                pending_gap += g.u;
            continue;
        }
        const int need = used + (fitting > 0 ? pending_gap : 0) + g.line_height;
        if (need > height)
            break;
        used = need;
        pending_gap = 0;
        ++fitting;
    }
    return std::max(0, rows - std::max(fitting, 1));
}

/// One scrolling column: the rows from `first` on, as many as fit.
void scroll(const PanelText& text, const ScaleGeometry& g, const LineArea& a, int rows, int first,
            DetailsPlacement& out)
{
    DetailsScroll& s = out.scroll;
    s.rows = rows;
    s.last_first = last_first_row(text, g, a, rows);
    s.first = std::clamp(first, 0, s.last_first);
    s.shown = 0;
    int row = 0;
    int y = a.top;
    bool full = false;
    for (int i = 0; i < text.count; ++i) {
        Rect& at = out.at[static_cast<std::size_t>(i)];
        at = {};
        const PanelSlot slot = slot_of(text, i);
        if (slot == PanelSlot::Gap) {
            if (s.shown > 0)
                y += g.u;
            continue;
        }
        const int this_row = row++;
        if (this_row < s.first || full)
            continue;
        if (y + g.line_height > a.bottom) {
            full = true;
            continue;
        }
        if (slot == PanelSlot::Line)
            at = {a.left, y, a.right, y + g.line_height};
        y += g.line_height;
        ++s.shown;
    }
    // Beside the lines, a margin inside the panel's right and bottom edges.
    const Rect& c = column(g, Column::Details).column;
    s.bar = {c.right - 3 * g.u, a.top, c.right - 2 * g.u, a.bottom - g.u};
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
        if (flow(text, g, a, columns, out)) {
            out.columns = columns;
            out.scroll.shown = rows;
            return;
        }
    }
    out.columns = 1;
    scroll(text, g, a, rows, first, out);
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

// The details panel: the black panel of the rightmost column and its result lines in white, which
// flow into further columns or scroll when the panel is too short for them.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"
#include "text/panel_text.h"

/// Where the lines of a panel text stand: one rectangle per slot (empty for a slot not drawn:
/// a gap, a hidden line, or a line scrolled out of sight), and how the panel scrolls.
struct DetailsPlacement {
    std::array<Rect, panel_line_capacity> at{};
    /// Side-by-side columns of lines.
    int columns = 1;
    DetailsScroll scroll;
};

/// Places the lines of `text` in the details column of `g`, from its top down, each in a rectangle
/// one line high; a gap slot moves down by u (a gap never starts a column), a hidden slot by a line
/// without drawing. Lines that do not fit below each other flow into further columns beside them,
/// as few as hold them all, at most as many as the panel holds at the width of the layout's own
/// text column (2u apart, sharing the panel's width). When even those do not hold them all, they
/// all stand in every column the width holds and only the rest scrolls: the rows from `first` on
/// are shown (a row is a shown or hidden line), as many as fill the columns, and a scroll bar stands
/// at the panel's right edge. `first` is kept within 0 to the first row from which the remaining
/// rows just fill the columns.
void place_details(const PanelText& text, const ScaleGeometry& g, int first, DetailsPlacement& out);

/// The text height a details line is drawn at in a rectangle `width` pixels wide: the layout's
/// own when it fits, else the largest smaller one that does, never below g.smallest_text.
int details_line_height(TextMeasure& measure, std::u16string_view line, int width, const ScaleGeometry& g);

/// Draws the panel with its lines as place_details places them from g.details.first (lines too
/// wide for their rectangle smaller, as details_line_height says, in the middle of their row), and
/// the scroll bar; writes the scroll state, the first row kept in range, to g.details.
void draw_details(Canvas& canvas, TextMeasure& measure, const PanelText& text, ScaleGeometry& g);

/// Moves the details panel's first row by `rows` (down the lines for rows > 0), within its range.
/// Returns whether it moved.
bool scroll_details(DetailsScroll& scroll, int rows);

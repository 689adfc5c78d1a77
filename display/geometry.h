// The layout of the five columns (lens, aperture, distance, blur, details): margins, caption
// lines, column, scale and caption rectangles, all derived from one text height by layout_scales.
#pragma once

#include <array>

#include "display/canvas.h"
#include "text/caption_text.h"  // Column (Lens, Aperture, Distance, Blur, Details) and column_count

struct ColumnGeometry {
    /// Outer rectangle: from the top of the scales (T) to the client bottom less one margin.
    Rect column;
    /// Inner rectangle where the scale (or, for the details column, the text) is drawn.
    Rect scale;
    /// Caption rectangles: the name line and the value line above the column.
    Rect name;
    Rect value;
};

struct ScaleGeometry {
    /// The text height the layout was made for (0 = the platform's default height).
    int text_height = 0;
    int client_width = 0;
    int client_height = 0;
    /// Cell height of the text font, and the margin unit (a third of it).
    int line_height = 0;
    int u = 0;
    /// Where the second-row toolbars sit, and the top edge of every column's black panel.
    int toolbar_row_top = 0;
    int panel_top = 0;
    /// The two caption lines: name line from name_line_top, value line from value_line_top to column_top.
    int name_line_top = 0;
    int value_line_top = 0;
    /// T: the top of every column rectangle.
    int column_top = 0;
    /// Text widths of "9999", "99.99", "99999.99" and 25 capital X.
    int w4 = 0;
    int w5 = 0;
    int w8 = 0;
    int w25 = 0;
    /// Distance column: left edge of the 65-pixel blur strip, and the x of the distance scale line.
    int strip_left = 0;
    int distance_line_x = 0;
    std::array<ColumnGeometry, column_count> columns{};
    /// Rows of the distance column's near, far and focus lines, written by painting and by drags.
    int near_row = 0;
    int far_row = 0;
    int focus_row = 0;
};

inline constexpr int strip_width = 65;

inline const ColumnGeometry& column(const ScaleGeometry& g, Column c) { return g.columns[static_cast<int>(c)]; }
inline ColumnGeometry& column(ScaleGeometry& g, Column c) { return g.columns[static_cast<int>(c)]; }

/// Rewrites every field of `g` except the three line rows for a client area of the given size,
/// measuring the text font of `text_height` through `measure`.
void layout_scales(ScaleGeometry& g, TextMeasure& measure, int text_height, int client_width, int client_height);

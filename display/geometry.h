// The layout of the five columns (lens, aperture, distance, blur, details): margins, caption
// lines, column, scale and caption rectangles, all derived from one text height and the screen's
// density by layout_scales.
#pragma once

#include <array>

#include "display/canvas.h"
#include "display/pixel_scale.h"
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

/// Where the details panel's lines stand when they do not all fit: the panel scrolls by rows.
/// Painting writes everything but `first`, which the wheel, the keys and a drag move.
struct DetailsScroll {
    /// The first row shown (0: the top line); painting keeps it within 0..last_first.
    int first = 0;
    /// The largest first row: 0 when every line is shown and the panel does not scroll.
    int last_first = 0;
    /// Rows shown at once, and all rows.
    int shown = 0;
    int rows = 0;
    /// The scroll bar beside the lines (empty when the panel does not scroll).
    Rect bar;
};

struct ScaleGeometry {
    /// The text height the layout was made for (0 = the platform's default height).
    int text_height = 0;
    int client_width = 0;
    int client_height = 0;
    /// The screen's pixels per inch, the pixel scale of the toolbar pictures, markers, ticks and
    /// strip in half steps (2 = their design size), and the smallest text a line may be drawn at.
    int dpi = design_dpi;
    int scale_halves = 2;
    int smallest_text = 8;
    /// Toolbar buttons: the picture's edge, the distance from one button to the next, the border.
    int toolbar_button = 24;
    int toolbar_pitch = 27;
    int toolbar_border = 1;
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
    /// Distance column: the blur strip's left edge and width (65 pixels at the design size), and
    /// the x of the distance scale line at its right edge.
    int strip_left = 0;
    int strip_width = 65;
    int distance_line_x = 0;
    std::array<ColumnGeometry, column_count> columns{};
    /// The client size this text height needs: the columns' own widths with their margins (or
    /// the first row of toolbars, when that is wider), and the height at which every aperture label
    /// and every details line of a depth-of-field panel has its room. Wider clients give the rest
    /// of their width to the details column.
    int needed_width = 0;
    int needed_height = 0;
    /// Rows of the distance column's near, far and focus lines, written by painting and by drags.
    int near_row = 0;
    int far_row = 0;
    int focus_row = 0;
    DetailsScroll details;
};

/// The blur strip's width at the design size.
inline constexpr int design_strip_width = 65;

/// `n` design pixels at the layout's pixel scale.
inline int scaled(const ScaleGeometry& g, int n) { return scale_pixels(n, g.scale_halves); }

/// The outer size of a toolbar of `columns` x `rows` buttons: the border around the buttons and
/// the gaps after them.
inline int toolbar_width(const ScaleGeometry& g, int columns) { return columns * g.toolbar_pitch + 2 * g.toolbar_border; }
inline int toolbar_height(const ScaleGeometry& g, int rows) { return rows * g.toolbar_pitch + 2 * g.toolbar_border; }

inline const ColumnGeometry& column(const ScaleGeometry& g, Column c) { return g.columns[static_cast<int>(c)]; }
inline ColumnGeometry& column(ScaleGeometry& g, Column c) { return g.columns[static_cast<int>(c)]; }

/// Rewrites every field of `g` except the three line rows and the details scroll for a client
/// area of the given size on a screen of `dpi`, measuring the text font of `text_height` through
/// `measure`.
void layout_scales(ScaleGeometry& g, TextMeasure& measure, int text_height, int client_width, int client_height,
                   int dpi = design_dpi);

/// Whether the layout has all the room it needs in its client area.
inline bool layout_fits(const ScaleGeometry& g)
{
    return g.needed_width <= g.client_width && g.needed_height <= g.client_height;
}

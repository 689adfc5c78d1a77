// The layout of the five columns (lens, aperture, distance, blur, details): margins, caption
// lines, column, scale and caption rectangles, all derived from one text height, the screen's
// density and the layout's style by layout_scales.
#pragma once

#include <array>

#include "display/canvas.h"
#include "display/pixel_scale.h"
#include "text/caption_text.h"  // Column (Lens, Aperture, Distance, Blur, Details) and column_count

struct ColumnGeometry {
    /// Outer rectangle: from the top of the scales (T) to the client bottom less one margin (in a
    /// portrait layout, the scales' to a margin above the details panel).
    Rect column;
    /// The black panel behind the column and its captions.
    Rect panel;
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

/// What a layout is made for besides its size and screen. The default is the Windows program's
/// window; the web page asks for its own, and on a phone for finger-sized toolbar buttons and,
/// held upright, for the portrait arrangement.
struct LayoutStyle {
    /// The page's layout: its captions start a margin below the toolbars' lower edge (in the
    /// Windows program's, a margin below the buttons' pictures, which the toolbar's border and
    /// gap may reach past).
    bool page = false;
    /// The least distance from one toolbar button to the next, in pixels (0: the design pitch):
    /// each button is then a target that size, its picture in the middle.
    int least_pitch = 0;
    /// The details panel stands below the four scales, which share the client's width.
    bool portrait = false;
    /// The rows the first row of toolbars takes (a narrow client wraps it).
    int toolbar_rows = 1;
};

/// The Windows program's own layout.
inline bool windows_look(const LayoutStyle& s) { return !s.page; }

/// A phone's layout (finger-sized buttons, or portrait), whose screen cannot grow: its aperture
/// scale is content with a label's room on every second whole stop, where the others give every
/// whole stop its room.
inline bool phone_look(const LayoutStyle& s) { return s.least_pitch > 0 || s.portrait; }

struct ScaleGeometry {
    /// The text height the layout was made for (0 = the platform's default height).
    int text_height = 0;
    LayoutStyle style;
    int client_width = 0;
    int client_height = 0;
    /// The screen's pixels per inch, the pixel scale of the toolbar pictures, markers, ticks and
    /// strip in quarter steps (4 = their design size), and the smallest text a line may be drawn at.
    int dpi = design_dpi;
    int scale_quarters = design_scale_quarters;
    int smallest_text = 11;
    /// Toolbar buttons: the picture's edge, the distance from one button to the next, the border.
    /// A button takes clicks over its picture, or over its whole pitch when the style asks for a
    /// least pitch (toolbar_target).
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
    /// The client size this text height needs: the columns' own widths with their margins (in a
    /// portrait layout, with the narrowest blur strip), and the height at which the aperture labels
    /// and every details line of the fullest panel of every mode (fullest_panel) have their room.
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
inline int scaled(const ScaleGeometry& g, int n) { return scale_pixels(n, g.scale_quarters); }

/// The width of the scales' lines and ticks and of the distance lines: one pixel at the design size.
inline int line_width(const ScaleGeometry& g) { return scaled(g, 1); }

/// The edge of the square in which a toolbar button takes clicks and touches.
inline int toolbar_target(const ScaleGeometry& g)
{
    return g.style.least_pitch > 0 ? g.toolbar_pitch : g.toolbar_button;
}

/// The outer size of a toolbar of `columns` x `rows` buttons: the border around the buttons and
/// the gaps after them.
inline int toolbar_width(const ScaleGeometry& g, int columns) { return columns * g.toolbar_pitch + 2 * g.toolbar_border; }
inline int toolbar_height(const ScaleGeometry& g, int rows) { return rows * g.toolbar_pitch + 2 * g.toolbar_border; }

inline const ColumnGeometry& column(const ScaleGeometry& g, Column c) { return g.columns[static_cast<int>(c)]; }
inline ColumnGeometry& column(ScaleGeometry& g, Column c) { return g.columns[static_cast<int>(c)]; }

/// Rewrites every field of `g` except the three line rows and the details scroll for a client
/// area of the given size on a screen of `dpi`, in `style`, measuring the text font of
/// `text_height` through `measure`.
///
/// Side by side, the columns stand left to right and a wider client gives the rest of its width
/// to the details column. In a portrait layout the four scales share the client's width (with a
/// blur strip down to a quarter of its design width where the client is narrow), and the details
/// panel runs across the client below them, as high as the fullest panel of any mode needs in
/// as many columns of lines as its width holds; the scales take the rest of the height.
void layout_scales(ScaleGeometry& g, TextMeasure& measure, int text_height, int client_width, int client_height,
                   int dpi = design_dpi, const LayoutStyle& style = {});

/// Whether the layout has all the room it needs in its client area.
inline bool layout_fits(const ScaleGeometry& g)
{
    return g.needed_width <= g.client_width && g.needed_height <= g.client_height;
}

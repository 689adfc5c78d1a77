// The layout a client area gets: the largest text height whose layout fits both the width and
// the height of the client (from the screen's readable minimum up), side by side or, for a page
// that allows it, in portrait; and the smallest client in which everything is whole and readable.
#pragma once

#include "display/canvas.h"
#include "display/geometry.h"

/// The largest text height tried; a client large enough for it gives the rest to the details column.
inline constexpr int largest_text_height = 255;

/// The least edge of a toolbar button that a finger hits reliably, in pixels at design_dpi.
inline constexpr int finger_target = 44;

/// The text height, at design_dpi, below which a narrow tall client takes the portrait layout, and
/// which the portrait layout keeps to where it can: a cell of 15 pixels, the text font's 12-pixel em.
inline constexpr int comfortable_text_height = 15;

/// What a layout may use: the client area, the density of the screen it is on, the range of text
/// heights (0 for either end: the screen's readable minimum, largest_text_height), and what the
/// page may ask for beyond the Windows program's layout.
struct LayoutLimits {
    int client_width = 0;
    int client_height = 0;
    int dpi = design_dpi;
    int smallest_text_height = 0;
    int largest_text_height = 0;
    /// The web page's layout (LayoutStyle::page). A client taller than wide takes the portrait
    /// layout where that gives a larger text (or the only fitting one): the Windows program's
    /// always, the page's where its columns side by side would get less than the comfortable text
    /// height. In portrait the text grows while the scales keep at least half the client's
    /// height, or, where not even the comfortable height does that, as far as it fits.
    bool page = false;
    /// Fingers press the toolbar buttons: each is a finger_target square.
    bool touch = false;
};

/// Whether the layout has its room in its client area, the first row of toolbars included.
bool layout_fits(const ScaleGeometry& geometry, int client_width);

/// Lays `geometry` out for the largest text height within the limits whose layout fits the client
/// (its columns and the first row of toolbars across, its aperture labels and details lines down),
/// or for the smallest when none does, and returns that height. The larger a text height, the more
/// room its layout needs, so the heights that fit are those up to the one returned.
int choose_layout(ScaleGeometry& geometry, TextMeasure& measure, const LayoutLimits& limits);

/// choose_layout for a client on a screen of `dpi`, with the screen's range of text heights.
int choose_text_height(ScaleGeometry& geometry, TextMeasure& measure, int client_width, int client_height,
                       int dpi = design_dpi);

struct ClientSize {
    int width = 0;
    int height = 0;
};

/// choose_layout; where even the smallest text height does not fit, the same layout made for the
/// client grown to the size it needs (a page scrolls to the rest). Returns the client size laid out.
ClientSize choose_scrolled_layout(ScaleGeometry& geometry, TextMeasure& measure, const LayoutLimits& limits);

/// The smallest client area on a screen of `dpi`: wide enough for the layout of the readable
/// minimum text and for the first row of toolbars, and as high as that layout needs (the window
/// is kept at least minimum_window_height high besides). Lays out `scratch` for that text height.
ClientSize minimum_client_size(ScaleGeometry& scratch, TextMeasure& measure, int dpi = design_dpi);

/// The width of minimum_client_size.
int minimum_client_width(ScaleGeometry& scratch, TextMeasure& measure, int dpi = design_dpi);

/// The smallest clients on a screen of `dpi` in which the readable minimum text is whole: with the
/// columns side by side (minimum_client_size), and in portrait, narrower and taller, where the
/// first row of toolbars wraps and the details stand below the scales.
struct LeastClients {
    ClientSize side;
    ClientSize upright;
};
LeastClients least_clients(ScaleGeometry& scratch, TextMeasure& measure, int dpi = design_dpi);

/// The client nearest to `wanted`, never smaller, in which one of the two least clients fits:
/// `wanted` itself where one does; else grown to one of them: the portrait one where the height
/// holds it, or, unless only the width is being changed (`width_moves`), where the width is too
/// narrow for the columns side by side but holds a portrait layout; otherwise the side-by-side one.
ClientSize readable_client(ClientSize wanted, const LeastClients& least, bool width_moves);

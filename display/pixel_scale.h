// How large the fixed-size parts of the window are drawn on a given screen: the toolbar pictures,
// the markers, ticks, lines and blur strip, and the margins around them, in quarter steps of their
// design size (1x, 1.25x, 1.5x ...), growing with the text; and the smallest text and window a screen
// of that density may show. Every front end takes these decisions from here.
#pragma once

/// The pixels per inch every design size is given for.
inline constexpr int design_dpi = 96;

/// The design pixel scale (1x) and the largest (4x), in quarters.
inline constexpr int design_scale_quarters = 4;
inline constexpr int largest_scale_quarters = 16;

/// The text height (a cell height) that the design sizes go with: a text this high reads beside
/// 24-pixel toolbar pictures, 8-pixel markers and one-pixel lines.
inline constexpr int design_text_height = 15;

/// The pixel scale of a screen of `dpi` pixels per inch, in quarters: the nearest quarter step, a
/// tie going up, never below 1x: 96 dpi 4, 120 dpi (125 %) 5, 144 dpi 6, 192 dpi 8.
int dpi_scale_quarters(int dpi);

/// The pixel scale of a layout: in proportion to its text height (a quarter step for every
/// quarter of design_text_height, rounded down), never below the screen's, at most
/// largest_scale_quarters. Pictures, markers and lines keep to the text at every window size, and
/// on a dense screen never get physically smaller than at 1x on an ordinary one.
int layout_scale_quarters(int text_height, int dpi);

/// `n` design pixels (n >= 0) at a scale of `quarters` quarter steps, halves rounding up.
constexpr int scale_pixels(int n, int quarters) { return (n * quarters + 2) / 4; }

/// The smallest text height (a cell height, in pixels) shown on a screen of `dpi`: 13 at 96 dpi
/// (an 8-point text, its x-height 5 pixels, where "1" and "l" stay apart), in proportion, rounded.
int readable_text_height(int dpi);

/// The smallest text height a single line too long for its room may be drawn at (a caption, a
/// details line): 11 at 96 dpi, its x-height 4 pixels, in proportion, rounded.
int smallest_line_text_height(int dpi);

/// The smallest height of the main window, its frame included, on a screen of `dpi`: 400 at 96
/// dpi, in proportion.
int minimum_window_height(int dpi);

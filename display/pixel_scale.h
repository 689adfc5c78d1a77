// How large the fixed-size parts of the window are drawn on a given screen: the toolbar pictures,
// the markers, ticks and blur strip, and the margins around them, in half steps of their design
// size (1x, 1.5x, 2x ...), and the smallest text and window a screen of that density may show.
// Every front end takes these decisions from here.
#pragma once

/// The pixels per inch every design size is given for.
inline constexpr int design_dpi = 96;

/// The largest pixel scale, in halves (4x).
inline constexpr int largest_scale_halves = 8;

/// The pixel scale of a screen of `dpi` pixels per inch, in halves: the nearest half step, a tie
/// going up (120 dpi, 125 %, draws at 1.5x), never below 1x: 2 up to 119 dpi, 3 up to 167, 4 up to 215.
int dpi_scale_halves(int dpi);

/// The pixel scale of a layout: the screen's, or more as the text grows (a half step for every
/// 15 pixels of text height, so 1.5x from 45 pixels and 2x from 60), at most largest_scale_halves.
/// Large windows on an ordinary screen draw their pictures as large as a dense screen would, and a
/// window of one physical size gets one scale at every density (its text grows with the density).
int layout_scale_halves(int text_height, int dpi);

/// `n` design pixels (n >= 0) at a scale of `halves` half steps, halves rounding up.
constexpr int scale_pixels(int n, int halves) { return (n * halves + 1) / 2; }

/// The smallest text height (a cell height, in pixels) shown on a screen of `dpi`: 8 at 96 dpi,
/// in proportion, rounded.
int readable_text_height(int dpi);

/// The smallest height of the main window, its frame included, on a screen of `dpi`: 400 at 96
/// dpi, in proportion.
int minimum_window_height(int dpi);

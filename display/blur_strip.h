// The blur strip's image: per pixel row a horizontal Gaussian spot as wide as that row's blur,
// coloured by blur_colour, 65 pixels of 24-bit colour.
#pragma once

#include <cstdint>
#include <span>

/// Bytes per strip row: 65 pixels of blue, green, red, padded to a multiple of 4.
inline constexpr int strip_stride = 196;

/// The strip image for `row_blur`: n rows of strip_stride bytes, top row first, so that entry 0
/// becomes the bottom row. `pixels` holds at least n * strip_stride bytes. A sample whose
/// brightness rounds to 0 is not computed.
void render_blur_strip(std::span<const double> row_blur, std::span<uint8_t> pixels);

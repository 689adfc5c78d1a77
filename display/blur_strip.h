// The blur strip's image: per pixel row a horizontal Gaussian spot as wide as that row's blur,
// coloured by blur_colour, 65 pixels of 24-bit colour at the design size.
#pragma once

#include <cstdint>
#include <span>

#include "display/pixel_scale.h"

/// Bytes per strip row at the design size: 65 pixels of blue, green, red, padded to a multiple of 4.
inline constexpr int strip_stride = 196;

/// The strip's size: `width` pixels (odd, the spot's centre in the middle), rows `stride` bytes
/// apart, and the pixel scale in quarters that widens every spot with it.
struct BlurStripShape {
    int width = 65;
    int stride = strip_stride;
    int scale_quarters = design_scale_quarters;
};

/// The shape of a strip `width` pixels wide (made odd, at most 257) drawn at `scale_quarters`.
BlurStripShape blur_strip_shape(int width, int scale_quarters);

/// The strip image for `row_blur`: n rows of shape.stride bytes, top row first, so that entry 0
/// becomes the bottom row. `pixels` holds at least n * shape.stride bytes. A row's spot has the
/// brightness exp(-(d / (blur * scale))^2) at d pixels from the centre; a sample whose brightness
/// rounds to 0 is not computed.
void render_blur_strip(std::span<const double> row_blur, std::span<uint8_t> pixels, const BlurStripShape& shape = {});

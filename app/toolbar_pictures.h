// The toolbar buttons' pictures, white on black, from one vector description each (strokes, arcs,
// filled shapes, a stroke font for their words and numbers), drawn at any size: every stroke of a
// picture is a whole number of pixels wide, and a stroke running straight across or down lies on
// whole pixels, so the pictures stay crisp and even at 1x, 1.25x, 1.5x, 2x, 3x, 4x and between.
#pragma once

#include <cstdint>
#include <span>

#include "app/toolbars.h"

/// One shape of a picture, in design units of the 24 x 24 picture (x to the right, y down).
enum class ShapeKind : uint8_t {
    Line,     // from (x1, y1) to (x2, y2), `width` wide, ends as `cap` says
    Arc,      // round (elliptical) arc about (x1, y1), radii x2 and y2, from angle a0 to a1 degrees
              // clockwise from the right (0 right, 90 down), `width` wide, ends cut square
    Box,      // filled rectangle (x1, y1) to (x2, y2) with corners rounded by `width`
    Glow,     // a soft disc about (x1, y1): full brightness to radius x2, fading to none at y2
};
enum class Cap : uint8_t { Square, Round, Butt };

struct PictureShape {
    ShapeKind kind = ShapeKind::Line;
    Cap cap = Cap::Square;
    /// Brightness drawn, 255 white to 0 black; later shapes lie over earlier ones.
    uint8_t value = 255;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    float a0 = 0, a1 = 0;
    float width = 0;
};

/// The most shapes a picture has.
inline constexpr int max_picture_shapes = 40;

struct PictureDescription {
    PictureShape shapes[max_picture_shapes];
    int count = 0;
    std::span<const PictureShape> view() const { return {shapes, static_cast<std::size_t>(count)}; }
};

/// The vector description of a toolbar picture.
PictureDescription toolbar_picture_description(ToolbarBitmap bitmap);

/// A stroke `width` design units wide at a picture `size` pixels square: whole pixels, at least one.
int stroke_pixels(float width, int size);

/// Draws `shapes` `size` pixels square (size >= 1) into `out`: size x size brightness bytes, rows
/// top first, black where no shape lies. Each pixel is the share of its area each shape covers
/// (4 x 4 samples where a shape's edge crosses it); the coordinates of every stroke are moved to
/// whole pixels first, so that a stroke along x or y covers whole pixels only.
void draw_picture(std::span<const PictureShape> shapes, int size, uint8_t* out);

/// draw_picture of a toolbar picture.
void draw_toolbar_picture(ToolbarBitmap bitmap, int size, uint8_t* out);

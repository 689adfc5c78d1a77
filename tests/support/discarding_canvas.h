// A Canvas that draws nothing, for timing the drawing code alone.
#pragma once

#include "display/canvas.h"

class DiscardingCanvas : public Canvas {
public:
    void fill_rect(Rect, Colour, Colour) override {}
    void line(int, int, int, int, Colour) override {}
    void triangle(Point, Point, Point, Colour, Colour) override {}
    void text(int, int, std::u16string_view, FontKind, Colour) override {}
    void text_in_rect(Rect, std::u16string_view, TextAlign, Colour, int) override {}
    void set_clip(Rect) override {}
    void clear_clip() override {}
    void image(int, int, int, int, const uint8_t*, int) override {}
};

// A Canvas for the fuzz targets that reads everything it is handed, so that a text or image that
// does not hold what the call says shows up as a read outside its memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "display/canvas.h"
#include "fuzz/fuzz_check.h"

class TouchingCanvas : public Canvas {
public:
    void fill_rect(Rect, Colour, Colour) override {}
    void line(int, int, int, int, Colour) override {}
    void triangle(Point, Point, Point, Colour, Colour) override {}
    void text(int, int, std::u16string_view text, FontKind, Colour) override { touch(text); }
    void text_in_rect(Rect, std::u16string_view text, TextAlign, Colour, int) override { touch(text); }
    void set_clip(Rect) override {}
    void clear_clip() override {}
    void image(int, int, int width, int height, const uint8_t* pixels, int stride) override
    {
        FUZZ_CHECK(width >= 0 && height >= 0 && stride >= 3 * width);
        read_pixels(width, height, pixels, stride);
    }

private:
    // Every byte is still read under AddressSanitizer, but the loop is left out of coverage
    // tracing: a tall strip is a hundred thousand bytes, and tracing each of their comparisons
    // would cost more than painting the frame.
    __attribute__((no_sanitize("coverage"))) void read_pixels(int width, int height, const uint8_t* pixels,
                                                               int stride)
    {
        for (int row = 0; row < height; ++row) {
            for (int i = 0; i < 3 * width; ++i)
                sum_ += pixels[static_cast<std::ptrdiff_t>(row) * stride + i];
        }
    }
    void touch(std::u16string_view text)
    {
        for (char16_t c : text)
            sum_ += c;
    }
    unsigned sum_ = 0;
};

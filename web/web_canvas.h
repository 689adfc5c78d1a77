// A canvas that writes every drawing call, in order, into a flat list of numbers and a text buffer,
// which the page replays onto an HTML canvas. Standard C++ only: the native tests check that it
// carries exactly the calls a recording canvas receives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/canvas.h"

/// The first number of each call; the numbers after it, in order:
namespace web_op {
inline constexpr int32_t fill_rect = 1;     // left, top, right, bottom, outline, fill
inline constexpr int32_t line = 2;          // x1, y1, x2, y2, colour
inline constexpr int32_t triangle = 3;      // ax, ay, bx, by, cx, cy, outline, fill
inline constexpr int32_t text = 4;          // x, y, font (0 text, 1 symbol), colour, text start, length
inline constexpr int32_t text_in_rect = 5;  // left, top, right, bottom, align (0 left, 1 centre, 2 right),
                                            // colour, text height, text start, length
inline constexpr int32_t set_clip = 6;      // left, top, right, bottom
inline constexpr int32_t clear_clip = 7;    // (nothing)
inline constexpr int32_t image = 8;         // x, y, width, height, image index, stride
/// How many numbers a call takes, its code included (0 for an unknown code).
constexpr int length(int32_t code)
{
    constexpr int lengths[] = {0, 7, 6, 9, 7, 10, 5, 1, 7};
    return code > 0 && code <= image ? lengths[code] : 0;
}
}  // namespace web_op

/// A colour as the page takes it: 0xRRGGBB.
constexpr int32_t web_colour(Colour c) { return (c.red << 16) | (c.green << 8) | c.blue; }

class WebCanvas final : public Canvas {
public:
    /// Forgets the calls of the last frame; the buffers keep their room, so a warm frame allocates nothing.
    void clear();

    const std::vector<int32_t>& ops() const { return ops_; }
    /// The texts of every text call, one after another (UTF-16).
    const std::u16string& texts() const { return texts_; }
    /// The pixels of image call `index`: they stay where the painter left them until its next frame.
    const uint8_t* image_pixels(int index) const;

    void fill_rect(Rect r, Colour outline, Colour fill) override;
    void line(int x1, int y1, int x2, int y2, Colour colour) override;
    void triangle(Point a, Point b, Point c, Colour outline, Colour fill) override;
    void text(int x, int y, std::u16string_view text, FontKind font, Colour colour) override;
    void text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height) override;
    void set_clip(Rect r) override;
    void clear_clip() override;
    void image(int x, int y, int width, int height, const uint8_t* pixels, int stride) override;

private:
    void put(std::initializer_list<int32_t> numbers);
    /// Appends the text and returns its start.
    int32_t keep_text(std::u16string_view text);

    std::vector<int32_t> ops_;
    std::u16string texts_;
    std::vector<const uint8_t*> images_;
};

// A Canvas that records every call, so tests can ask "was a green line drawn from (S, y) to (S + 65, y)?".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/canvas.h"

enum class CallKind { FillRect, Line, Triangle, Text, TextInRect, SetClip, ClearClip, Image };

struct DrawCall {
    CallKind kind = CallKind::Line;
    /// FillRect, TextInRect, SetClip: the rectangle. Image: (x, y, x + width, y + height).
    Rect rect;
    /// Line: a = start, b = end. Triangle: a, b, c. Text: a = top-left corner.
    Point a;
    Point b;
    Point c;
    /// Line and Text: the colour. FillRect and Triangle: the outline; `fill` the fill.
    Colour colour;
    Colour fill;
    std::u16string text;
    FontKind font = FontKind::Text;
    TextAlign align = TextAlign::Left;
    /// TextInRect: the text height the text is drawn at.
    int text_height = 0;
    /// Image: the pixels copied row by row without padding (3 bytes per pixel, blue, green, red).
    std::vector<uint8_t> pixels;
    /// The clip in force when the call was made (none when has_clip is false).
    bool has_clip = false;
    Rect clip;
};

class RecordingCanvas : public Canvas {
public:
    std::vector<DrawCall> calls;

    void fill_rect(Rect r, Colour outline, Colour fill) override;
    void line(int x1, int y1, int x2, int y2, Colour colour) override;
    void triangle(Point a, Point b, Point c, Colour outline, Colour fill) override;
    void text(int x, int y, std::u16string_view text, FontKind font, Colour colour) override;
    void text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height) override;
    void set_clip(Rect r) override;
    void clear_clip() override;
    void image(int x, int y, int width, int height, const uint8_t* pixels, int stride) override;

    /// The calls of one kind, in order.
    std::vector<DrawCall> of_kind(CallKind kind) const;
    /// Horizontal lines whose start is (x1, y) and end (x2, y) for some y, in any colour.
    std::vector<DrawCall> horizontal_lines(int x1, int x2) const;
    /// Texts (at a point) with exactly this content.
    std::vector<DrawCall> texts(std::u16string_view text) const;
    void clear() { calls.clear(); }

private:
    DrawCall& add(CallKind kind);
    bool clipped_ = false;
    Rect clip_;
};

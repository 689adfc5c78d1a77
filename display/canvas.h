// The platform seam for drawing: a stateless canvas (every call carries its colours) and
// text measurement. GDI implements both on Windows; tests record the calls.
#pragma once

#include <cstdint>
#include <string_view>

struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend constexpr bool operator==(Colour, Colour) = default;
};

namespace colours {
inline constexpr Colour black{0, 0, 0};
inline constexpr Colour white{255, 255, 255};
inline constexpr Colour red{255, 0, 0};
inline constexpr Colour green{0, 255, 0};
inline constexpr Colour teal{0, 128, 128};
/// The main window's background (the stock dark grey brush), shown between and around the columns.
inline constexpr Colour dark_grey{64, 64, 64};
}  // namespace colours

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

/// (left, top, right, bottom) in client pixels; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

enum class FontKind { Text, Symbol };
enum class TextAlign { Left, Centre, Right };

/// Stateless drawing with GDI's pixel rules: right and bottom edges and line end points are exclusive.
class Canvas {
public:
    virtual ~Canvas() = default;
    /// A rectangle outlined in `outline` and filled with `fill`.
    virtual void fill_rect(Rect r, Colour outline, Colour fill) = 0;
    /// A one-pixel line from (x1, y1) towards (x2, y2); the end point is not drawn.
    virtual void line(int x1, int y1, int x2, int y2, Colour colour) = 0;
    /// A filled triangle with a one-pixel outline.
    virtual void triangle(Point a, Point b, Point c, Colour outline, Colour fill) = 0;
    /// Text whose top-left corner is at (x, y), transparent background. The symbol font is used only
    /// for the infinity sign U+F0A5; a canvas whose symbol font lacks it draws U+221E in the text font.
    virtual void text(int x, int y, std::u16string_view text, FontKind font, Colour colour) = 0;
    /// Text at the top of `r`, aligned left, centred or right, clipped to `r`, in the text font of
    /// `text_height` (a cell height as TextMeasure takes it; the layout's own height gives the text
    /// font itself, a smaller one the same face made smaller).
    virtual void text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height) = 0;
    /// Restricts all further drawing to `r` until clear_clip.
    virtual void set_clip(Rect r) = 0;
    virtual void clear_clip() = 0;
    /// A 24-bit image: `height` rows of `width` pixels, top row first, each pixel blue, green, red,
    /// rows `stride` bytes apart; its top-left pixel lands at (x, y).
    virtual void image(int x, int y, int width, int height, const uint8_t* pixels, int stride) = 0;
};

/// Font metrics for a chosen text height (the cell height of the text font; 0 = the default height).
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int line_height(int text_height) = 0;
    virtual int text_width(int text_height, std::u16string_view text) = 0;
};

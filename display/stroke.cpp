#include "display/stroke.h"

#include <algorithm>
#include <cstdlib>

namespace {

/// The pixels a one-pixel line covers along one axis: from `from` towards `to`, `to` excluded.
struct Span {
    int low;
    int high;  // exclusive
};

Span covered(int from, int to) { return to >= from ? Span{from, to} : Span{to + 1, from + 1}; }

}  // namespace

void draw_stroke(Canvas& canvas, int x1, int y1, int x2, int y2, Colour colour, int width)
{
    if (width <= 1) {
        canvas.line(x1, y1, x2, y2, colour);
        return;
    }
    const int before = (width - 1) / 2;
    if (y1 == y2) {
        const Span s = covered(x1, x2);
        if (s.high > s.low)
            canvas.fill_rect({s.low, y1 - before, s.high, y1 - before + width}, colour, colour);
        return;
    }
    if (x1 == x2) {
        const Span s = covered(y1, y2);
        canvas.fill_rect({x1 - before, s.low, x1 - before + width, s.high}, colour, colour);
        return;
    }
    const bool flat = std::abs(x2 - x1) >= std::abs(y2 - y1);
    for (int k = -before; k < width - before; ++k) {
        if (flat)
            canvas.line(x1, y1 + k, x2, y2 + k, colour);
        else
            canvas.line(x1 + k, y1, x2 + k, y2, colour);
    }
}

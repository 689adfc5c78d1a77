#include "app/toolbar_pictures.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

constexpr float design_size = 24;
constexpr float pi = 3.14159265358979f;

/// Writes the shapes of a picture in design units; words and numbers in a stroke font whose glyphs
/// are drawn in a box one cap height high (y down from the cap line, 1 at the baseline).
class Builder {
public:
    explicit Builder(float width) : width_(width) {}

    void line(float x1, float y1, float x2, float y2)
    {
        add({ShapeKind::Line, x1 == x2 || y1 == y2 ? Cap::Square : Cap::Round, value_, x1, y1, x2, y2, 0, 0, width_});
    }
    void arc(float cx, float cy, float rx, float ry, float a0, float a1)
    {
        add({ShapeKind::Arc, Cap::Butt, value_, cx, cy, rx, ry, a0, a1, width_});
    }
    void box(float x1, float y1, float x2, float y2, float radius)
    {
        add({ShapeKind::Box, Cap::Square, value_, x1, y1, x2, y2, 0, 0, radius});
    }
    void glow(float cx, float cy, float full, float none)
    {
        add({ShapeKind::Glow, Cap::Square, value_, cx, cy, full, none, 0, 0, 0});
    }
    void paint(uint8_t value) { value_ = value; }

    /// `text` centred on `centre`, its baseline at `baseline`, capitals `cap` high.
    void text(std::u16string_view text, float centre, float baseline, float cap)
    {
        constexpr float spacing = 0.2f;
        float total = -spacing;
        for (const char16_t c : text)
            total += advance(c) + spacing;
        float x = centre - total * cap / 2;
        for (const char16_t c : text) {
            glyph(c, x, baseline - cap, cap);
            x += (advance(c) + spacing) * cap;
        }
    }

    PictureDescription done() const { return d_; }

private:
    void add(const PictureShape& s)
    {
        if (d_.count < max_picture_shapes)
            d_.shapes[d_.count++] = s;
    }

    static float advance(char16_t c)
    {
        switch (c) {
        case u'D': case u'O': return 0.7f;
        case u'F': case u'0': case u'2': case u'3': case u'?': return 0.55f;
        case u'M': return 0.9f;
        case u'1': case u'/': return 0.5f;
        case u'4': return 0.6f;
        case u'.': return 0.3f;
        case u'm': return 0.8f;
        case u'n': case u'c': return 0.45f;
        case u'i': return 0.05f;
        case u't': case u'f': return 0.4f;
        case u'y': case u'd': return 0.5f;
        default: return 0.5f;
        }
    }

    /// One glyph with its box's top-left corner at (x, y), `c` design units to the cap height.
    void glyph(char16_t ch, float x, float y, float c)
    {
        const auto l = [&](float x1, float y1, float x2, float y2) { line(x + x1 * c, y + y1 * c, x + x2 * c, y + y2 * c); };
        const auto a = [&](float cx, float cy, float rx, float ry, float a0, float a1) {
            arc(x + cx * c, y + cy * c, rx * c, ry * c, a0, a1);
        };
        constexpr float top = 0.3f;  // the x-height's line
        switch (ch) {
        case u'D':
            l(0, 0, 0, 1), l(0, 0, 0.3f, 0), l(0, 1, 0.3f, 1), a(0.3f, 0.5f, 0.4f, 0.5f, -90, 90);
            break;
        case u'O': a(0.35f, 0.5f, 0.35f, 0.5f, 0, 360); break;
        case u'0': a(0.275f, 0.5f, 0.275f, 0.5f, 0, 360); break;
        case u'F': l(0, 0, 0, 1), l(0, 0, 0.55f, 0), l(0, 0.47f, 0.45f, 0.47f); break;
        case u'M': l(0, 1, 0, 0), l(0, 0, 0.45f, 0.62f), l(0.45f, 0.62f, 0.9f, 0), l(0.9f, 0, 0.9f, 1); break;
        case u'1': l(0.28f, 0, 0.28f, 1), l(0.28f, 0, 0.02f, 0.2f), l(0.03f, 1, 0.5f, 1); break;
        case u'2':
            a(0.275f, 0.275f, 0.275f, 0.275f, 190, 380);
            l(0.275f + 0.275f * 0.9397f, 0.275f + 0.275f * 0.342f, 0, 1), l(0, 1, 0.55f, 1);
            break;
        case u'3': a(0.26f, 0.25f, 0.26f, 0.25f, 200, 450), a(0.26f, 0.735f, 0.29f, 0.265f, 270, 520); break;
        case u'4': l(0.42f, 1, 0.42f, 0), l(0.42f, 0, 0, 0.68f), l(0, 0.68f, 0.6f, 0.68f); break;
        case u'.': l(0.15f, 1, 0.15f, 1); break;
        case u'/': l(0.5f, 0, 0, 1); break;
        case u'?':
            a(0.275f, 0.26f, 0.275f, 0.26f, 180, 450), l(0.275f, 0.52f, 0.275f, 0.72f), l(0.275f, 1, 0.275f, 1);
            break;
        case u'm':
            l(0, top, 0, 1), a(0.2f, 0.5f, 0.2f, 0.2f, 180, 360), l(0.4f, 0.5f, 0.4f, 1);
            a(0.6f, 0.5f, 0.2f, 0.2f, 180, 360), l(0.8f, 0.5f, 0.8f, 1);
            break;
        case u'n': l(0, top, 0, 1), a(0.225f, 0.525f, 0.225f, 0.225f, 180, 360), l(0.45f, 0.525f, 0.45f, 1); break;
        case u'c': a(0.25f, 0.65f, 0.25f, 0.35f, 45, 315); break;
        case u'i': l(0.025f, top + 0.04f, 0.025f, 1), l(0.025f, -0.04f, 0.025f, -0.04f); break;
        case u't': l(0.12f, 0.06f, 0.12f, 0.82f), a(0.32f, 0.82f, 0.2f, 0.18f, 90, 180), l(0, top, 0.38f, top); break;
        case u'f': l(0.15f, 0.22f, 0.15f, 1), a(0.35f, 0.22f, 0.2f, 0.2f, 180, 310), l(0, top, 0.38f, top); break;
        case u'y': l(0, top, 0.25f, 0.96f), l(0.5f, top, 0.12f, 1.3f); break;
        case u'd': a(0.225f, 0.65f, 0.225f, 0.35f, 0, 360), l(0.45f, 0, 0.45f, 1); break;
        default: break;
        }
    }

    PictureDescription d_;
    float width_;
    uint8_t value_ = 255;
};

/// Words and numbers: 1.8 design units wide strokes, a larger sign 2.6.
constexpr float text_stroke = 1.8f;
constexpr float sign_stroke = 2.6f;

PictureDescription word(std::u16string_view text, float baseline, float cap, float stroke = text_stroke)
{
    Builder b(stroke);
    b.text(text, 12, baseline, cap);
    return b.done();
}

PictureDescription fraction(char16_t denominator)
{
    Builder b(1.6f);
    const char16_t one[] = {u'1'};
    const char16_t under[] = {denominator};
    b.text({one, 1}, 6.5f, 10, 7);
    b.line(15.5f, 2.5f, 8.5f, 21.5f);
    b.text({under, 1}, 17.5f, 21, 7);
    return b.done();
}

PictureDescription camera()
{
    Builder b(1.8f);
    b.box(2, 8, 22, 20, 1.5f);
    b.box(8, 5, 15, 9, 0.5f);
    b.paint(0);
    b.arc(12, 14, 3.6f, 3.6f, 0, 360);
    b.box(18, 10, 20, 11.5f, 0);
    return b.done();
}

PictureDescription stack()
{
    Builder b(2);
    b.line(10, 4, 20, 4), b.line(20, 4, 20, 14), b.line(20, 14, 15, 14), b.line(10, 4, 10, 9);
    b.line(4, 9, 14, 9), b.line(14, 9, 14, 19), b.line(14, 19, 4, 19), b.line(4, 19, 4, 9);
    return b.done();
}

PictureDescription staircase()
{
    Builder b(2);
    b.line(3, 20, 3, 17), b.line(3, 17, 7, 17), b.line(7, 17, 7, 13), b.line(7, 13, 11, 13);
    b.line(11, 13, 11, 9), b.line(11, 9, 15, 9), b.line(15, 9, 15, 5), b.line(15, 5, 20, 5);
    b.line(20, 5, 20, 20), b.line(20, 20, 3, 20);
    return b.done();
}

PictureDescription sign(bool plus)
{
    Builder b(3);
    b.line(5, 12, 19, 12);
    if (plus)
        b.line(12, 5, 12, 19);
    return b.done();
}

PictureDescription blur()
{
    Builder b(0);
    b.glow(12, 12, 1.5f, 9.5f);
    return b.done();
}

// ---- Drawing --------------------------------------------------------------------------------------

/// A shape in pixels, its coordinates moved to whole pixels.
struct Placed {
    const PictureShape* shape;
    float x1, y1, x2, y2;
    float half;  // half the stroke width in pixels
    int left, top, right, bottom;  // the pixels it may reach
};

/// A stroke's centre moved so that its edges, `pixels` apart, lie between whole pixels.
float on_pixels(float v, float scale, int pixels)
{
    return std::floor(v * scale - pixels / 2.0f + 0.5f) + pixels / 2.0f;
}

Placed place(const PictureShape& s, int size)
{
    const float scale = size / design_size;
    Placed p{&s, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    float reach = 0;
    switch (s.kind) {
    case ShapeKind::Line: {
        const int w = stroke_pixels(s.width, size);
        p.half = w / 2.0f;
        p.x1 = on_pixels(s.x1, scale, w), p.y1 = on_pixels(s.y1, scale, w);
        p.x2 = on_pixels(s.x2, scale, w), p.y2 = on_pixels(s.y2, scale, w);
        reach = p.half;
        break;
    }
    case ShapeKind::Arc: {
        // The arc's extremes on whole pixels, as the lines it meets; its centre and radii follow
        // from them (x1, y1 to x2, y2 here is the rectangle the arc's centre line is round in).
        const int w = stroke_pixels(s.width, size);
        p.half = w / 2.0f;
        const float left = on_pixels(s.x1 - s.x2, scale, w), right = on_pixels(s.x1 + s.x2, scale, w);
        const float top = on_pixels(s.y1 - s.y2, scale, w), bottom = on_pixels(s.y1 + s.y2, scale, w);
        p.x1 = left, p.x2 = std::max(right, left + 1), p.y1 = top, p.y2 = std::max(bottom, top + 1);
        reach = p.half;
        break;
    }
    case ShapeKind::Box:
        p.x1 = std::round(s.x1 * scale), p.y1 = std::round(s.y1 * scale);
        p.x2 = std::round(s.x2 * scale), p.y2 = std::round(s.y2 * scale);
        p.half = s.width * scale;  // the corner radius
        break;
    case ShapeKind::Glow:
        p.x1 = s.x1 * scale, p.y1 = s.y1 * scale, p.x2 = s.x2 * scale, p.y2 = s.y2 * scale;
        p.left = static_cast<int>(std::floor(p.x1 - p.y2)), p.right = static_cast<int>(std::ceil(p.x1 + p.y2));
        p.top = static_cast<int>(std::floor(p.y1 - p.y2)), p.bottom = static_cast<int>(std::ceil(p.y1 + p.y2));
        return p;
    }
    p.left = static_cast<int>(std::floor(std::min(p.x1, p.x2) - reach)) - 1;
    p.right = static_cast<int>(std::ceil(std::max(p.x1, p.x2) + reach)) + 1;
    p.top = static_cast<int>(std::floor(std::min(p.y1, p.y2) - reach)) - 1;
    p.bottom = static_cast<int>(std::ceil(std::max(p.y1, p.y2) + reach)) + 1;
    return p;
}

float line_distance(const Placed& p, float x, float y)
{
    const float dx = p.x2 - p.x1, dy = p.y2 - p.y1;
    const float length = std::hypot(dx, dy);
    const float px = x - p.x1, py = y - p.y1;
    if (length < 1e-4f)
        return p.shape->cap == Cap::Round ? std::hypot(px, py) - p.half : std::max(std::fabs(px), std::fabs(py)) - p.half;
    const float t = (px * dx + py * dy) / length;
    const float n = std::fabs(px * dy - py * dx) / length;
    switch (p.shape->cap) {
    case Cap::Round: {
        const float along = t < 0 ? -t : t > length ? t - length : 0;
        return std::hypot(along, n) - p.half;
    }
    case Cap::Butt: return std::max(n - p.half, std::max(-t, t - length));
    case Cap::Square: break;
    }
    return std::max(n - p.half, std::max(-p.half - t, t - length - p.half));
}

/// Signed distance (negative inside) from the arc's stroke, near enough to its edges to tell a
/// pixel wholly in or out from one its edge crosses.
float arc_distance(const Placed& p, float x, float y)
{
    const float rx = (p.x2 - p.x1) / 2, ry = (p.y2 - p.y1) / 2;
    const float dx = x - (p.x1 + rx), dy = y - (p.y1 + ry);
    const float q = std::hypot(dx / rx, dy / ry);
    if (q < 1e-4f)
        return std::min(rx, ry) - p.half;
    const float gradient = std::hypot(dx / (rx * rx), dy / (ry * ry)) / q;
    const float ring = std::fabs(q - 1) / gradient - p.half;
    const float sweep = p.shape->a1 - p.shape->a0;
    if (sweep >= 360)
        return ring;
    float angle = std::atan2(dy / ry, dx / rx) * 180 / pi - p.shape->a0;
    angle -= 360 * std::floor(angle / 360);
    const float radius = q * std::min(rx, ry);
    if (angle <= sweep)
        return std::max(ring, -radius * std::sin(std::min(std::min(angle, sweep - angle), 90.0f) * pi / 180));
    const float beyond = std::min(angle - sweep, 360 - angle);
    return std::max(ring, radius * std::sin(std::min(beyond, 90.0f) * pi / 180) * std::min(rx, ry) / std::max(rx, ry));
}

float box_distance(const Placed& p, float x, float y)
{
    const float r = p.half;
    const float qx = std::fabs(x - (p.x1 + p.x2) / 2) - (p.x2 - p.x1) / 2 + r;
    const float qy = std::fabs(y - (p.y1 + p.y2) / 2) - (p.y2 - p.y1) / 2 + r;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - r;
}

float distance(const Placed& p, float x, float y)
{
    switch (p.shape->kind) {
    case ShapeKind::Line: return line_distance(p, x, y);
    case ShapeKind::Arc: return arc_distance(p, x, y);
    case ShapeKind::Box: return box_distance(p, x, y);
    case ShapeKind::Glow: return std::hypot(x - p.x1, y - p.y1) - p.y2;
    }
    return 1;
}

/// The brightness a shape gives where it lies: a glow's fades from its full radius outwards.
float brightness(const Placed& p, float x, float y)
{
    float v = p.shape->value;
    if (p.shape->kind == ShapeKind::Glow) {
        const float t = std::clamp((std::hypot(x - p.x1, y - p.y1) - p.x2) / (p.y2 - p.x2), 0.0f, 1.0f);
        v *= (1 - t) * (1 - t) * (1 + 2 * t);
    }
    return v;
}

}  // namespace

PictureDescription toolbar_picture_description(ToolbarBitmap bitmap)
{
    using B = ToolbarBitmap;
    switch (bitmap) {
    case B::IDDOF: return word(u"DOF", 16, 8);
    case B::IDF: return word(u"f/", 19.5f, 15, 2.2f);
    case B::IDFS: return stack();
    case B::IDBLUR: return blur();
    case B::IDMACRO: return word(u"M", 18.5f, 13, sign_stroke);
    case B::IDHELP1: return word(u"?", 19.5f, 15, sign_stroke);
    case B::IDCAMERA: return camera();
    case B::IDHALF: return fraction(u'2');
    case B::IDTHIRD: return fraction(u'3');
    case B::IDMM: return word(u"mm", 17, 10);
    case B::IDCM: return word(u"cm", 17, 10);
    case B::IDIN: return word(u"in", 17, 10);
    case B::IDFT: return word(u"ft", 17, 10);
    case B::IDYD: return word(u"yd", 16, 10);
    case B::IDM: return word(u"m", 17, 10);
    case B::IDSNAP: return staircase();
    case B::IDTC10: return word(u"1.0", 16.5f, 9);
    case B::IDTC14: return word(u"1.4", 16.5f, 9);
    case B::IDTC20: return word(u"2.0", 16.5f, 9);
    case B::IDPLUS: return sign(true);
    case B::IDMINUS: return sign(false);
    }
    return {};
}

int stroke_pixels(float width, int size)
{
    return std::max(1, static_cast<int>(std::floor(width * size / design_size + 0.5f)));
}

void draw_picture(std::span<const PictureShape> shapes, int size, uint8_t* out)
{
    Placed placed[max_picture_shapes];
    const int count = static_cast<int>(std::min<std::size_t>(shapes.size(), max_picture_shapes));
    for (int k = 0; k < count; ++k)
        placed[k] = place(shapes[static_cast<std::size_t>(k)], size);
    float near[max_picture_shapes];
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // At the pixel's centre: the shapes it lies in, and whether an edge crosses the pixel.
            const float cx = x + 0.5f, cy = y + 0.5f;
            bool edge = false;
            float value = 0;
            for (int k = 0; k < count; ++k) {
                const Placed& p = placed[k];
                near[k] = 1e9f;
                if (x < p.left || x >= p.right || y < p.top || y >= p.bottom)
                    continue;
                near[k] = distance(p, cx, cy);
                if (p.shape->kind != ShapeKind::Glow && std::fabs(near[k]) < 0.75f)
                    edge = true;
                if (near[k] <= 0)
                    value = brightness(p, cx, cy);
            }
            if (edge) {
                // Sixteen samples, each taking the last shape it lies in.
                value = 0;
                for (int j = 0; j < 16; ++j) {
                    const float sx = x + (j % 4 + 0.5f) / 4, sy = y + (j / 4 + 0.5f) / 4;
                    float sample = 0;
                    for (int k = 0; k < count; ++k)
                        if (near[k] < 1.5f && distance(placed[k], sx, sy) <= 0)
                            sample = brightness(placed[k], sx, sy);
                    value += sample;
                }
                value /= 16;
            }
            out[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] =
                static_cast<uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
        }
    }
}

void draw_toolbar_picture(ToolbarBitmap bitmap, int size, uint8_t* out)
{
    const PictureDescription d = toolbar_picture_description(bitmap);
    draw_picture(d.view(), size, out);
}

#include "web/web_canvas.h"

void WebCanvas::clear()
{
    ops_.clear();
    texts_.clear();
    images_.clear();
}

const uint8_t* WebCanvas::image_pixels(int index) const
{
    return index >= 0 && index < static_cast<int>(images_.size()) ? images_[static_cast<std::size_t>(index)] : nullptr;
}

void WebCanvas::put(std::initializer_list<int32_t> numbers) { ops_.insert(ops_.end(), numbers); }

int32_t WebCanvas::keep_text(std::u16string_view text)
{
    const auto start = static_cast<int32_t>(texts_.size());
    texts_.append(text);
    return start;
}

void WebCanvas::fill_rect(Rect r, Colour outline, Colour fill)
{
    put({web_op::fill_rect, r.left, r.top, r.right, r.bottom, web_colour(outline), web_colour(fill)});
}

void WebCanvas::line(int x1, int y1, int x2, int y2, Colour colour)
{
    put({web_op::line, x1, y1, x2, y2, web_colour(colour)});
}

void WebCanvas::triangle(Point a, Point b, Point c, Colour outline, Colour fill)
{
    put({web_op::triangle, a.x, a.y, b.x, b.y, c.x, c.y, web_colour(outline), web_colour(fill)});
}

void WebCanvas::text(int x, int y, std::u16string_view text, FontKind font, Colour colour)
{
    const int32_t start = keep_text(text);
    put({web_op::text, x, y, font == FontKind::Symbol ? 1 : 0, web_colour(colour), start,
         static_cast<int32_t>(text.size())});
}

void WebCanvas::text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height)
{
    const int32_t start = keep_text(text);
    put({web_op::text_in_rect, r.left, r.top, r.right, r.bottom, static_cast<int32_t>(align), web_colour(colour),
         text_height, start, static_cast<int32_t>(text.size())});
}

void WebCanvas::set_clip(Rect r) { put({web_op::set_clip, r.left, r.top, r.right, r.bottom}); }

void WebCanvas::clear_clip() { put({web_op::clear_clip}); }

void WebCanvas::image(int x, int y, int width, int height, const uint8_t* pixels, int stride)
{
    images_.push_back(pixels);
    put({web_op::image, x, y, width, height, static_cast<int32_t>(images_.size() - 1), stride});
}

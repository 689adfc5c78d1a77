#include "support/recording_canvas.h"

DrawCall& RecordingCanvas::add(CallKind kind)
{
    DrawCall& call = calls.emplace_back();
    call.kind = kind;
    call.has_clip = clipped_;
    call.clip = clip_;
    return call;
}

void RecordingCanvas::fill_rect(Rect r, Colour outline, Colour fill)
{
    DrawCall& call = add(CallKind::FillRect);
    call.rect = r;
    call.colour = outline;
    call.fill = fill;
}

void RecordingCanvas::line(int x1, int y1, int x2, int y2, Colour colour)
{
    DrawCall& call = add(CallKind::Line);
    call.a = {x1, y1};
    call.b = {x2, y2};
    call.colour = colour;
}

void RecordingCanvas::triangle(Point a, Point b, Point c, Colour outline, Colour fill)
{
    DrawCall& call = add(CallKind::Triangle);
    call.a = a;
    call.b = b;
    call.c = c;
    call.colour = outline;
    call.fill = fill;
}

void RecordingCanvas::text(int x, int y, std::u16string_view text, FontKind font, Colour colour)
{
    DrawCall& call = add(CallKind::Text);
    call.a = {x, y};
    call.text = text;
    call.font = font;
    call.colour = colour;
}

void RecordingCanvas::text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height)
{
    DrawCall& call = add(CallKind::TextInRect);
    call.rect = r;
    call.text = text;
    call.align = align;
    call.colour = colour;
    call.text_height = text_height;
}

void RecordingCanvas::set_clip(Rect r)
{
    DrawCall& call = add(CallKind::SetClip);
    call.rect = r;
    clipped_ = true;
    clip_ = r;
}

void RecordingCanvas::clear_clip()
{
    add(CallKind::ClearClip);
    clipped_ = false;
    clip_ = {};
}

void RecordingCanvas::image(int x, int y, int width, int height, const uint8_t* pixels, int stride)
{
    DrawCall& call = add(CallKind::Image);
    call.rect = {x, y, x + width, y + height};
    call.pixels.reserve(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height > 0 ? height : 0));
    for (int row = 0; row < height; ++row) {
        const uint8_t* p = pixels + static_cast<std::ptrdiff_t>(row) * stride;
        call.pixels.insert(call.pixels.end(), p, p + width * 3);
    }
}

std::vector<DrawCall> RecordingCanvas::of_kind(CallKind kind) const
{
    std::vector<DrawCall> out;
    for (const DrawCall& call : calls)
        if (call.kind == kind)
            out.push_back(call);
    return out;
}

std::vector<DrawCall> RecordingCanvas::horizontal_lines(int x1, int x2) const
{
    std::vector<DrawCall> out;
    for (const DrawCall& call : calls)
        if (call.kind == CallKind::Line && call.a.x == x1 && call.b.x == x2 && call.a.y == call.b.y)
            out.push_back(call);
    return out;
}

std::vector<DrawCall> RecordingCanvas::texts(std::u16string_view text) const
{
    std::vector<DrawCall> out;
    for (const DrawCall& call : calls)
        if (call.kind == CallKind::Text && call.text == text)
            out.push_back(call);
    return out;
}

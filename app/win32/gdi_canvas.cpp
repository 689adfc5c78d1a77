#include "app/win32/gdi_canvas.h"

#include <algorithm>
#include <array>

namespace {

COLORREF colour_ref(Colour c) { return RGB(c.red, c.green, c.blue); }

constexpr char16_t symbol_infinity = u'\uF0A5';
constexpr char16_t unicode_infinity = u'\u221E';

const wchar_t* wide_data(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

}  // namespace

GdiCanvas::GdiCanvas(HDC dc, GdiFonts& fonts)
    : dc_(dc),
      fonts_(fonts),
      old_pen_(SelectObject(dc, GetStockObject(DC_PEN))),
      old_brush_(SelectObject(dc, GetStockObject(DC_BRUSH))),
      old_font_(SelectObject(dc, fonts.text_font() ? static_cast<HGDIOBJ>(fonts.text_font())
                                                   : GetStockObject(DEFAULT_GUI_FONT))),
      old_background_mode_(SetBkMode(dc, TRANSPARENT)),
      old_text_colour_(GetTextColor(dc)),
      current_font_(fonts.text_font())
{
}

GdiCanvas::~GdiCanvas()
{
    SelectClipRgn(dc_, nullptr);
    SetTextColor(dc_, old_text_colour_);
    SetBkMode(dc_, old_background_mode_);
    SelectObject(dc_, old_font_);
    SelectObject(dc_, old_brush_);
    SelectObject(dc_, old_pen_);
}

void GdiCanvas::pen(Colour c) { SetDCPenColor(dc_, colour_ref(c)); }
void GdiCanvas::brush(Colour c) { SetDCBrushColor(dc_, colour_ref(c)); }

void GdiCanvas::font(HFONT f)
{
    if (f != nullptr && f != current_font_) {
        SelectObject(dc_, f);
        current_font_ = f;
    }
}

void GdiCanvas::fill_rect(Rect r, Colour outline, Colour fill)
{
    pen(outline);
    brush(fill);
    Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void GdiCanvas::line(int x1, int y1, int x2, int y2, Colour colour)
{
    pen(colour);
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
}

void GdiCanvas::triangle(Point a, Point b, Point c, Colour outline, Colour fill)
{
    pen(outline);
    brush(fill);
    const POINT points[3] = {{a.x, a.y}, {b.x, b.y}, {c.x, c.y}};
    Polygon(dc_, points, 3);
}

void GdiCanvas::text(int x, int y, std::u16string_view text, FontKind kind, Colour colour)
{
    SetTextColor(dc_, colour_ref(colour));
    if (kind == FontKind::Symbol && !fonts_.symbol_has_infinity()) {
        // The symbol font of this system has no infinity glyph: the text font's own infinity
        // sign takes its place.
        std::array<wchar_t, 64> replaced{};
        std::size_t n = 0;
        for (; n < text.size() && n < replaced.size(); ++n) {
            replaced[n] = static_cast<wchar_t>(text[n] == symbol_infinity ? unicode_infinity : text[n]);
        }
        font(fonts_.text_font());
        TextOutW(dc_, x, y, replaced.data(), static_cast<int>(n));
        return;
    }
    font(kind == FontKind::Symbol ? fonts_.symbol_font() : fonts_.text_font());
    TextOutW(dc_, x, y, wide_data(text), static_cast<int>(text.size()));
    font(fonts_.text_font());
}

void GdiCanvas::text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height)
{
    SetTextColor(dc_, colour_ref(colour));
    font(fonts_.text_font_of(text_height));
    RECT rect{r.left, r.top, r.right, r.bottom};
    const UINT flags = align == TextAlign::Centre ? DT_CENTER : align == TextAlign::Right ? DT_RIGHT : DT_LEFT;
    DrawTextW(dc_, wide_data(text), static_cast<int>(text.size()), &rect, flags);
    font(fonts_.text_font());
}

void GdiCanvas::set_clip(Rect r)
{
    RegionHandle region(CreateRectRgn(r.left, r.top, r.right, r.bottom));
    SelectClipRgn(dc_, region.get());  // the device context keeps its own copy
}

void GdiCanvas::clear_clip() { SelectClipRgn(dc_, nullptr); }

void GdiCanvas::image(int x, int y, int width, int height, const uint8_t* pixels, int stride)
{
    if (width <= 0 || height <= 0 || pixels == nullptr) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int dib_stride = (width * 3 + 3) & ~3;
    if (stride == dib_stride) {
        info.bmiHeader.biHeight = -height;  // top row first
        SetDIBitsToDevice(dc_, x, y, width, height, 0, 0, 0, height, pixels, &info, DIB_RGB_COLORS);
        return;
    }
    // Rows laid out otherwise than a DIB's go one at a time, each copied into a DIB row.
    if (stride < width * 3) return;
    row_buffer_.resize(static_cast<std::size_t>(dib_stride));
    info.bmiHeader.biHeight = -1;
    for (int row = 0; row < height; ++row) {
        const uint8_t* source = pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride);
        std::copy(source, source + width * 3, row_buffer_.begin());
        SetDIBitsToDevice(dc_, x, y + row, width, 1, 0, 0, 0, 1, row_buffer_.data(), &info, DIB_RGB_COLORS);
    }
}

// The Canvas of the portable drawing code on a GDI device context. Pens and brushes are the
// device context's own colour objects (DC_PEN, DC_BRUSH), so no drawing call creates a GDI object.
#pragma once

#include <vector>

#include "app/win32/gdi.h"
#include "app/win32/gdi_fonts.h"
#include "display/canvas.h"

class GdiCanvas final : public Canvas {
public:
    /// Draws on `dc` with the fonts of `fonts` (already made for the text height in use).
    GdiCanvas(HDC dc, GdiFonts& fonts);
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;
    ~GdiCanvas() override;

    void fill_rect(Rect r, Colour outline, Colour fill) override;
    void line(int x1, int y1, int x2, int y2, Colour colour) override;
    void triangle(Point a, Point b, Point c, Colour outline, Colour fill) override;
    void text(int x, int y, std::u16string_view text, FontKind font, Colour colour) override;
    void text_in_rect(Rect r, std::u16string_view text, TextAlign align, Colour colour, int text_height) override;
    void set_clip(Rect r) override;
    void clear_clip() override;
    void image(int x, int y, int width, int height, const uint8_t* pixels, int stride) override;

private:
    void pen(Colour c);
    void brush(Colour c);
    void font(HFONT f);

    HDC dc_;
    GdiFonts& fonts_;
    HGDIOBJ old_pen_;
    HGDIOBJ old_brush_;
    HGDIOBJ old_font_;
    int old_background_mode_;
    COLORREF old_text_colour_;
    HFONT current_font_ = nullptr;
    std::vector<uint8_t> row_buffer_;
};

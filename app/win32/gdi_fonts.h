// The program's two fonts for one text height: the text font ("Calibri") and the symbol font
// ("Symbol", used only for the infinity sign), and GDI text measurement with them.
#pragma once

#include "app/win32/gdi.h"
#include "display/canvas.h"

class GdiFonts {
public:
    /// Makes both fonts for `text_height` (the cell height; 0 = the default height) unless they
    /// already are of that height.
    void use_height(int text_height);
    int height() const { return height_; }
    HFONT text_font() const { return text_.get(); }
    HFONT symbol_font() const { return symbol_.get(); }
    /// Whether the symbol font really has a glyph for U+F0A5; when not, the infinity sign is
    /// drawn as U+221E in the text font.
    bool symbol_has_infinity() const { return symbol_has_infinity_; }
    void release();

private:
    int height_ = -1;
    FontHandle text_;
    FontHandle symbol_;
    bool symbol_has_infinity_ = false;
};

/// Measures with the fonts of `fonts` on a screen device context.
class GdiTextMeasure final : public TextMeasure {
public:
    explicit GdiTextMeasure(GdiFonts& fonts) : fonts_(fonts) {}
    int line_height(int text_height) override;
    int text_width(int text_height, std::u16string_view text) override;

private:
    GdiFonts& fonts_;
};

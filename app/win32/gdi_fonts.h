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
    /// The text font when `text_height` is the height in use; otherwise the same face at that
    /// height, from a few fonts kept for the heights asked for last (a caption row made smaller to
    /// fit asks for the same height frame after frame). The fonts in use are left as they are.
    HFONT text_font_of(int text_height);
    /// Whether the symbol font really has a glyph for U+F0A5; when not, the infinity sign is
    /// drawn as U+221E in the text font.
    bool symbol_has_infinity() const { return symbol_has_infinity_; }
    void release();

private:
    int height_ = -1;
    FontHandle text_;
    FontHandle symbol_;
    bool symbol_has_infinity_ = false;
    struct OtherHeight {
        int height = -1;
        FontHandle font;
    };
    static constexpr int other_height_count = 4;
    OtherHeight other_[other_height_count];
    int next_other_ = 0;
};

/// Measures with the fonts of `fonts` on a screen device context.
class GdiTextMeasure final : public TextMeasure {
public:
    explicit GdiTextMeasure(GdiFonts& fonts) : fonts_(fonts) {}
    /// Makes the fonts of `text_height` the ones in use.
    int line_height(int text_height) override;
    /// Measures with text_font_of(text_height), leaving the fonts in use as they are.
    int text_width(int text_height, std::u16string_view text) override;

private:
    GdiFonts& fonts_;
};

#include "app/win32/gdi_fonts.h"

#include <cwchar>

#include "app/win32/wide.h"

namespace {

HFONT make_font(int height, const wchar_t* face)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

bool has_glyph(HFONT font, wchar_t character)
{
    WindowDc screen(nullptr);
    Selection select(screen.get(), font);
    WORD index = 0xFFFF;
    const wchar_t text[2] = {character, 0};
    if (GetGlyphIndicesW(screen.get(), text, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) return false;
    return index != 0xFFFF;
}

}  // namespace

void GdiFonts::use_height(int text_height)
{
    if (text_height == height_ && text_ && symbol_) return;
    text_.reset(make_font(text_height, L"Calibri"));
    symbol_.reset(make_font(text_height, L"Symbol"));
    symbol_has_infinity_ = symbol_ && has_glyph(symbol_.get(), 0xF0A5);
    height_ = text_height;
}

HFONT GdiFonts::text_font_of(int text_height)
{
    if (text_height == height_ && text_) return text_.get();
    for (OtherHeight& other : other_)
        if (other.height == text_height && other.font) return other.font.get();
    OtherHeight& slot = other_[next_other_];
    next_other_ = (next_other_ + 1) % other_height_count;
    slot.font.reset(make_font(text_height, L"Calibri"));
    slot.height = text_height;
    return slot.font.get();
}

void GdiFonts::release()
{
    text_.reset();
    symbol_.reset();
    height_ = -1;
    for (OtherHeight& other : other_) {
        other.font.reset();
        other.height = -1;
    }
}

int GdiTextMeasure::line_height(int text_height)
{
    fonts_.use_height(text_height);
    WindowDc screen(nullptr);
    Selection select(screen.get(), fonts_.text_font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    return metrics.tmHeight;
}

int GdiTextMeasure::text_width(int text_height, std::u16string_view text)
{
    WindowDc screen(nullptr);
    Selection select(screen.get(), fonts_.text_font_of(text_height));
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                          &size);
    return size.cx;
}

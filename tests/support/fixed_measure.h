// A TextMeasure with fixed metrics for tests and benchmarks: the line height is the text height
// (16 for the default height 0) and every character is the same width.
#pragma once

#include "display/canvas.h"

class FixedMeasure : public TextMeasure {
public:
    explicit FixedMeasure(int char_width = 7, int default_height = 16)
        : char_width_(char_width), default_height_(default_height)
    {
    }
    int line_height(int text_height) override { return text_height > 0 ? text_height : default_height_; }
    int text_width(int, std::u16string_view text) override { return static_cast<int>(text.size()) * char_width_; }

private:
    int char_width_;
    int default_height_;
};

/// A TextMeasure with the proportions of a typical proportional screen font: the line height is
/// the text height (16 for the default height 0), the em is the line height / 1.22, and characters
/// have their own widths (digits half an em, "m" four fifths, a space under a quarter), so texts
/// grow with the height and "mm" is wider than two digits, as on the screen.
class ProportionalMeasure : public TextMeasure {
public:
    int line_height(int text_height) override { return text_height > 0 ? text_height : 16; }
    int text_width(int text_height, std::u16string_view text) override
    {
        double ems = 0;
        for (char16_t c : text)
            ems += em_width(c);
        return static_cast<int>(ems * line_height(text_height) / 1.22 + 0.5);
    }

private:
    static double em_width(char16_t c)
    {
        if (c >= u'0' && c <= u'9')
            return 0.507;
        switch (c) {
        case u' ': return 0.226;
        case u'.': case u',': return 0.252;
        case u':': return 0.268;
        case u'm': return 0.799;
        case u'w': return 0.715;
        case u'i': case u'l': return 0.229;
        case u'f': return 0.305;
        case u't': return 0.335;
        case u'r': return 0.349;
        case u'/': return 0.386;
        case u'X': return 0.519;
        default: return 0.5;
        }
    }
};

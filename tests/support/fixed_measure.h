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

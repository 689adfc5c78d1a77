// Buffers that painting reuses from frame to frame: the details panel and caption texts, the
// blur of every distance-scale row and the blur strip's pixels. The row buffers grow with the
// scale's height and never shrink, so once warm a frame allocates nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "display/blur_strip.h"
#include "text/caption_text.h"
#include "text/panel_text.h"

class PaintScratch {
public:
    /// The texts of the current frame (too large to live on the stack).
    PanelText panel;
    CaptionTexts captions;

    /// The row blurs of an n-row scale, or an empty span when memory runs out.
    std::span<double> row_blur(int rows);
    /// The strip pixels of an n-row scale (rows of `stride` bytes), or empty when memory runs out.
    std::span<uint8_t> strip(int rows, int stride = strip_stride);

private:
    std::unique_ptr<double[]> row_blur_;
    int row_blur_rows_ = 0;
    std::unique_ptr<uint8_t[]> strip_;
    std::size_t strip_bytes_ = 0;
};

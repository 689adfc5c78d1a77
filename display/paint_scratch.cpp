#include "display/paint_scratch.h"

#include <new>

#include "display/blur_strip.h"

std::span<double> PaintScratch::row_blur(int rows)
{
    if (rows <= 0)
        return {};
    if (rows > row_blur_rows_) {
        row_blur_.reset(new (std::nothrow) double[static_cast<std::size_t>(rows)]);
        row_blur_rows_ = row_blur_ ? rows : 0;
        if (!row_blur_)
            return {};
    }
    return {row_blur_.get(), static_cast<std::size_t>(rows)};
}

std::span<uint8_t> PaintScratch::strip(int rows)
{
    if (rows <= 0)
        return {};
    if (rows > strip_rows_) {
        strip_.reset(new (std::nothrow) uint8_t[static_cast<std::size_t>(rows) * strip_stride]);
        strip_rows_ = strip_ ? rows : 0;
        if (!strip_)
            return {};
    }
    return {strip_.get(), static_cast<std::size_t>(rows) * strip_stride};
}

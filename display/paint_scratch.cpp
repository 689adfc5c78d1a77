#include "display/paint_scratch.h"

#include <new>

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

std::span<uint8_t> PaintScratch::strip(int rows, int stride)
{
    if (rows <= 0 || stride <= 0)
        return {};
    const std::size_t bytes = static_cast<std::size_t>(rows) * static_cast<std::size_t>(stride);
    if (bytes > strip_bytes_) {
        strip_.reset(new (std::nothrow) uint8_t[bytes]);
        strip_bytes_ = strip_ ? bytes : 0;
        if (!strip_)
            return {};
    }
    return {strip_.get(), bytes};
}

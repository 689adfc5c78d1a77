#include "app/win32/toolbar_pictures.h"

#include "app/toolbar_pictures.h"

HBITMAP ToolbarPictures::picture(ToolbarBitmap bitmap, int size)
{
    const auto index = static_cast<std::size_t>(bitmap);
    if (index >= drawn_.size() || size <= 0) return nullptr;
    if (sizes_[index] != size || !drawn_[index]) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size;
        info.bmiHeader.biHeight = -size;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        drawn_[index].reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        sizes_[index] = size;
        if (!drawn_[index] || bits == nullptr) return nullptr;
        brightness_.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
        draw_toolbar_picture(bitmap, size, brightness_.data());
        const int stride = (size * 3 + 3) / 4 * 4;
        auto* rows = static_cast<uint8_t*>(bits);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                uint8_t* pixel = rows + static_cast<std::ptrdiff_t>(y) * stride + x * 3;
                pixel[0] = pixel[1] = pixel[2] = brightness_[static_cast<std::size_t>(y * size + x)];
            }
        GdiFlush();
    }
    return drawn_[index].get();
}

void ToolbarPictures::release()
{
    for (BitmapHandle& b : drawn_) b.reset();
    sizes_ = {};
}

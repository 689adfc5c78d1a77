#include "app/win32/toolbar_pictures.h"

#include "app/toolbar_logic.h"
#include "app/win32/wide.h"

namespace {

/// A top-down 24-bit device-independent bitmap header of a square picture.
BITMAPINFO square_header(int size)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

void ToolbarPictures::load(HINSTANCE instance)
{
    WindowDc screen(nullptr);
    for (int i = 0; i < toolbar_bitmap_count; ++i) {
        const std::u16string_view name = bitmap_resource_name(static_cast<ToolbarBitmap>(i));
        BitmapHandle resource(static_cast<HBITMAP>(LoadImageW(instance, wide(name.data()), IMAGE_BITMAP, 0, 0, 0)));
        if (!resource) continue;
        BITMAPINFO info = square_header(art_size);
        GetDIBits(screen.get(), resource.get(), 0, art_size, art_[static_cast<std::size_t>(i)].data(), &info,
                  DIB_RGB_COLORS);
    }
    size_ = 0;
}

HBITMAP ToolbarPictures::picture(ToolbarBitmap bitmap, int size)
{
    const auto index = static_cast<std::size_t>(bitmap);
    if (index >= art_.size() || size <= 0) return nullptr;
    if (size != size_) {
        const int stride = (size * 3 + 3) / 4 * 4;
        for (std::size_t i = 0; i < art_.size(); ++i) {
            BITMAPINFO info = square_header(size);
            void* bits = nullptr;
            scaled_[i].reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
            if (scaled_[i] && bits != nullptr) {
                scale_picture(art_[i].data(), art_size, art_stride, static_cast<uint8_t*>(bits), size, stride, 3);
                GdiFlush();
            }
        }
        size_ = size;
    }
    return scaled_[index].get();
}

void ToolbarPictures::release()
{
    for (BitmapHandle& b : scaled_) b.reset();
    size_ = 0;
}

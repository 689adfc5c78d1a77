#include "app/win32/gdi.h"

HDC BackBuffer::prepare(HDC screen, int width, int height)
{
    width = width < 1 ? 1 : width;
    height = height < 1 ? 1 : height;
    if (dc_ != nullptr && width <= width_ && height <= height_) return dc_;
    release();
    dc_ = CreateCompatibleDC(screen);
    bitmap_.reset(CreateCompatibleBitmap(screen, width, height));
    if (dc_ == nullptr || !bitmap_) {
        release();
        return nullptr;
    }
    previous_ = SelectObject(dc_, bitmap_.get());
    width_ = width;
    height_ = height;
    return dc_;
}

void BackBuffer::release()
{
    if (dc_ != nullptr) {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    dc_ = nullptr;
    previous_ = nullptr;
    bitmap_.reset();
    width_ = height_ = 0;
}

// The toolbar buttons' pictures at the size the layout asks for, drawn from their vector
// descriptions into device-independent bitmaps, each remade only when its size changes.
#pragma once

#include "app/win32/win.h"

#include <array>
#include <vector>

#include "app/toolbars.h"
#include "app/win32/gdi.h"

class ToolbarPictures {
public:
    /// The picture `size` pixels square.
    HBITMAP picture(ToolbarBitmap bitmap, int size);
    void release();

private:
    std::array<BitmapHandle, toolbar_bitmap_count> drawn_;
    std::array<int, toolbar_bitmap_count> sizes_{};
    std::vector<uint8_t> brightness_;
};

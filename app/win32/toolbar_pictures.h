// The toolbar buttons' pictures at the size the layout asks for: the 24 x 24 pixel art of the
// resources, scaled by whole art pixels, remade only when the size changes.
#pragma once

#include "app/win32/win.h"

#include <array>
#include <cstdint>
#include <vector>

#include "app/toolbars.h"
#include "app/win32/gdi.h"

class ToolbarPictures {
public:
    /// Reads every picture's pixels from the program's bitmap resources.
    void load(HINSTANCE instance);
    /// The picture `size` pixels square; every picture is remade at a new size.
    HBITMAP picture(ToolbarBitmap bitmap, int size);
    void release();

private:
    static constexpr int art_size = toolbar_button_size;
    static constexpr int art_stride = art_size * 3;
    /// Blue, green, red rows, top row first, of every picture.
    std::array<std::array<uint8_t, art_stride * art_size>, toolbar_bitmap_count> art_{};
    std::array<BitmapHandle, toolbar_bitmap_count> scaled_;
    int size_ = 0;
};

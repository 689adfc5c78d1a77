// qel-paint-ops FILE WIDTH HEIGHT [TOUCH]: loads a settings file as Qel does, lays the page out at
// that size (side by side or in portrait, for a touch screen when TOUCH is 1) and prints the frame's drawing calls as the web page receives them, measured with a font
// simple enough for the page's own test to copy (the line height is the text height, 16 for the
// default; a character is half that wide). The web test prints the same from qel.wasm and compares.
// qel-paint-ops --picture NAME SIZE: the toolbar picture NAME ("IDDOF" ...) SIZE pixels square as a
// binary PGM, for the end-to-end tests to compare with the buttons on the screen.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/text_height.h"
#include "app/toolbar_pictures.h"
#include "calc/recompute.h"
#include "cameras/settings_file.h"
#include "cameras/standard_settings_files.h"
#include "display/paint.h"
#include "text/utf8.h"
#include "web/web_canvas.h"

namespace {

class HalfHeightMeasure final : public TextMeasure {
public:
    int line_height(int h) override { return h > 0 ? h : 16; }
    int text_width(int h, std::u16string_view text) override
    {
        return static_cast<int>(text.size()) * (line_height(h) / 2);
    }
};

/// FNV-1a over an image's pixels, row by row.
uint64_t pixel_hash(const uint8_t* pixels, int width, int height, int stride)
{
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < height; ++row) {
        for (int i = 0; i < width * 3; ++i) {
            hash ^= pixels[row * stride + i];
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--picture") {
        int picture = 0;
        while (picture < toolbar_bitmap_count && bitmap_resource_name(static_cast<ToolbarBitmap>(picture)) != utf8_to_utf16(argv[2]))
            ++picture;
        const int size = std::atoi(argv[3]);
        if (picture == toolbar_bitmap_count || size <= 0 || size > 1024)
            return 2;
        std::string pixels(static_cast<std::size_t>(size * size), '\0');
        draw_toolbar_picture(static_cast<ToolbarBitmap>(picture), size, reinterpret_cast<uint8_t*>(pixels.data()));
        return std::printf("P5 %d %d 255\n", size, size) < 0 || std::fwrite(pixels.data(), 1, pixels.size(), stdout) != pixels.size();
    }
    if (argc != 4 && argc != 5) {
        std::fputs("usage: qel-paint-ops FILE WIDTH HEIGHT [TOUCH]\n", stderr);
        return 2;
    }
    CalcState state;
    auto cameras = std::make_unique<CameraTable>();
    StandardSettingsFiles files;
    load_settings(utf8_to_utf16(argv[1]), state, *cameras, files);
    derive_camera_values(*cameras);
    recompute(state, current_camera(*cameras), true);

    HalfHeightMeasure measure;
    ScaleGeometry geometry;
    LayoutLimits limits;
    limits.client_width = std::atoi(argv[2]);
    limits.client_height = std::atoi(argv[3]);
    limits.touch = argc == 5 && std::atoi(argv[4]) == 1;
    limits.page = true;
    choose_scrolled_layout(geometry, measure, limits);
    const int text_height = geometry.text_height;
    PaintScratch scratch;
    WebCanvas canvas;
    paint(canvas, measure, state, current_camera(*cameras), geometry, scratch);

    std::printf("height %d\nops", text_height);
    const auto& ops = canvas.ops();
    for (std::size_t i = 0; i < ops.size(); ++i)
        std::printf(" %d", ops[i]);
    std::printf("\ntexts");
    for (const char16_t c : canvas.texts())
        std::printf(" %d", static_cast<int>(c));
    std::printf("\nimages");
    for (std::size_t i = 0; i < ops.size();) {
        const int32_t op = ops[i];
        if (op == web_op::image) {
            std::printf(" %016llx", static_cast<unsigned long long>(pixel_hash(
                canvas.image_pixels(ops[i + 5]), ops[i + 3], ops[i + 4], ops[i + 6])));
        }
        static constexpr int sizes[] = {0, 7, 6, 9, 7, 10, 5, 1, 7};
        i += op > 0 && op <= 8 ? sizes[op] : ops.size();
    }
    std::printf("\n");
    return 0;
}

// Sizes from a screen's density: the pixel scale, the smallest text and window, the layout a
// window gets on a screen of another density (what it does on WM_DPICHANGED), and the toolbar
// pictures and hit tests at those sizes.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/text_height.h"
#include "app/toolbar_logic.h"
#include "calc/recompute.h"
#include "display/paint.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"
#include "support/recording_canvas.h"

namespace {

TEST(PixelScale, FromTheDensityInHalfStepsAndFromTheText)
{
    const struct {
        int dpi, text, halves, readable, window_height;
    } cases[] = {
        {0, 0, 2, 8, 400},      {96, 16, 2, 8, 400},    {119, 16, 2, 10, 496},  {120, 16, 3, 10, 500},
        {144, 16, 3, 12, 600},  {168, 16, 4, 14, 700},  {192, 16, 4, 16, 800},  {96, 44, 2, 8, 400},
        {96, 45, 3, 8, 400},    {96, 60, 4, 8, 400},    {192, 92, 6, 16, 800},  {96, 255, 8, 8, 400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layout_scale_halves(c.text, c.dpi), c.halves) << c.dpi << " dpi, text " << c.text;
        EXPECT_EQ(readable_text_height(c.dpi), c.readable) << c.dpi;
        EXPECT_EQ(minimum_window_height(c.dpi), c.window_height) << c.dpi;
    }
}

TEST(PixelScale, AWindowOnAScreenOfAnotherDensityGetsThatDensitysLayout)
{
    // On WM_DPICHANGED the window lays its client out again for the new density, as a window
    // started there would be: buttons, strip and markers at that screen's scale.
    const struct {
        int dpi, button, pitch, border, strip, marker;
    } sizes[] = {{96, 24, 27, 1, 65, 8}, {120, 36, 41, 2, 97, 12}, {192, 48, 54, 2, 129, 16}};
    const Camera camera = hand_default_camera();
    CalcState state;
    recompute(state, camera, true);
    FixedMeasure measure(7);
    ScaleGeometry moved;
    for (const auto& s : sizes) {
        choose_text_height(moved, measure, 1200, 1000, s.dpi);
        ScaleGeometry fresh;
        choose_text_height(fresh, measure, 1200, 1000, s.dpi);
        EXPECT_EQ(moved.text_height, fresh.text_height) << s.dpi;
        EXPECT_EQ(column(moved, Column::Details).column, column(fresh, Column::Details).column) << s.dpi;
        EXPECT_EQ((std::array{moved.toolbar_button, moved.toolbar_pitch, moved.toolbar_border, moved.strip_width}),
                  (std::array{s.button, s.pitch, s.border, s.strip})) << s.dpi;
        EXPECT_EQ(moved.name_line_top, moved.u + s.pitch + 2 * s.border + scaled(moved, 5) + s.button + moved.u);
        PaintScratch scratch;
        RecordingCanvas canvas;
        paint(canvas, measure, state, camera, moved, scratch);
        const DrawCall lens = canvas.of_kind(CallKind::Triangle).front();  // the lens marker
        EXPECT_EQ(lens.c.x - lens.a.x, s.marker) << s.dpi;
        EXPECT_EQ(lens.b.y - lens.a.y, s.marker) << s.dpi;
        EXPECT_EQ(canvas.of_kind(CallKind::Image).front().rect.right - moved.strip_left, s.strip) << s.dpi;
    }
}

TEST(ToolbarPictures, ScaledByWholeArtPixelsAndHitAtTheirSize)
{
    // A 24 x 24 picture whose every pixel differs: its own column and row number.
    std::array<uint8_t, 24 * 24 * 3> picture{};
    for (int i = 0; i < 24 * 24; ++i) {
        picture[static_cast<std::size_t>(i) * 3] = static_cast<uint8_t>(i % 24);
        picture[static_cast<std::size_t>(i) * 3 + 1] = static_cast<uint8_t>(i / 24);
    }
    for (const int size : {24, 36, 48, 60}) {
        const int stride = (size * 3 + 3) / 4 * 4;
        std::vector<uint8_t> out(static_cast<std::size_t>(stride * size));
        scale_picture(picture.data(), 24, 24 * 3, out.data(), size, stride, 3);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                ASSERT_EQ(out[static_cast<std::size_t>(y * stride + x * 3)], x * 24 / size) << size;
                ASSERT_EQ(out[static_cast<std::size_t>(y * stride + x * 3 + 1)], y * 24 / size) << size;
            }
    }
    // Buttons of 36 with a border of 2, 41 apart: each button's edge pixels are inside it.
    const ToolbarMetrics large{36, 41, 2};
    for (const auto& [x, hit, hover] : {std::array{1, -1, 0}, {2, 0, 0}, {38, 0, 0}, {39, -1, 0}, {41, -1, 1},
                                       {43, 1, 1}, {79, 1, 1}, {83, -1, -1}}) {
        EXPECT_EQ(hit_button(x, 10, large, 2, 1), hit) << x;
        EXPECT_EQ(hover_cell(x, 10, large, 2, 1), hover) << x;
    }
}

}  // namespace

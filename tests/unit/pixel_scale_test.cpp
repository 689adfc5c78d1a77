// Sizes from a screen's density: the pixel scale of pictures, markers, ticks and strip, the
// smallest text and window, the layout a window gets when it moves to a screen of another
// density, and the toolbar pictures and hit tests at those sizes.
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
        int dpi, halves, readable, window_height;
    } screens[] = {
        {0, 2, 8, 400},      {72, 2, 6, 300},    {96, 2, 8, 400},    {119, 2, 10, 496},  {120, 3, 10, 500},
        {144, 3, 12, 600},   {167, 3, 14, 696},  {168, 4, 14, 700},  {192, 4, 16, 800},  {288, 6, 24, 1200},
        {1000, 8, 83, 4167},
    };
    for (const auto& s : screens) {
        EXPECT_EQ(dpi_scale_halves(s.dpi), s.halves) << s.dpi;
        EXPECT_EQ(readable_text_height(s.dpi), s.readable) << s.dpi;
        EXPECT_EQ(minimum_window_height(s.dpi), s.window_height) << s.dpi;
    }
    const struct {
        int text, dpi, halves;
    } layouts[] = {
        {0, 96, 2}, {16, 96, 2}, {44, 96, 2}, {45, 96, 3}, {60, 96, 4}, {90, 96, 6}, {255, 96, 8},
        {16, 144, 3}, {16, 192, 4}, {89, 192, 5}, {92, 192, 6},
    };
    for (const auto& l : layouts)
        EXPECT_EQ(layout_scale_halves(l.text, l.dpi), l.halves) << l.text << " at " << l.dpi;
    EXPECT_EQ(scale_pixels(8, 2), 8);
    EXPECT_EQ(scale_pixels(5, 3), 8);  // 7.5 rounds up
    EXPECT_EQ(scale_pixels(27, 3), 41);
}

TEST(PixelScale, AWindowMovedToAnotherDensityGetsThatDensitysLayout)
{
    // What the window does on WM_DPICHANGED: lay out its (suggested) client again at the new
    // density. The result is the same as a window that started there.
    const struct {
        int dpi, button, pitch, border, strip, marker;
    } sizes[] = {
        {96, 24, 27, 1, 65, 8},
        {120, 36, 41, 2, 97, 12},
        {144, 36, 41, 2, 97, 12},
        {192, 48, 54, 2, 129, 16},
    };
    const Camera camera = hand_default_camera();
    CalcState state;
    recompute(state, camera, true);
    FixedMeasure measure(7);
    ScaleGeometry moved;
    choose_text_height(moved, measure, 1200, 1000, 96);
    for (const auto& s : sizes) {
        choose_text_height(moved, measure, 1200, 1000, s.dpi);
        ScaleGeometry fresh;
        choose_text_height(fresh, measure, 1200, 1000, s.dpi);
        EXPECT_EQ(moved.text_height, fresh.text_height) << s.dpi;
        for (int c = 0; c < column_count; ++c) {
            EXPECT_EQ(moved.columns[c].column, fresh.columns[c].column) << s.dpi;
            EXPECT_EQ(moved.columns[c].scale, fresh.columns[c].scale) << s.dpi;
        }
        EXPECT_EQ(moved.toolbar_button, s.button) << s.dpi;
        EXPECT_EQ(moved.toolbar_pitch, s.pitch) << s.dpi;
        EXPECT_EQ(moved.toolbar_border, s.border) << s.dpi;
        EXPECT_EQ(moved.strip_width, s.strip) << s.dpi;
        EXPECT_EQ(moved.distance_line_x - moved.strip_left, s.strip) << s.dpi;
        EXPECT_GE(moved.text_height, readable_text_height(s.dpi)) << s.dpi;
        // The first row of toolbars, a small gap, the second row, and the captions below it.
        EXPECT_EQ(moved.toolbar_row_top, moved.u + s.pitch + 2 * s.border + scaled(moved, 5)) << s.dpi;
        EXPECT_EQ(moved.name_line_top, moved.toolbar_row_top + s.button + moved.u) << s.dpi;

        // The markers at that size, pointing at their scale lines.
        PaintScratch scratch;
        RecordingCanvas canvas;
        paint(canvas, measure, state, camera, moved, scratch);
        const int lens_left = column(moved, Column::Lens).scale.left;
        int markers = 0;
        for (const DrawCall& t : canvas.of_kind(CallKind::Triangle)) {
            if (t.a.x != lens_left)
                continue;
            ++markers;
            EXPECT_EQ(t.c.x - t.a.x, s.marker) << s.dpi;
            EXPECT_EQ(t.b.y - t.a.y, s.marker) << s.dpi;
        }
        EXPECT_EQ(markers, 1) << s.dpi;
        // The strip image is as wide as the strip.
        const std::vector<DrawCall> images = canvas.of_kind(CallKind::Image);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].rect.right - images[0].rect.left, s.strip) << s.dpi;
    }
}

TEST(ToolbarPictures, ScaledByWholeArtPixels)
{
    // A 24 x 24 picture whose every pixel differs: its own column and row number.
    constexpr int art = 24;
    std::array<uint8_t, art * art * 3> picture{};
    for (int y = 0; y < art; ++y)
        for (int x = 0; x < art; ++x) {
            picture[(y * art + x) * 3] = static_cast<uint8_t>(x);
            picture[(y * art + x) * 3 + 1] = static_cast<uint8_t>(y);
            picture[(y * art + x) * 3 + 2] = 7;
        }
    for (const int size : {24, 36, 48, 60}) {
        const int stride = (size * 3 + 3) / 4 * 4;
        std::vector<uint8_t> out(static_cast<std::size_t>(stride * size), 0xEE);
        scale_picture(picture.data(), art, art * 3, out.data(), size, stride, 3);
        std::vector<int> columns_used(art, 0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = &out[static_cast<std::size_t>(y * stride + x * 3)];
                ASSERT_EQ(p[0], x * art / size) << size << ": " << x << "," << y;
                ASSERT_EQ(p[1], y * art / size) << size << ": " << x << "," << y;
                ASSERT_EQ(p[2], 7);
                if (y == 0)
                    ++columns_used[p[0]];
            }
        // Every art pixel is there, and as wide as the scale says: once or twice at 1.5x.
        for (int c = 0; c < art; ++c) {
            EXPECT_GE(columns_used[static_cast<std::size_t>(c)], size / art) << size << ": column " << c;
            EXPECT_LE(columns_used[static_cast<std::size_t>(c)], (size + art - 1) / art) << size << ": column " << c;
        }
    }
}

TEST(ToolbarPictures, HitsAndHoverCellsAtLargerButtons)
{
    const ToolbarMetrics large{36, 41, 2};
    const struct {
        int x, y, hit, hover;
    } cases[] = {
        {1, 10, -1, 0},     // the border
        {2, 2, 0, 0},       // the first button's first pixel
        {38, 38, 0, 0},     // its last row and column (the button's edge is inside)
        {39, 10, -1, 0},    // the gap
        {41, 10, -1, 1},    // the second cell starts a pitch on
        {43, 10, 1, 1},     // the second button
        {79, 37, 1, 1},
        {83, 10, -1, -1},   // past the two columns
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hit_button(c.x, c.y, large, 2, 1), c.hit) << c.x << "," << c.y;
        EXPECT_EQ(hover_cell(c.x, c.y, large, 2, 1), c.hover) << c.x << "," << c.y;
    }
}

}  // namespace

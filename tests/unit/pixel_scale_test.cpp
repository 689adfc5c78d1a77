// Sizes from a screen's density and the text: the pixel scale, the smallest text and window, the
// window in the work area, and the toolbar pictures and hit tests at those sizes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <vector>

#include "app/text_height.h"
#include "app/toolbar_logic.h"
#include "app/toolbar_pictures.h"
#include "app/window_area.h"

namespace {

TEST(PixelScale, InQuarterStepsFromTheTextNeverBelowTheDensitys)
{
    const struct {
        int dpi, text, quarters, readable, window_height;
    } cases[] = {
        {0, 0, 4, 13, 400},    {96, 18, 4, 13, 400},     {96, 19, 5, 13, 400},    {119, 16, 5, 16, 496},
        {144, 16, 6, 20, 600}, {144, 34, 9, 20, 600},    {192, 16, 8, 26, 800},   {96, 45, 12, 13, 400},
        {96, 60, 16, 13, 400}, {96, 255, 16, 13, 400},   {384, 16, 16, 52, 1600}, {-5, 14, 4, 13, 400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layout_scale_quarters(c.text, c.dpi), c.quarters) << c.dpi << " dpi, text " << c.text;
        EXPECT_EQ(readable_text_height(c.dpi), c.readable) << c.dpi;
        EXPECT_EQ(minimum_window_height(c.dpi), c.window_height) << c.dpi;
    }
}

TEST(ToolbarPictures, CrispAndEvenAtEveryScaleAndEachPixelTheShareOfItsAreaCovered)
{
    // Every picture at 1x, 1.25x, 1.5x, 2x, 3x and 4x: each stroke along x or y, drawn alone, covers
    // whole pixels only, as many across as its width at that size.
    for (const int size : {24, 30, 36, 48, 72, 96}) {
        std::vector<uint8_t> out(static_cast<std::size_t>(size * size));
        const auto at = [&](int x, int y) { return out[static_cast<std::size_t>(y * size + x)]; };
        for (int b = 0; b < toolbar_bitmap_count; ++b) {
            const PictureDescription d = toolbar_picture_description(static_cast<ToolbarBitmap>(b));
            for (const PictureShape& shape : d.view()) {
                const bool across = shape.y1 == shape.y2, down = shape.x1 == shape.x2;
                if (shape.kind != ShapeKind::Line || across == down || shape.value != 255)
                    continue;
                draw_picture({&shape, 1}, size, out.data());
                const int x = static_cast<int>((shape.x1 + shape.x2) * size / 48), y = static_cast<int>((shape.y1 + shape.y2) * size / 48);
                int covered = 0, grey = 0;
                for (int i = 0; i < size; ++i) {
                    const uint8_t v = across ? at(x, i) : at(i, y);
                    covered += v == 255;
                    grey += v != 0 && v != 255;
                }
                EXPECT_EQ((std::pair{covered, grey}), (std::pair{stroke_pixels(shape.width, size), 0})) << b << " at " << size;
            }
        }
        const PictureShape slanted{ShapeKind::Line, Cap::Round, 255, 4, 5, 19, 17, 0, 0, 2.6f};  // its area: a box, a disc
        draw_picture({&slanted, 1}, size, out.data());
        const double w = stroke_pixels(2.6f, size), length = std::hypot(15.0, 12.0) * size / 24;
        EXPECT_NEAR(std::accumulate(out.begin(), out.end(), 0.0) / 255, w * length + 3.14159265 * w * w / 4, 0.03 * w * length);
    }
}

TEST(WindowArea, WindowsComeBackWithinTheWorkAreaAtLeastTheLeastSize)
{
    constexpr Rect laptop{0, 0, 1366, 728};  // 1366 x 768 less a task bar 40 high
    const struct {
        Rect got, expected;
    } cases[] = {
        {first_window_rect({0, 0, 1920, 1040}, 96, {560, 440}), {100, 100, 700, 700}},
        {first_window_rect(laptop, 144, {830, 600}), {100, 0, 1000, 728}},
        {first_window_rect(laptop, 192, {1400, 800}), {0, 0, 1400, 800}},  // even the least is larger
        {restored_window_rect({2000, 900, 2800, 1500}, laptop, {560, 440}), {566, 128, 1366, 728}},
        {restored_window_rect({200, 100, 208, 600}, laptop, {560, 440}), {200, 100, 760, 600}},
        {centred_within({316, 150}, {1100, 300, 1700, 900}, laptop), {1050, 525, 1366, 675}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << &c - cases;
}

TEST(ToolbarLogic, ButtonsAreHitAtTheirSize)
{
    // Buttons of 36 with a border of 2, 41 apart: each button's edge pixels are inside it.
    const ToolbarMetrics large{36, 41, 2};
    for (const auto& [x, hit, hover] : {std::array{1, -1, 0}, {2, 0, 0}, {38, 0, 0}, {39, -1, 0}, {41, -1, 1},
                                       {43, 1, 1}, {79, 1, 1}, {83, -1, -1}}) {
        EXPECT_EQ(hit_button(x, 10, large, 2, 1), hit) << x;
        EXPECT_EQ(hover_cell(x, 10, large, 2, 1), hover) << x;
    }
}

}  // namespace

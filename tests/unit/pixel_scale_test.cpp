// Sizes from a screen's density: the pixel scale, the smallest text and window, the layout a
// window gets on a screen of another density (what it does on WM_DPICHANGED), and the toolbar
// pictures and hit tests at those sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "app/text_height.h"
#include "app/toolbar_logic.h"
#include "app/toolbar_pictures.h"
#include "calc/recompute.h"
#include "display/paint.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"
#include "support/recording_canvas.h"

namespace {

TEST(PixelScale, InQuarterStepsFromTheTextNeverBelowTheDensitys)
{
    const struct {
        int dpi, text, quarters, readable, window_height;
    } cases[] = {
        {0, 0, 4, 13, 400},      {96, 16, 4, 13, 400},    {119, 16, 5, 16, 496},   {120, 16, 5, 16, 500},
        {144, 16, 6, 20, 600},   {168, 16, 7, 23, 700},   {192, 16, 8, 26, 800},   {96, 18, 4, 13, 400},
        {96, 19, 5, 13, 400},    {96, 30, 8, 13, 400},    {96, 45, 12, 13, 400},   {96, 56, 14, 13, 400},
        {96, 60, 16, 13, 400},   {192, 92, 16, 26, 800},  {96, 255, 16, 13, 400},  {288, 16, 12, 39, 1200},
        {384, 16, 16, 52, 1600}, {144, 23, 6, 20, 600},   {144, 34, 9, 20, 600},   {-5, 14, 4, 13, 400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layout_scale_quarters(c.text, c.dpi), c.quarters) << c.dpi << " dpi, text " << c.text;
        EXPECT_EQ(readable_text_height(c.dpi), c.readable) << c.dpi;
        EXPECT_EQ(minimum_window_height(c.dpi), c.window_height) << c.dpi;
    }
    // The design sizes at 1x, 1.25x, 1.5x, 2x, 3x and 4x: even pixel counts, halves rounding up.
    for (const auto& [quarters, button, pitch, line, marker, strip] :
         {std::array{4, 24, 27, 1, 8, 32}, {5, 30, 34, 1, 10, 40}, {6, 36, 41, 2, 12, 48}, {8, 48, 54, 2, 16, 64},
          {12, 72, 81, 3, 24, 96}, {16, 96, 108, 4, 32, 128}}) {
        EXPECT_EQ((std::array{scale_pixels(24, quarters), scale_pixels(27, quarters), scale_pixels(1, quarters),
                              scale_pixels(8, quarters), scale_pixels(32, quarters)}),
                  (std::array{button, pitch, line, marker, strip})) << quarters;
    }
}

TEST(PixelScale, PicturesMarkersAndLinesKeepToTheTextAtEveryDensity)
{
    // The layout a window gets at each density (on WM_DPICHANGED as at a start there): buttons,
    // strip, markers and lines in proportion to the text chosen, a 15-pixel text going with the
    // design sizes, never smaller than the screen's own scale.
    const Camera camera = hand_default_camera();
    CalcState state;
    recompute(state, camera, true);
    ProportionalMeasure measure;
    ScaleGeometry moved;
    for (const int dpi : {96, 120, 144, 192, 288}) {
        for (const auto& [width, height] : {std::pair{1200, 1000}, {700, 600}, {2560, 1440}, {3840, 2160}}) {
            choose_text_height(moved, measure, width, height, dpi);
            ScaleGeometry fresh;
            choose_text_height(fresh, measure, width, height, dpi);
            EXPECT_EQ(moved.text_height, fresh.text_height) << dpi;
            EXPECT_EQ(column(moved, Column::Details).column, column(fresh, Column::Details).column) << dpi;
            const double scale = std::clamp(std::max(std::floor(moved.text_height / 3.75) / 4, dpi / 96.0), 1.0, 4.0);
            const auto at_scale = [scale](int n) { return static_cast<int>(std::floor(n * scale + 0.5)); };
            const std::string where = std::to_string(dpi) + " dpi, " + std::to_string(width) + " x " +
                                      std::to_string(height) + ", text " + std::to_string(moved.text_height);
            EXPECT_EQ((std::array{moved.toolbar_button, moved.toolbar_pitch, moved.toolbar_border, moved.strip_width}),
                      (std::array{at_scale(24), at_scale(27), at_scale(1), 2 * at_scale(32) + 1})) << where;
            EXPECT_LE(moved.name_line_top, moved.toolbar_row_top + toolbar_height(moved, 1) + moved.u) << where;
            EXPECT_GE(moved.name_line_top, moved.toolbar_row_top + toolbar_height(moved, 1)) << where;
            PaintScratch scratch;
            RecordingCanvas canvas;
            paint(canvas, measure, state, camera, moved, scratch);
            const DrawCall lens = canvas.of_kind(CallKind::Triangle).front();  // the lens marker
            EXPECT_EQ(lens.c.x - lens.a.x, at_scale(8)) << where;
            EXPECT_EQ(lens.b.y - lens.a.y, at_scale(8)) << where;
            EXPECT_EQ(canvas.of_kind(CallKind::Image).front().rect.right - moved.strip_left, moved.strip_width);
            // Every line of the scales and the distance column as wide as the scale makes one pixel:
            // one-pixel lines at 1x, bands of that many rows or columns beyond.
            const int line = at_scale(1);
            const auto lines = canvas.of_kind(CallKind::Line);
            const auto slanted = [](const DrawCall& l) { return l.a.x != l.b.x && l.a.y != l.b.y; };
            EXPECT_TRUE(line == 1 || std::all_of(lines.begin(), lines.end(), slanted)) << where;
            if (line > 1) {
                int bands = 0;
                for (const DrawCall& r : canvas.of_kind(CallKind::FillRect)) {
                    const int thin = std::min(r.rect.right - r.rect.left, r.rect.bottom - r.rect.top);
                    if (r.colour == r.fill && thin < line * 3) {
                        EXPECT_EQ(thin, line) << where;
                        ++bands;
                    }
                }
                EXPECT_GT(bands, 40) << where;
            }
            EXPECT_NEAR(moved.toolbar_button / 24.0, std::min(4.0, std::max(moved.text_height / 15.0, dpi / 96.0)), 0.25)
                << where << ": buttons out of proportion to the text";
        }
    }
}

TEST(ToolbarPictures, CrispAndEvenAtEveryScale)
{
    // Every picture at 1x, 1.25x, 1.5x, 2x, 3x and 4x: drawn alone, each stroke along x or y covers
    // whole pixels only, exactly as many across as the stroke's width at that size, and round
    // strokes are as wide where they run across; every picture's ink keeps off the button's edge.
    for (const int size : {24, 30, 36, 48, 72, 96}) {
        std::vector<uint8_t> out(static_cast<std::size_t>(size * size));
        const auto at = [&](int x, int y) { return out[static_cast<std::size_t>(y * size + x)]; };
        for (int b = 0; b < toolbar_bitmap_count; ++b) {
            const PictureDescription d = toolbar_picture_description(static_cast<ToolbarBitmap>(b));
            const std::string where = std::to_string(b) + " at " + std::to_string(size);
            ASSERT_GT(d.count, 0) << where;
            for (const PictureShape& shape : d.view()) {
                const bool across = shape.y1 == shape.y2 && shape.x1 != shape.x2;
                const bool down = shape.x1 == shape.x2 && shape.y1 != shape.y2;
                const bool circle = shape.kind == ShapeKind::Arc && shape.a1 - shape.a0 >= 360;
                if ((!(shape.kind == ShapeKind::Line && (across || down)) && !circle) || shape.value != 255)
                    continue;
                draw_picture({&shape, 1}, size, out.data());
                const int width = stroke_pixels(shape.width, size);
                const float scale = size / 24.0f;
                // The stroke's middle, and the pixels it covers there across its run.
                const int mx = static_cast<int>((circle ? shape.x1 : (shape.x1 + shape.x2) / 2) * scale);
                const int my = static_cast<int>((circle ? shape.y1 - shape.y2 : (shape.y1 + shape.y2) / 2) * scale);
                int covered = 0, partly = 0;
                for (int i = 0; i < size; ++i) {
                    const uint8_t v = across || circle ? at(mx, i) : at(i, my);
                    covered += v >= 128;
                    partly += v != 0 && v != 255;
                    if (circle && i > shape.y1 * scale)
                        break;  // the top of the circle only
                }
                if (circle) {
                    EXPECT_NEAR(covered, width, 1) << where << ": a circle's top";
                } else {
                    EXPECT_EQ(covered, width) << where << ": a stroke at " << shape.x1 << ", " << shape.y1;
                    EXPECT_EQ(partly, 0) << where << ": a straight stroke with grey pixels";
                }
            }
            draw_toolbar_picture(static_cast<ToolbarBitmap>(b), size, out.data());
            int ink = 0;
            for (int i = 0; i < size; ++i) {
                EXPECT_TRUE(at(i, 0) == 0 && at(0, i) == 0 && at(i, size - 1) == 0 && at(size - 1, i) == 0) << where;
                for (int j = 0; j < size; ++j)
                    ink += at(i, j) > 0;
            }
            EXPECT_GT(ink, size * size / 20) << where;
        }
    }
}

TEST(ToolbarPictures, EachPixelIsTheShareOfItsAreaAShapeCovers)
{
    // A slanted stroke with round ends: its brightness adds up to its area, a rectangle and two
    // half discs, at any size; where a later black shape lies over it, that part is black.
    for (const int size : {24, 36, 96}) {
        const float scale = size / 24.0f;
        const PictureShape slanted{ShapeKind::Line, Cap::Round, 255, 4, 5, 19, 17, 0, 0, 2.6f};
        std::vector<uint8_t> out(static_cast<std::size_t>(size * size));
        draw_picture({&slanted, 1}, size, out.data());
        double sum = 0;
        for (const uint8_t v : out)
            sum += v / 255.0;
        const double w = stroke_pixels(2.6f, size);
        const double length = std::hypot(15.0, 12.0) * scale;
        EXPECT_NEAR(sum, w * length + 3.14159265 * w * w / 4, 0.03 * w * length) << size;
        const PictureShape covered[] = {slanted, {ShapeKind::Box, Cap::Square, 0, 0, 0, 24, 24, 0, 0, 0}};
        draw_picture(covered, size, out.data());
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0; })) << size;
    }
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

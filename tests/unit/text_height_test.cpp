#include <gtest/gtest.h>

#include <algorithm>

#include "app/text_height.h"
#include "app/toolbar_layout.h"

namespace {

/// Text that grows with every step of the text height: each character is as wide as the height.
class ScalingMeasure : public TextMeasure {
public:
    int line_height(int text_height) override { return text_height > 0 ? text_height : 16; }
    int text_width(int text_height, std::u16string_view text) override
    {
        const int h = text_height > 0 ? text_height : 16;
        return static_cast<int>(text.size()) * h;
    }
};

constexpr int tall = 100000;

/// The smallest client that fits the layout of one text height.
ScaleGeometry needs(int text_height, int dpi = design_dpi)
{
    ScalingMeasure measure;
    ScaleGeometry g;
    layout_scales(g, measure, text_height, tall, tall, dpi);
    return g;
}

int width_needed(int text_height) { return std::max(needs(text_height).needed_width, first_row_width(needs(text_height))); }

TEST(TextHeight, LargestHeightThatFitsTheWidthAndTheHeight)
{
    for (const int height : {14, 18, 19, 20, 33, 59, 60, 61, 100}) {
        ScalingMeasure measure;
        ScaleGeometry g;
        const int wide = width_needed(height);
        EXPECT_EQ(choose_text_height(g, measure, wide, wide), height) << "exactly wide enough for " << height;
        EXPECT_EQ(g.text_height, height);
        EXPECT_TRUE(layout_fits(g, wide));
        EXPECT_EQ(choose_text_height(g, measure, wide - 1, wide - 1), height - 1) << "one pixel short of " << height;
        EXPECT_EQ(g.text_height, height - 1);  // the geometry is that of the chosen height

        const int high = needs(height).needed_height;
        EXPECT_EQ(choose_text_height(g, measure, tall, high), height) << "exactly high enough for " << height;
        EXPECT_EQ(choose_text_height(g, measure, tall, high - 1), height - 1) << "one row short of " << height;
        // Both at once: the smaller of the two heights.
        EXPECT_EQ(choose_text_height(g, measure, wide, needs(height + 5).needed_height), height);
        EXPECT_EQ(choose_text_height(g, measure, width_needed(height + 5), high), height);
    }
}

TEST(TextHeight, TheReadableMinimumWhenNothingFitsAndTheTopWhenAllDo)
{
    ScalingMeasure measure;
    ScaleGeometry g;
    EXPECT_EQ(choose_text_height(g, measure, 100, 600), 13);
    EXPECT_EQ(choose_text_height(g, measure, 1600, 100), 13);
    EXPECT_EQ(g.text_height, 13);
    EXPECT_EQ(choose_text_height(g, measure, 100, 600, 192), 26) << "a 200 % screen reads 26 pixels as 96 dpi reads 13";
    EXPECT_EQ(choose_text_height(g, measure, tall, tall), largest_text_height);
    EXPECT_EQ(column(g, Column::Details).column.right, tall - g.u) << "the details take the width left";
    LayoutLimits limits;
    limits.client_width = tall;
    limits.client_height = tall;
    limits.smallest_text_height = 10;
    limits.largest_text_height = 30;
    EXPECT_EQ(choose_layout(g, measure, limits), 30);
    limits.client_width = 300;
    EXPECT_EQ(choose_layout(g, measure, limits), 10);
}

/// Tiny text that takes no width: a layout narrower than the toolbars above it.
class NarrowMeasure : public TextMeasure {
public:
    int line_height(int) override { return 6; }
    int text_width(int, std::u16string_view) override { return 0; }
};

TEST(TextHeight, TheMinimumClientKeepsTheSmallestTextAndTheFirstToolbarRowWhole)
{
    // The first row holds the camera, mode, units and help and snap toolbars, 2u apart, with a
    // margin u on either side; nine buttons of the layout's size.
    const auto toolbar_row = [](const ScaleGeometry& g) {
        return 9 * g.toolbar_pitch + 8 * g.toolbar_border + 8 * g.u;
    };

    for (const int dpi : {96, 120, 144, 192}) {
        ScalingMeasure scaling;
        ScaleGeometry g;
        const ClientSize least = minimum_client_size(g, scaling, dpi);
        const int smallest = readable_text_height(dpi);
        EXPECT_EQ(g.text_height, smallest);
        EXPECT_EQ(least.width, std::max(g.needed_width, toolbar_row(g))) << dpi;
        EXPECT_EQ(least.height, g.needed_height) << dpi;
        EXPECT_LT(least.height, minimum_window_height(dpi) - 40) << "the window's least height leaves room";
        EXPECT_EQ(choose_text_height(g, scaling, least.width, least.height, dpi), smallest) << dpi;
        EXPECT_TRUE(layout_fits(g, least.width));
        EXPECT_FALSE(layout_fits(g, least.width - 1));
    }

    NarrowMeasure narrow;
    ScaleGeometry g;
    const int narrow_text = minimum_client_width(g, narrow);
    EXPECT_EQ(narrow_text, toolbar_row(g));
    EXPECT_EQ(narrow_text, 29 + 137 + 56 + 29 + 8 * 2);
    EXPECT_GT(narrow_text, g.needed_width) << "the toolbars decide here";
}

TEST(TextHeight, ASizeNeitherLayoutReadsAtGrowsToTheLeastThatDoes)
{
    // Grown to the portrait least where the height holds it, or while the height moves where the
    // width is between the two; else to the side-by-side least.
    const LeastClients least{{500, 400}, {300, 700}};
    const struct {
        ClientSize wanted, got;
        bool width_moves;
    } cases[] = {
        {{600, 500}, {600, 500}, true},  {{350, 800}, {350, 800}, false}, {{350, 500}, {500, 500}, true},
        {{250, 750}, {300, 750}, true},  {{350, 500}, {350, 700}, false}, {{250, 300}, {500, 400}, false},
        {{600, 300}, {600, 400}, false}, {{200, 800}, {300, 800}, false}, {{450, 600}, {500, 600}, true},
    };
    for (const auto& c : cases) {
        const ClientSize got = readable_client(c.wanted, least, c.width_moves);
        EXPECT_EQ((std::pair{got.width, got.height}), (std::pair{c.got.width, c.got.height})) << &c - cases;
    }
}

}  // namespace

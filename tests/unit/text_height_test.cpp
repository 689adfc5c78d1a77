#include <gtest/gtest.h>

#include <algorithm>

#include "app/text_height.h"

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

/// The narrowest client width that fits the layout of one text height.
int width_needed(int text_height)
{
    ScalingMeasure measure;
    ScaleGeometry g;
    layout_scales(g, measure, text_height, 10000, 600);
    return column(g, Column::Details).column.right + g.u;
}

TEST(TextHeight, LargestHeightThatFits)
{
    for (const int height : {8, 12, 20, 33}) {
        ScalingMeasure measure;
        ScaleGeometry g;
        const int exact = width_needed(height);
        EXPECT_EQ(choose_text_height(g, measure, exact, 600), height) << "exactly wide enough for " << height;
        EXPECT_EQ(g.text_height, height);
        EXPECT_TRUE(layout_fits(g, exact));
        EXPECT_EQ(choose_text_height(g, measure, exact - 1, 600), height - 1) << "one pixel short of " << height;
        EXPECT_EQ(g.text_height, height - 1);  // the geometry is that of the chosen height
    }
}

TEST(TextHeight, TooNarrowForEightGivesSevenAndWideStopsAtTheTop)
{
    ScalingMeasure measure;
    ScaleGeometry g;
    EXPECT_EQ(choose_text_height(g, measure, 100, 600), 7);
    EXPECT_EQ(g.text_height, 7);
    EXPECT_EQ(choose_text_height(g, measure, 100000, 600), largest_text_height);
    EXPECT_EQ(g.text_height, largest_text_height);
    EXPECT_TRUE(layout_fits(g, 100000));
}

TEST(TextHeight, FitsCountsTheMarginAfterTheDetailsColumn)
{
    ScalingMeasure measure;
    ScaleGeometry g;
    layout_scales(g, measure, 12, 800, 600);
    const int right = column(g, Column::Details).column.right;
    EXPECT_TRUE(layout_fits(g, right + g.u));
    EXPECT_FALSE(layout_fits(g, right + g.u - 1));
}

/// Tiny text that takes no width: a layout narrower than the toolbars above it.
class NarrowMeasure : public TextMeasure {
public:
    int line_height(int) override { return 6; }
    int text_width(int, std::u16string_view) override { return 0; }
};

TEST(TextHeight, TheMinimumWidthKeepsTheSmallestTextAndTheFirstToolbarRowWhole)
{
    // The first row holds the camera, mode, units and help and snap toolbars, 2u apart, with a
    // margin u on either side.
    const auto toolbar_row = [](int u) { return 29 + 137 + 56 + 29 + 8 * u; };

    ScalingMeasure scaling;
    ScaleGeometry g;
    const int wide_text = minimum_client_width(g, scaling);
    EXPECT_EQ(wide_text, std::max(width_needed(smallest_text_height), toolbar_row(g.u)));
    EXPECT_EQ(choose_text_height(g, scaling, wide_text, 400), smallest_text_height);
    EXPECT_LT(choose_text_height(g, scaling, wide_text - 1, 400), smallest_text_height);

    NarrowMeasure narrow;
    const int narrow_text = minimum_client_width(g, narrow);
    EXPECT_EQ(narrow_text, toolbar_row(2));
    EXPECT_GT(narrow_text, column(g, Column::Details).column.right + g.u) << "the toolbars decide here";
}

}  // namespace

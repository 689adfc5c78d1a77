#include <gtest/gtest.h>

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

}  // namespace

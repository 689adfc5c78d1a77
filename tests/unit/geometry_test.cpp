#include <gtest/gtest.h>

#include "display/geometry.h"
#include "support/fixed_measure.h"

namespace {

TEST(Layout, RectanglesForSixteenPixelText)
{
    // Line height 16, u = 5; "9999" is 28 px, "99.99" 35, "99999.99" 56 and 25 X 175.
    FixedMeasure measure(7);
    ScaleGeometry g;
    layout_scales(g, measure, 16, 600, 600);

    EXPECT_EQ(g.text_height, 16);
    EXPECT_EQ(g.line_height, 16);
    EXPECT_EQ(g.u, 5);
    EXPECT_EQ(g.toolbar_row_top, 39);
    EXPECT_EQ(g.panel_top, 35);
    EXPECT_EQ(g.name_line_top, 68);
    EXPECT_EQ(g.value_line_top, 84);
    EXPECT_EQ(g.column_top, 100);
    EXPECT_EQ(g.w4, 28);
    EXPECT_EQ(g.w5, 35);
    EXPECT_EQ(g.w8, 56);
    EXPECT_EQ(g.w25, 175);

    struct Expected {
        Column column;
        Rect outer, scale, name, value;
    };
    const Expected table[] = {
        {Column::Lens, {5, 100, 78, 595}, {15, 120, 73, 575}, {5, 68, 78, 84}, {5, 84, 78, 100}},
        {Column::Aperture, {83, 100, 151, 595}, {93, 120, 141, 575}, {83, 68, 151, 84}, {83, 84, 151, 100}},
        {Column::Distance, {156, 100, 356, 595}, {166, 120, 346, 575}, {161, 68, 351, 84}, {161, 84, 351, 100}},
        {Column::Blur, {361, 100, 429, 595}, {371, 120, 419, 575}, {366, 68, 424, 84}, {366, 84, 424, 100}},
        {Column::Details, {434, 100, 629, 595}, {444, 120, 619, 575}, {439, 68, 624, 84}, {439, 84, 624, 100}},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(static_cast<int>(e.column));
        const ColumnGeometry& c = column(g, e.column);
        EXPECT_EQ(c.column, e.outer);
        EXPECT_EQ(c.scale, e.scale);
        EXPECT_EQ(c.name, e.name);
        EXPECT_EQ(c.value, e.value);
    }
    EXPECT_EQ(g.strip_left, 166 + 35 + 12);
    EXPECT_EQ(g.distance_line_x, g.strip_left + 65);
}

TEST(Layout, DefaultHeightAndSpacingRules)
{
    FixedMeasure measure(9, 19);
    ScaleGeometry g;
    g.near_row = 11;
    g.far_row = 22;
    g.focus_row = 33;
    layout_scales(g, measure, 0, 1920, 2160);

    EXPECT_EQ(g.line_height, 19);
    EXPECT_EQ(g.u, 6);
    EXPECT_EQ(g.column_top, 2 * 6 + 58 + 2 * 19);
    EXPECT_EQ(g.client_width, 1920);
    EXPECT_EQ(g.client_height, 2160);
    // The line rows belong to painting and dragging; layout leaves them alone.
    EXPECT_EQ(g.near_row, 11);
    EXPECT_EQ(g.far_row, 22);
    EXPECT_EQ(g.focus_row, 33);
    for (int i = 1; i < column_count; ++i)
        EXPECT_EQ(g.columns[i].column.left, g.columns[i - 1].column.right + g.u) << i;
    for (const ColumnGeometry& c : g.columns) {
        EXPECT_EQ(c.column.bottom, 2160 - 6);
        EXPECT_EQ(c.scale.top, c.column.top + 4 * 6);
        EXPECT_EQ(c.scale.bottom, c.column.bottom - 4 * 6);
        EXPECT_EQ(c.name.bottom, c.value.top);
        EXPECT_EQ(c.value.bottom, g.column_top);
    }
    // The distance column holds the labels, the strip and the scale labels: 12 + 65 + 12 beside w5 and w8.
    const ColumnGeometry& d = column(g, Column::Distance);
    EXPECT_EQ(d.column.right - d.column.left, 4 * 6 + g.w8 + g.w5 + 89);
    EXPECT_EQ(g.distance_line_x + 12 + g.w8, d.scale.right);
}

TEST(Layout, AtEveryClientHeightOnlyTheColumnsBottomsMove)
{
    // However low the client, the captions, the column widths and the scales' tops stay where a
    // tall client has them: the columns end u above the client's bottom and their scales 4u above
    // that, so a client too low for a scale leaves it without rows, never squeezing the captions.
    const auto without_bottom = [](Rect r) {
        r.bottom = 0;
        return r;
    };
    for (const int text_height : {0, 16, 27}) {
        FixedMeasure measure;
        ScaleGeometry tall;
        layout_scales(tall, measure, text_height, 700, 2000);
        for (int height = 0; height <= 400; height += 3) {
            SCOPED_TRACE(testing::Message() << "text " << text_height << ", client height " << height);
            ScaleGeometry g;
            layout_scales(g, measure, text_height, 700, height);
            EXPECT_EQ(g.column_top, tall.column_top);
            for (int i = 0; i < column_count; ++i) {
                const ColumnGeometry& c = g.columns[i];
                const ColumnGeometry& t = tall.columns[i];
                EXPECT_EQ(c.name, t.name);
                EXPECT_EQ(c.value, t.value);
                EXPECT_EQ(without_bottom(c.column), without_bottom(t.column));
                EXPECT_EQ(without_bottom(c.scale), without_bottom(t.scale));
                EXPECT_EQ(c.column.bottom, height - g.u);
                EXPECT_EQ(c.scale.bottom, c.column.bottom - 4 * g.u);
            }
        }
    }
}

}  // namespace

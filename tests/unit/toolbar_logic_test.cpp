#include <gtest/gtest.h>

#include <array>

#include "app/toolbar_logic.h"
#include "app/toolbars.h"

namespace {

struct PointCase {
    int x;
    int y;
    int expected;
};

TEST(ToolbarHoverCell, CellsIncludeGapsAndBorder)
{
    // Two columns, one row, 24-pixel buttons: cells are 27 pixels wide starting at 0.
    const std::array<PointCase, 8> cases{{
        {0, 0, 0},     // the border belongs to the first cell
        {26, 13, 0},   // the gap after the first button
        {27, 13, 1},   // the second cell starts at 27
        {53, 26, 1},   // last pixel of the second cell
        {54, 13, -1},  // beyond the last column
        {13, 27, -1},  // below the only row
        {-1, 5, -1},   // left of the toolbar (seen while the capture is held)
        {5, -1, -1},   // above it
    }};
    for (const PointCase& c : cases) {
        EXPECT_EQ(hover_cell(c.x, c.y, ToolbarMetrics{}, 2, 1), c.expected) << c.x << "," << c.y;
    }
}

TEST(ToolbarHitButton, ButtonsSpanTwentyFivePixelsAndGapsHitNothing)
{
    const std::array<PointCase, 10> cases{{
        {0, 5, -1},   // the border
        {1, 1, 0},    // first pixel of the first button
        {25, 25, 0},  // the column and row just past the button still belong to it
        {26, 5, -1},  // the gap
        {27, 5, -1},
        {28, 5, 1},   // the second button starts at 1 + 27
        {52, 5, 1},
        {53, 5, -1},
        {5, 26, -1},  // below the button
        {5, 0, -1},   // the top border
    }};
    for (const PointCase& c : cases) {
        EXPECT_EQ(hit_button(c.x, c.y, ToolbarMetrics{}, 2, 1), c.expected) << c.x << "," << c.y;
    }
}

TEST(ToolbarHitButton, RowsCountInTheIndex)
{
    EXPECT_EQ(hit_button(30, 30, ToolbarMetrics{}, 3, 2), 4);  // row 1, column 1 of three columns
    EXPECT_EQ(hover_cell(60, 40, ToolbarMetrics{}, 3, 2), 5);
}

TEST(ToolbarApplyClick, RadioSelectsOnlyTheHitButton)
{
    std::array<int, 5> states{1, 0, 0, 0, 0};
    EXPECT_TRUE(apply_click(ButtonKind::Radio, states, 3));
    EXPECT_EQ(states, (std::array<int, 5>{0, 0, 0, 1, 0}));
    EXPECT_TRUE(apply_click(ButtonKind::Radio, states, 3));  // clicking the selected one keeps it
    EXPECT_EQ(states, (std::array<int, 5>{0, 0, 0, 1, 0}));
}

TEST(ToolbarApplyClick, ToggleFlipsAndPushKeepsStates)
{
    std::array<int, 1> toggle{0};
    apply_click(ButtonKind::Toggle, toggle, 0);
    EXPECT_EQ(toggle[0], 1);
    apply_click(ButtonKind::Toggle, toggle, 0);
    EXPECT_EQ(toggle[0], 0);

    std::array<int, 2> push{1, 0};  // a push button the owner drew pressed stays pressed
    EXPECT_FALSE(apply_click(ButtonKind::Push, push, 0));
    EXPECT_EQ(push, (std::array<int, 2>{1, 0}));
    EXPECT_FALSE(apply_click(ButtonKind::Radio, push, 2));  // out of range changes nothing
}

TEST(ToolbarDescriptions, SevenToolbarsWithTheirButtons)
{
    const auto all = toolbar_descriptions();
    ASSERT_EQ(all.size(), 7u);
    const std::array<int, 7> order{102, 100, 101, 105, 103, 104, 106};
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].control_id, order[i]);
        EXPECT_EQ(static_cast<int>(all[i].buttons.size()), all[i].columns * all[i].rows);
    }
    const ToolbarDescription& mode = toolbar_description(toolbar_id::mode);
    EXPECT_EQ(mode.kind, ButtonKind::Radio);
    EXPECT_EQ(toolbar_width(mode.columns), 137);
    EXPECT_EQ(toolbar_width(2), 56);
    EXPECT_EQ(toolbar_height(1), 29);
    EXPECT_EQ(toolbar_description(toolbar_id::snap).kind, ButtonKind::Toggle);
    EXPECT_EQ(std::u16string_view(toolbar_description(toolbar_id::teleconverter).buttons[0].help),
              u"Set teleconverter magnification factor (Alt+T)");
    EXPECT_EQ(mode.buttons[4].bitmap, ToolbarBitmap::IDMACRO);
}

TEST(ToolbarBitmaps, ResourceNamesFollowTheEnumeration)
{
    EXPECT_EQ(bitmap_resource_name(ToolbarBitmap::IDDOF), u"IDDOF");
    EXPECT_EQ(bitmap_resource_name(ToolbarBitmap::IDSNAP), u"IDSNAP");
    EXPECT_EQ(bitmap_resource_name(ToolbarBitmap::IDMINUS), u"IDMINUS");
    EXPECT_EQ(bitmap_resource_name(static_cast<ToolbarBitmap>(21)), u"");
}

}  // namespace

// Where windows go on the screen: the first window and a restored one within the work area of
// their monitor, and the About box over its owner but never past the work area's edge.
#include <gtest/gtest.h>

#include <random>

#include "app/window_area.h"

namespace {

constexpr Rect laptop{0, 0, 1366, 728};  // 1366 x 768 less a task bar 40 high
constexpr Rect right_monitor{1920, 0, 3840, 1040};

TEST(WindowArea, TheFirstWindowAndARestoredOneLieInTheWorkArea)
{
    const struct {
        const char* name;
        Rect got, expected;
    } cases[] = {
        {"first at 96 dpi", first_window_rect({0, 0, 1920, 1040}, 96, {560, 440}), {100, 100, 700, 700}},
        {"first at 144 dpi on 1366 x 768", first_window_rect(laptop, 144, {830, 600}), {100, 0, 1000, 728}},
        {"first at 192 dpi on 1366 x 768", first_window_rect(laptop, 192, {1100, 700}), {100, 0, 1300, 728}},
        {"first where even the least is too large", first_window_rect(laptop, 192, {1400, 800}), {0, 0, 1400, 800}},
        {"restored inside", restored_window_rect({150, 120, 910, 760}, {0, 0, 1920, 1040}, {560, 440}),
         {150, 120, 910, 760}},
        {"restored past the corner", restored_window_rect({2000, 900, 2800, 1500}, laptop, {560, 440}),
         {566, 128, 1366, 728}},
        {"restored larger than the area", restored_window_rect({-50, -20, 1500, 900}, laptop, {560, 440}), laptop},
        {"restored sliver", restored_window_rect({200, 100, 208, 600}, laptop, {560, 440}), {200, 100, 760, 600}},
        {"restored on the right monitor's edge", restored_window_rect({1900, 50, 2500, 650}, right_monitor, {560, 440}),
         {1920, 50, 2520, 650}},
        {"About box in the middle", centred_within({316, 150}, {100, 100, 700, 700}, laptop), {242, 325, 558, 475}},
        {"About box over a window at the right edge", centred_within({316, 150}, {1100, 300, 1700, 900}, laptop),
         {1050, 525, 1366, 675}},
        {"About box over a window above the top", centred_within({316, 150}, {-400, -500, 200, 100}, laptop),
         {0, 0, 316, 150}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(WindowArea, AnyRectangleComesBackWithinTheAreaAtLeastTheLeastSize)
{
    std::mt19937 random(7);
    const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int i = 0; i < 2000; ++i) {
        const Rect area{between(-2000, 2000), between(-1000, 1000), 0, 0};
        const Rect work{area.left, area.top, area.left + between(640, 3840), area.top + between(480, 2160)};
        const WindowSize least{between(300, 1200), between(300, 900)};
        const int left = between(-5000, 5000), top = between(-5000, 5000);
        const Rect stored{left, top, left + between(1, 4000), top + between(1, 3000)};
        const Rect r = restored_window_rect(stored, work, least);
        const bool room = least.width <= work.right - work.left && least.height <= work.bottom - work.top;
        EXPECT_GE(r.right - r.left, least.width);
        EXPECT_GE(r.bottom - r.top, least.height);
        EXPECT_TRUE(r.left >= work.left && r.top >= work.top) << i;
        EXPECT_TRUE(!room || (r.right <= work.right && r.bottom <= work.bottom)) << i;
        EXPECT_EQ(restored_window_rect(r, work, least), r) << "a restored rectangle stays where it is";
        const Rect about = centred_within({between(100, 500), between(80, 300)}, stored, work);
        EXPECT_TRUE(about.left >= work.left && about.right <= work.right && about.top >= work.top &&
                    about.bottom <= work.bottom) << i;
    }
}

}  // namespace

// Fingers turned into the mouse: finger events in, the mouse events they stand for out, written
// as text ("press L 10,10") so that each row reads as what a user did and what Qel saw.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/touch_gesture.h"

namespace {

struct Finger {
    char kind;  // d down, m move, u up, c cancel
    int id;
    int x;
    int y;
};

std::string run(const std::vector<Finger>& fingers)
{
    TouchGesture g;
    std::string out;
    for (const Finger& f : fingers) {
        const Point at{f.x, f.y};
        const MouseEvents e = f.kind == 'd'   ? touch_down(g, f.id, at)
                              : f.kind == 'm' ? touch_move(g, f.id, at)
                              : f.kind == 'u' ? touch_up(g, f.id, at)
                                              : touch_cancel(g);
        for (int i = 0; i < e.count; ++i) {
            const MouseEvent& m = e.events[static_cast<std::size_t>(i)];
            static constexpr const char* names[] = {"press", "move", "release", "cancel"};
            out += std::string(out.empty() ? "" : "; ") + names[static_cast<int>(m.kind)] + (m.right ? " R " : " L ") +
                   std::to_string(m.at.x) + "," + std::to_string(m.at.y);
        }
    }
    return out;
}

TEST(TouchGesture, FingersBecomeTheMouse)
{
    constexpr int s = touch_slop;
    const struct {
        const char* what;
        std::vector<Finger> fingers;
        const char* mouse;
    } rows[] = {
        {"a tap presses and releases where the finger came down", {{'d', 1, 10, 10}, {'u', 1, 12, 11}},
         "press L 10,10; release L 10,10"},
        {"a finger within the slop presses nothing yet", {{'d', 1, 10, 10}, {'m', 1, 10 + s / 2, 10 + s - s / 2}}, ""},
        {"past the slop it presses where it came down and catches up",
         {{'d', 1, 10, 10}, {'m', 1, 10, 10 + s + 1}, {'m', 1, 10, 40}, {'u', 1, 10, 41}},
         "press L 10,10; move L 10,17; move L 10,40; release L 10,41"},
        {"a second finger any time before the first moved is a pinch at their middle",
         {{'d', 1, 100, 100}, {'m', 1, 101, 102}, {'d', 2, 101, 162}, {'u', 1, 101, 102}, {'u', 2, 101, 162}},
         "press R 101,132; release R 101,132"},
        {"spreading raises the point as a right-button drag up",
         {{'d', 1, 100, 100}, {'d', 2, 100, 160}, {'m', 2, 100, 200}, {'m', 1, 100, 80}},
         "press R 100,130; move R 100,110; move R 100,80"},
        {"pinching lowers it", {{'d', 1, 100, 100}, {'d', 2, 100, 160}, {'m', 2, 100, 140}},
         "press R 100,130; move R 100,140"},
        {"two fingers moved down together are a drag down",
         {{'d', 1, 94, 100}, {'d', 2, 106, 100}, {'m', 1, 94, 110}, {'m', 2, 106, 110}},
         "press R 100,100; move R 100,101; move R 100,110"},
        {"a finger after the first moved is no pinch",
         {{'d', 1, 10, 10}, {'m', 1, 10, 30}, {'d', 2, 60, 60}, {'m', 2, 60, 90}, {'u', 2, 60, 90}, {'m', 1, 10, 35},
          {'u', 1, 10, 35}},
         "press L 10,10; move L 10,30; move L 10,35; release L 10,35"},
        {"after a pinch the finger left down does nothing, and the next touch starts afresh",
         {{'d', 1, 0, 0}, {'d', 2, 0, 40}, {'u', 2, 0, 40}, {'m', 1, 0, 90}, {'u', 1, 0, 90}, {'d', 3, 5, 5},
          {'u', 3, 5, 5}},
         "press R 0,20; release R 0,20; press L 5,5; release L 5,5"},
        {"a cancelled drag is a lost capture", {{'d', 1, 10, 10}, {'m', 1, 10, 30}, {'c', 0, 0, 0}},
         "press L 10,10; move L 10,30; cancel L 10,30"},
        {"a cancel before any press cancels nothing", {{'d', 1, 10, 10}, {'c', 0, 0, 0}, {'d', 1, 20, 20}, {'u', 1, 20, 20}},
         "press L 20,20; release L 20,20"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(run(row.fingers), row.mouse) << row.what;
}

}  // namespace

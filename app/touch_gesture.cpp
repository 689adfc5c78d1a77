#include "app/touch_gesture.h"

#include <cmath>
#include <cstdlib>

namespace {

int spread(const TouchGesture& g)
{
    return static_cast<int>(std::lround(std::hypot(g.at[0].x - g.at[1].x, g.at[0].y - g.at[1].y)));
}

/// The slot of a finger among the first two, or -1.
int slot(const TouchGesture& g, int id)
{
    for (int i = 0; i < 2 && i < g.down; ++i) {
        if (g.ids[static_cast<std::size_t>(i)] == id)
            return i;
    }
    return -1;
}

}  // namespace

Point pinch_point(const TouchGesture& g)
{
    const int middle_x = (g.at[0].x + g.at[1].x) / 2;
    const int middle_y = (g.at[0].y + g.at[1].y) / 2;
    return {middle_x, middle_y - (spread(g) - g.start_spread)};
}

MouseEvents touch_down(TouchGesture& g, int id, Point at)
{
    MouseEvents out;
    if (g.down < 2) {
        g.ids[static_cast<std::size_t>(g.down)] = id;
        g.at[static_cast<std::size_t>(g.down)] = at;
    }
    ++g.down;
    if (g.phase == TouchGesture::Phase::Idle && g.down == 1) {
        g.phase = TouchGesture::Phase::Waiting;
        g.first_down = at;
    } else if (g.phase == TouchGesture::Phase::Waiting && g.down == 2) {
        g.phase = TouchGesture::Phase::Pinching;
        g.start_spread = spread(g);
        out.add(MouseEventKind::Press, true, pinch_point(g));
    }
    return out;
}

MouseEvents touch_move(TouchGesture& g, int id, Point at)
{
    MouseEvents out;
    const int i = slot(g, id);
    if (i < 0)
        return out;
    g.at[static_cast<std::size_t>(i)] = at;
    switch (g.phase) {
    case TouchGesture::Phase::Waiting:
        if (std::abs(at.x - g.first_down.x) + std::abs(at.y - g.first_down.y) > touch_slop) {
            g.phase = TouchGesture::Phase::Dragging;
            out.add(MouseEventKind::Press, false, g.first_down);
            out.add(MouseEventKind::Move, false, at);
        }
        break;
    case TouchGesture::Phase::Dragging:
        if (i == 0)
            out.add(MouseEventKind::Move, false, at);
        break;
    case TouchGesture::Phase::Pinching: out.add(MouseEventKind::Move, true, pinch_point(g)); break;
    default: break;
    }
    return out;
}

MouseEvents touch_up(TouchGesture& g, int id, Point at)
{
    MouseEvents out;
    const int i = slot(g, id);
    if (i >= 0)
        g.at[static_cast<std::size_t>(i)] = at;
    switch (g.phase) {
    case TouchGesture::Phase::Waiting:
        if (i == 0) {  // a tap: the press and the release where the finger came down
            out.add(MouseEventKind::Press, false, g.first_down);
            out.add(MouseEventKind::Release, false, g.first_down);
            g.phase = TouchGesture::Phase::Finished;
        }
        break;
    case TouchGesture::Phase::Dragging:
        if (i == 0) {
            out.add(MouseEventKind::Release, false, at);
            g.phase = TouchGesture::Phase::Finished;
        }
        break;
    case TouchGesture::Phase::Pinching:
        if (i >= 0) {
            out.add(MouseEventKind::Release, true, pinch_point(g));
            g.phase = TouchGesture::Phase::Finished;
        }
        break;
    default: break;
    }
    // The fingers after it move up a slot; when the last is up a new gesture may begin.
    if (i == 0) {
        g.ids[0] = g.ids[1];
        g.at[0] = g.at[1];
    }
    if (--g.down <= 0) {
        g.down = 0;
        g.phase = TouchGesture::Phase::Idle;
    }
    return out;
}

MouseEvents touch_cancel(TouchGesture& g)
{
    MouseEvents out;
    if (g.phase == TouchGesture::Phase::Dragging || g.phase == TouchGesture::Phase::Pinching)
        out.add(MouseEventKind::Cancel, g.phase == TouchGesture::Phase::Pinching, g.at[0]);
    g = TouchGesture{};
    return out;
}

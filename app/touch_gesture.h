// Fingers on the scales as the mouse the core knows: one finger is the left button, two fingers
// the right-button drag that zooms a column. The page reports each finger's down, move and up; the
// answer is the mouse events they stand for.
#pragma once

#include <array>

#include "display/canvas.h"

/// A finger that moves no further than this (in client pixels, along x plus along y) is still
/// waiting: a second finger that lands by then makes the two a pinch.
inline constexpr int touch_slop = 6;

enum class MouseEventKind { Press, Move, Release, Cancel };

struct MouseEvent {
    MouseEventKind kind = MouseEventKind::Move;
    bool right = false;
    Point at;
};

/// At most two mouse events answer one finger event (a press and the move that catches up).
struct MouseEvents {
    std::array<MouseEvent, 2> events{};
    int count = 0;
    void add(MouseEventKind kind, bool right, Point at) { events[static_cast<std::size_t>(count++)] = {kind, right, at}; }
};

struct TouchGesture {
    enum class Phase {
        Idle,      ///< no finger down
        Waiting,   ///< one finger down that has not yet moved past the slop: nothing pressed yet
        Dragging,  ///< one finger is the left button, pressed; further fingers are ignored
        Pinching,  ///< two fingers are the right button, pressed at their middle
        Finished,  ///< the press has ended; the fingers still down do nothing until all are up
    };
    Phase phase = Phase::Idle;
    int down = 0;  ///< fingers down
    std::array<int, 2> ids{};
    std::array<Point, 2> at{};
    Point first_down;
    int start_spread = 0;  ///< the fingers' distance when the pinch began
};

/// The point the right button is at during a pinch: the fingers' middle, raised by as much as they
/// have spread since the pinch began (spreading zooms in, as a right-button drag up does).
Point pinch_point(const TouchGesture& g);

MouseEvents touch_down(TouchGesture& g, int id, Point at);
MouseEvents touch_move(TouchGesture& g, int id, Point at);
MouseEvents touch_up(TouchGesture& g, int id, Point at);
/// The browser took the fingers (a scroll, a system gesture): a press under way is cancelled.
MouseEvents touch_cancel(TouchGesture& g);

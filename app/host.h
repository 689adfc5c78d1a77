// What the portable shell logic asks of the platform. The Windows program implements it;
// tests fake it.
#pragma once

enum class CursorKind { Arrow, Drag };

class MouseHost {
public:
    virtual ~MouseHost() = default;
    virtual void capture_mouse() = 0;
    virtual void release_mouse() = 0;
    virtual void set_cursor(CursorKind cursor) = 0;
    /// Repaint the whole client area (without erasing the background).
    virtual void invalidate() = 0;
};

// A MouseHost that records every call, in order, for the mouse and drag tests.
#pragma once

#include <algorithm>
#include <vector>

#include "app/host.h"

enum class HostCall { Capture, Release, ArrowCursor, DragCursor, Invalidate };

class RecordingMouseHost : public MouseHost {
public:
    std::vector<HostCall> calls;

    void capture_mouse() override { calls.push_back(HostCall::Capture); }
    void release_mouse() override { calls.push_back(HostCall::Release); }
    void set_cursor(CursorKind cursor) override
    {
        calls.push_back(cursor == CursorKind::Drag ? HostCall::DragCursor : HostCall::ArrowCursor);
    }
    void invalidate() override { calls.push_back(HostCall::Invalidate); }

    int count(HostCall call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }
    void clear() { calls.clear(); }
};

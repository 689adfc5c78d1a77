#include "app/window_area.h"

#include <algorithm>

namespace {

int width_of(const Rect& r) { return r.right - r.left; }
int height_of(const Rect& r) { return r.bottom - r.top; }

/// The start of a span of `length` within [low, high): as near `start` as the span allows, the low
/// end where it is longer than the span.
int within(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length)); }

/// `wanted`, at least `least`, at most `most` where `most` holds `least`.
int size_within(int wanted, int least, int most) { return std::max(least, std::min(wanted, std::max(most, least))); }

Rect sized(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

}  // namespace

Rect keep_within(Rect r, const Rect& area)
{
    const int width = width_of(r);
    const int height = height_of(r);
    return sized(within(r.left, width, area.left, area.right), within(r.top, height, area.top, area.bottom), width,
                 height);
}

Rect centred_within(WindowSize size, const Rect& owner, const Rect& area)
{
    const int left = owner.left + (width_of(owner) - size.width) / 2;
    const int top = owner.top + (height_of(owner) - size.height) / 2;
    return keep_within(sized(left, top, size.width, size.height), area);
}

Rect first_window_rect(const Rect& area, int dpi, WindowSize least)
{
    constexpr int design_size = 600;
    constexpr int design_offset = 100;
    const int proportional = (design_size * std::max(dpi, 1) + 48) / 96;
    const int width = size_within(proportional, least.width, width_of(area));
    const int height = size_within(proportional, least.height, height_of(area));
    return keep_within(sized(area.left + design_offset, area.top + design_offset, width, height), area);
}

Rect restored_window_rect(Rect stored, const Rect& area, WindowSize least)
{
    const int width = size_within(width_of(stored), least.width, width_of(area));
    const int height = size_within(height_of(stored), least.height, height_of(area));
    return keep_within(sized(stored.left, stored.top, width, height), area);
}

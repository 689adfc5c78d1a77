// Which inputs of a target paint a frame, and in how large a window.
//
// A frame costs more under the sanitizers than everything else a target does with an input, so
// only one input in a share paints (each target picks its share), mostly in a small-to-moderate
// window and now and then in a large one. The choice is drawn from all of the input's bytes: an
// input always makes the same choice (a finding replays from its file alone), while any change to
// it draws again, so the mutations of an input that paints do not all paint.
#pragma once

#include <cstddef>
#include <cstdint>

/// One painting input in this many gets a large window.
inline constexpr uint64_t large_window_share = 16;

/// FNV-1a of the input. Left out of coverage tracing: it says nothing about the program.
__attribute__((no_sanitize("coverage"))) inline uint64_t input_hash(const uint8_t* data, std::size_t size)
{
    uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 1099511628211ull;
    }
    return h;
}

struct PaintChoice {
    bool paints = false;
    bool large_window = false;
    /// Bits of the hash not used by the two choices above, for a target to draw sizes from.
    uint64_t bits = 0;
};

/// Whether the input paints (one in `share` do) and how.
inline PaintChoice paint_choice(const uint8_t* data, std::size_t size, uint64_t share)
{
    const uint64_t h = input_hash(data, size);
    PaintChoice c;
    c.paints = h % share == 0;
    c.large_window = h / share % large_window_share == 0;
    c.bits = h / share / large_window_share;
    return c;
}

/// The largest window of a painting input: the ordinary and the large one.
inline constexpr int moderate_width = 1000;
inline constexpr int moderate_height = 800;
inline constexpr int large_width = 2500;
inline constexpr int large_height = 2500;

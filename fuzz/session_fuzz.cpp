// Sessions of toolbar clicks, menu choices, keys, drags, camera dialog edits, window sizes and
// restarts drawn from the input, from the defaults or a hand-edited settings file: every state
// reached keeps the invariants (finite numbers, distances in order, usable cameras, no "?", "inf"
// or "nan" in any text, and what is saved loads back to the same state and saves the same text).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

#include "fuzz/fuzz_check.h"
#include "support/session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const SessionResult result = run_session(std::span<const uint8_t>(data, size), false);
    if (!result.broken.empty()) {
        std::fprintf(stderr, "%s\n", result.broken.c_str());
        FUZZ_CHECK(result.broken.empty());
    }
    return 0;
}

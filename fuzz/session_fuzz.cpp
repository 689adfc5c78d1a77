// Sessions of toolbar clicks, menu choices, keys, drags, camera dialog edits, window sizes and
// restarts drawn from the input, from the defaults or a hand-edited settings file: every state
// reached keeps the invariants (finite numbers, distances in order, usable cameras, no "?", "inf"
// or "nan" in any text, and what is saved loads back to the same state and saves the same text).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

#include "fuzz/fuzz_check.h"
#include "fuzz/paint_share.h"
#include "support/session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // The texts after every step and a painted frame cost more than the session: the texts are
    // checked at the end, and one input in 32 paints. Sessions of up to 40 steps keep the target
    // near 2000 inputs a second (the property test runs sessions of up to 200).
    const SessionChecks checks{false, paint_choice(data, size, 32).paints, 40};
    const SessionResult result = run_session(std::span<const uint8_t>(data, size), checks);
    if (!result.broken.empty()) {
        std::fprintf(stderr, "%s\nthe settings then:\n%s", result.broken.c_str(), result.settings.c_str());
        FUZZ_CHECK(result.broken.empty());
    }
    return 0;
}

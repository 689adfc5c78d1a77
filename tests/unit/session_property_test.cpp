// Random sessions of clicks, menu choices, keys, drags, camera dialog edits, window sizes and
// restarts, from the defaults and from hand-edited settings files: every state reached keeps the
// invariants (finite numbers, distances in order, usable cameras, no "?" in any text, what is saved
// loads back to the same state). The session fuzz target runs the same sessions from its inputs.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/session.h"

namespace {

std::string hex(const std::vector<uint8_t>& bytes)
{
    std::string out;
    for (const uint8_t b : bytes) {
        static constexpr char digits[] = "0123456789abcdef";
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

TEST(SessionProperty, EveryStateASessionReachesKeepsTheInvariants)
{
    std::mt19937 random(20261207);
    int steps = 0;
    const char* more = std::getenv("QEL_SESSIONS");  // a longer search by hand: QEL_SESSIONS=100000
    const int sessions = more != nullptr ? std::atoi(more) : 400;
    for (int session = 0; session < sessions; ++session) {
        std::vector<uint8_t> bytes(static_cast<std::size_t>(random() % 600));
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        const SessionResult result = run_session(bytes);
        ASSERT_EQ(result.broken, "") << "session bytes " << hex(bytes);
        steps += result.steps;
    }
    EXPECT_GT(steps, sessions * 25);  // the sessions did run, and long enough to get somewhere
}

}  // namespace

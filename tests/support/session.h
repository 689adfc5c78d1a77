// A user's session replayed through the portable shell logic, every choice drawn from a string of
// bytes: a settings file to start from, then toolbar clicks, menu choices, keys, drags on the
// scales, camera dialog edits, window sizes and restarts (save, then load what was saved). After
// every step the state must keep the invariants of state_invariants.h; the property test and the
// session fuzz target both run it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

/// Reads choices from bytes; past the end every choice is its lowest value.
class ByteChoices {
public:
    explicit ByteChoices(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool empty() const { return at_ >= bytes_.size(); }
    uint8_t byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
    /// A value from low to high inclusive.
    int pick(int low, int high);
    /// A number as a user or a hand-edited file gives it: usual values, boundaries, 0, negatives,
    /// tiny and huge ones.
    double number();

private:
    std::span<const uint8_t> bytes_;
    std::size_t at_ = 0;
};

/// What a session left broken, or empty when every step kept every invariant.
struct SessionResult {
    std::string broken;
    int steps = 0;
    /// When broken: the settings text of the state that broke it (UTF-8), to start a search from.
    std::string settings;
};

struct SessionChecks {
    /// Every text the window would show, after each step (slower); they are always checked at the end.
    bool texts_each_step = true;
    /// A frame painted at the end, every text it draws checked.
    bool paint = true;
    /// The longest session: the rest of the bytes is left unread.
    int max_steps = 200;
};

/// Runs the session drawn from `bytes`. The records of one run are kept for the next (a session
/// starts from a settings text, which puts every one of them back).
SessionResult run_session(std::span<const uint8_t> bytes, SessionChecks checks = {});

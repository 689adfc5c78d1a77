// What the fuzz targets share: a check that ends the run with a message (libFuzzer then keeps the
// input), a byte copy for empty inputs, and UTF-16 text shown readably in such messages.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tests/support/u16_text.h"

[[noreturn]] inline void fuzz_failed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : fuzz_failed(#condition, __FILE__, __LINE__))

/// memcpy that also takes the null pointer of an empty input.
inline void copy_bytes(void* to, const void* from, std::size_t count)
{
    if (count != 0)
        std::memcpy(to, from, count);
}

/// Prints the first line where two texts differ, for a failed comparison of whole files.
inline void show_first_difference(std::u16string_view a, std::u16string_view b)
{
    std::size_t start = 0;
    while (start < a.size() && start < b.size()) {
        const std::size_t end_a = a.find(u'\n', start);
        const std::size_t end_b = b.find(u'\n', start);
        const std::u16string_view line_a = a.substr(start, end_a == a.npos ? a.npos : end_a - start);
        const std::u16string_view line_b = b.substr(start, end_b == b.npos ? b.npos : end_b - start);
        if (line_a != line_b) {
            std::fprintf(stderr, "first:  %s\nsecond: %s\n", printable(line_a).c_str(), printable(line_b).c_str());
            return;
        }
        if (end_a == a.npos)
            break;
        start = end_a + 1;
    }
    std::fprintf(stderr, "the texts differ in length: %zu and %zu units\n", a.size(), b.size());
}

#include "text/parse.h"

#include <cmath>
#include <limits>

namespace {

bool is_digit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Skips an optional sign at `i`: "+" is ignored, "-" and U+2212 make the result negative.
bool read_sign(std::u16string_view text, std::size_t& i)
{
    if (i >= text.size())
        return false;
    if (text[i] == u'+') {
        ++i;
        return false;
    }
    if (text[i] == u'-' || text[i] == u'\u2212') {
        ++i;
        return true;
    }
    return false;
}

// 10 to the power s: exact small cases, otherwise by repeated squaring (reciprocal for s < 0).
double power_of_ten(int64_t s)
{
    if (s == -1)
        return 0.1;
    if (s == 0)
        return 1;
    if (s == 1)
        return 10;
    if (s == 2)
        return 100;
    uint64_t n = s < 0 ? 0 - static_cast<uint64_t>(s) : static_cast<uint64_t>(s);
    double result = 1;
    double base = 10;
    while (n != 0) {
        if (n & 1)
            result *= base;
        n >>= 1;
        if (n != 0)
            base *= base;
    }
    return s < 0 ? 1 / result : result;
}

}  // namespace

bool parse_int(std::u16string_view text, int32_t& value)
{
    std::size_t i = 0;
    const bool negative = read_sign(text, i);
    // The magnitude is gathered in 64 bits and stops growing past the 32-bit range, so a long
    // run of digits saturates instead of overflowing.
    constexpr uint64_t limit = 2147483648u;  // the magnitude of the smallest int32
    uint64_t magnitude = 0;
    bool any_digit = false;
    bool too_large = false;
    while (i < text.size() && is_digit(text[i])) {
        any_digit = true;
        if (magnitude <= limit)
            magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - u'0');
        ++i;
    }
    if (negative) {
        if (magnitude > limit) {
            magnitude = limit;
            too_large = true;
        }
        value = magnitude == limit ? std::numeric_limits<int32_t>::min() : -static_cast<int32_t>(magnitude);
    } else {
        if (magnitude > limit - 1) {
            magnitude = limit - 1;
            too_large = true;
        }
        value = static_cast<int32_t>(magnitude);
    }
    if (!any_digit) {
        value = 0;
        return false;
    }
    return i == text.size() && !too_large;
}

bool parse_number(std::u16string_view text, std::size_t& position, double& value)
{
    std::size_t i = position;
    value = 0;
    bool digit_seen = false;
    bool point_seen = false;
    bool percent_seen = false;
    int64_t fraction = 0;
    const bool negative = read_sign(text, i);

    // The scan stops at the first unit that is not part of the number; a failure leaves `value`
    // holding the digits gathered so far, unscaled and unsigned, and the position on the culprit.
    auto fail = [&] {
        position = i;
        return false;
    };
    while (i < text.size()) {
        const char16_t c = text[i];
        if (is_digit(c)) {
            value = value * 10 + (c - u'0');
            digit_seen = true;
            if (point_seen)
                ++fraction;
            ++i;
        } else if (c == u'.' || c == u',') {
            if (point_seen)
                return fail();
            point_seen = true;
            ++i;
        } else if (c == u'%') {
            if (percent_seen)
                return fail();
            percent_seen = true;
            ++i;
        } else if (c == u'E' || c == u'e') {
            ++i;
            const bool negative_exponent = read_sign(text, i);
            if (i >= text.size() || !is_digit(text[i]))
                return fail();
            int exponent = text[i++] - u'0';
            if (i < text.size() && is_digit(text[i]))
                exponent = exponent * 10 + (text[i++] - u'0');
            fraction = negative_exponent ? fraction + exponent : fraction - exponent;
            break;
        } else {
            break;
        }
    }
    const int64_t s = fraction + (percent_seen ? 2 : 0);
    value /= power_of_ten(s);
    if (negative)
        value = -value;
    position = i;
    return (digit_seen || point_seen) && std::isfinite(value);
}

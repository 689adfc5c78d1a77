// The number readers on any UTF-16 text: the position never leaves the text, a success means
// what it says, and a number the format engine writes reads back within its printed precision.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "text/format.h"
#include "text/parse.h"

namespace {

bool is_digit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool is_sign(char16_t c)
{
    return c == u'+' || c == u'-' || c == u'\u2212';
}

void check_parse_int(std::u16string_view text)
{
    int32_t value = 12345;
    const bool ok = parse_int(text, value);
    std::size_t digits = 0;
    const std::size_t sign = !text.empty() && is_sign(text[0]) ? 1 : 0;
    while (sign + digits < text.size() && is_digit(text[sign + digits]))
        ++digits;
    if (digits == 0)
        FUZZ_CHECK(!ok && value == 0);
    if (!ok)
        return;
    // A success is a whole integer: sign, digits and nothing else, and "%d" writes it back.
    FUZZ_CHECK(sign + digits == text.size());
    const Text256 written = format(u"%d", {static_cast<int>(value)});
    int32_t again = 0;
    FUZZ_CHECK(parse_int(written.view(), again) && again == value);
    // Leading zeros and a "+" aside, the digits are the ones written.
    std::u16string_view magnitude = text.substr(sign);
    while (magnitude.size() > 1 && magnitude[0] == u'0')
        magnitude.remove_prefix(1);
    const std::u16string_view written_magnitude = written.view().substr(value < 0 ? 1 : 0);
    FUZZ_CHECK(value == 0 || magnitude == written_magnitude);
}

void check_parse_number(std::u16string_view text, std::size_t start)
{
    std::size_t position = start;
    double value = 0;
    const bool ok = parse_number(text, position, value);
    FUZZ_CHECK(position >= start && position <= text.size());
    if (ok) {
        FUZZ_CHECK(std::isfinite(value));
        FUZZ_CHECK(position > start);
    }
}

// A value written by number_to_text reads back with no more error than the printing allowed.
void check_printed_number(double value, int decimals, char16_t point)
{
    set_decimal_point(point);
    char16_t text[512];
    const std::size_t n = number_to_text(text, decimals, value);
    std::size_t position = 0;
    double read = 0;
    const bool ok = parse_number(std::u16string_view(text, n), position, read);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(!ok);
        return;
    }
    // The digits of a double beyond 2^64 are found by repeated division and can drift by an
    // ulp or two; next to the largest double that drift can read back as beyond it.
    if (std::fabs(value) > 1e308)
        return;
    FUZZ_CHECK(ok);
    FUZZ_CHECK(position == n);
    const double allowed = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-12;
    FUZZ_CHECK(std::fabs(read - value) <= allowed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::u16string text(size / 2, u'\0');
    copy_bytes(text.data(), data, text.size() * sizeof(char16_t));

    check_parse_int(text);
    for (std::size_t start = 0; start <= text.size() && start < 8; ++start)
        check_parse_number(text, start);
    check_parse_number(text, text.size());

    if (size >= sizeof(double) + 1) {
        double value = 0;
        copy_bytes(&value, data, sizeof value);
        const int decimals = data[sizeof value] % 16;
        check_printed_number(value, decimals, u'.');
        check_printed_number(value, decimals, u',');
    }
    return 0;
}

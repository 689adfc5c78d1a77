// The format engine on any double, decimals and decimal point, and format_text on any format and
// arguments: nothing is written outside the buffer, the text always ends with a zero inside it,
// a number never takes exponent notation, and a short buffer holds a prefix of the full text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "text/format.h"

namespace {

constexpr std::size_t full_size = 2048;      // holds any number
constexpr std::size_t max_format_units = 2000;
constexpr std::size_t reference_size = 32768;  // any format of at most max_format_units, expanded

// The characters a number is made of with decimal point `point`.
bool number_character(char16_t c, char16_t point)
{
    return (c >= u'0' && c <= u'9') || c == point || c == minus_sign || c == u'?' || c == u'\u221E';
}

// The shape of a number: an optional minus, then "?" (NaN, unsigned), "∞", or the integer digits
// without a leading zero (unless the integer part is 0) and, for decimals > 0, the point and exactly
// that many digits.
void check_number_shape(std::u16string_view t, int decimals, double value, char16_t point)
{
    if (std::isnan(value)) {
        FUZZ_CHECK(t == u"?");
        return;
    }
    std::size_t i = 0;
    if (value < 0) {
        FUZZ_CHECK(!t.empty() && t[0] == minus_sign);
        i = 1;
    }
    if (std::isinf(value)) {
        FUZZ_CHECK(t.substr(i) == u"\u221E");
        return;
    }
    const std::size_t digits_begin = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
        ++i;
    const std::size_t integer_digits = i - digits_begin;
    FUZZ_CHECK(integer_digits >= 1 && integer_digits <= 309);
    FUZZ_CHECK(integer_digits == 1 || t[digits_begin] != u'0');
    if (decimals == 0) {
        FUZZ_CHECK(i == t.size());
        return;
    }
    FUZZ_CHECK(i < t.size() && t[i] == point);
    ++i;
    FUZZ_CHECK(t.size() - i == static_cast<std::size_t>(decimals));
    for (; i < t.size(); ++i)
        FUZZ_CHECK(t[i] >= u'0' && t[i] <= u'9');
}

// The written text: it ends with a zero inside the buffer.
std::u16string_view written(const std::vector<char16_t>& buffer, std::size_t n)
{
    if (buffer.empty()) {
        FUZZ_CHECK(n == 0);
        return {};
    }
    FUZZ_CHECK(n < buffer.size());
    FUZZ_CHECK(buffer[n] == 0);
    return {buffer.data(), n};
}

void check_number(FuzzedDataProvider& in)
{
    const double value = in.ConsumeFloatingPoint<double>();
    double raw = 0;  // also any bit pattern: NaNs with payloads, denormals
    const std::vector<uint8_t> bits = in.ConsumeBytes<uint8_t>(sizeof raw);
    copy_bytes(&raw, bits.data(), bits.size());
    const int decimals = in.ConsumeIntegralInRange<int>(-2, 17);
    const char16_t point = in.ConsumeIntegral<char16_t>();
    const std::size_t size = in.ConsumeIntegralInRange<std::size_t>(0, 400);

    set_decimal_point(point);
    const char16_t used_point = decimal_point();
    FUZZ_CHECK(used_point != 0 && !(used_point >= u'0' && used_point <= u'9'));
    const int used_decimals = decimals < 0 ? 0 : (decimals > 15 ? 15 : decimals);

    for (const double v : {value, raw, -raw}) {
        std::vector<char16_t> full(full_size, u'#');
        const std::u16string_view text = written(full, number_to_text(full, decimals, v));
        for (char16_t c : text)
            FUZZ_CHECK(number_character(c, used_point));
        check_number_shape(text, used_decimals, v, used_point);

        // The same through "%<k>f" when k is a format digit.
        if (used_decimals <= 6 && decimals == used_decimals) {
            const char16_t format[] = {u'%', static_cast<char16_t>(u'0' + decimals), u'f', 0};
            std::vector<char16_t> via_format(full_size);
            FUZZ_CHECK(written(via_format, format_text(via_format, format, {v})) == text);
        }

        // A short buffer: exactly the room it has, a prefix of the full text, trimmed in place.
        std::vector<char16_t> short_buffer(size, u'#');
        const std::u16string_view cut = written(short_buffer, number_to_text(short_buffer, decimals, v));
        FUZZ_CHECK(cut == text.substr(0, size == 0 ? 0 : size - 1));
        const std::size_t trimmed = trim_zeros(short_buffer);
        FUZZ_CHECK(trimmed <= cut.size());
        if (trimmed < short_buffer.size())
            FUZZ_CHECK(short_buffer[trimmed] == 0);
    }
}

// One argument of any kind; text arguments view the input, a zero-terminated copy of it, or the
// output buffer itself.
struct ArgumentSource {
    std::vector<std::u16string> texts;
};

FormatArg make_argument(FuzzedDataProvider& in, ArgumentSource& source, std::vector<char16_t>& out)
{
    switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: return FormatArg(in.ConsumeIntegral<int>());
    case 1: return FormatArg(in.ConsumeFloatingPoint<double>());
    case 2: {
        const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 128));
        std::u16string& text = source.texts.emplace_back(bytes.size() / 2, u'\0');
        copy_bytes(text.data(), bytes.data(), text.size() * sizeof(char16_t));
        return FormatArg(text.c_str());  // read up to its first zero
    }
    case 3: {
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 300);
        source.texts.emplace_back(length, static_cast<char16_t>(in.ConsumeIntegral<char16_t>()));
        return FormatArg(std::u16string_view(source.texts.back()));
    }
    default: {
        if (out.empty())
            return FormatArg(0);
        const std::size_t begin = in.ConsumeIntegralInRange<std::size_t>(0, out.size() - 1);
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, out.size() - begin);
        return FormatArg(std::u16string_view(out.data() + begin, length));
    }
    }
}

std::size_t format_with(std::vector<char16_t>& out, std::u16string_view format, const std::vector<FormatArg>& a,
                        int count)
{
    switch (count) {
    case 0: return format_text(out, format);
    case 1: return format_text(out, format, {a[0]});
    case 2: return format_text(out, format, {a[0], a[1]});
    default: return format_text(out, format, {a[0], a[1], a[2], a[3], a[4], a[5]});
    }
}

// A text argument that views the output buffer is taken as it was before the call.
FormatArg detached(const FormatArg& arg, const std::vector<char16_t>& out, std::vector<std::u16string>& copies)
{
    if (arg.kind != FormatArg::Kind::Text || arg.text.empty())
        return arg;
    const char16_t* p = arg.text.data();
    if (p < out.data() || p >= out.data() + out.size())
        return arg;
    copies.emplace_back(arg.text);
    return FormatArg(std::u16string_view(copies.back()));
}

void check_format_text(FuzzedDataProvider& in)
{
    set_decimal_point(in.ConsumeBool() ? u'.' : u',');
    const std::size_t size = in.ConsumeIntegralInRange<std::size_t>(0, 1100);
    const int count = in.ConsumeIntegralInRange<int>(0, 3);
    std::vector<char16_t> out(size);
    for (char16_t& c : out)
        c = static_cast<char16_t>(u'a' + in.ConsumeIntegralInRange<int>(0, 25));
    ArgumentSource source;
    source.texts.reserve(8);  // the views must not move
    std::vector<FormatArg> args;
    for (int i = 0; i < 6; ++i)
        args.push_back(make_argument(in, source, out));
    const std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
    std::u16string format(std::min(rest.size() / 2, max_format_units), u'\0');
    copy_bytes(format.data(), rest.data(), format.size() * sizeof(char16_t));

    // The reference: a large separate buffer, every argument detached from the output.
    std::vector<std::u16string> copies;
    copies.reserve(8);
    std::vector<FormatArg> detached_args;
    for (const FormatArg& a : args)
        detached_args.push_back(detached(a, out, copies));
    std::vector<char16_t> full(reference_size);
    const std::size_t full_length = format_with(full, format, detached_args, count);
    FUZZ_CHECK(full_length + 1 < full.size() && full[full_length] == 0);

    const std::size_t n = format_with(out, format, args, count);
    const std::u16string_view text = written(out, n);
    // Within the stack scratch's size a source inside the buffer reads as it was before the call.
    bool overlap = false;
    for (const FormatArg& a : args)
        overlap = overlap || (a.kind == FormatArg::Kind::Text && a.text.data() >= out.data() &&
                              a.text.data() < out.data() + out.size() && !a.text.empty());
    if (!overlap || out.size() <= 1024)
        FUZZ_CHECK(text == std::u16string_view(full.data(), full_length).substr(0, size == 0 ? 0 : size - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        check_number(in);
    else
        check_format_text(in);
    return 0;
}

#include "text/format.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

char16_t g_decimal_point = u'.';

// Rounding offsets 0.5, 0.05, ... 0.5e-15, built by repeated division.
struct RoundingOffsets {
    std::array<double, 16> values{};
    constexpr RoundingOffsets()
    {
        values[0] = 0.5;
        for (std::size_t i = 1; i < values.size(); ++i)
            values[i] = values[i - 1] / 10;
    }
};
constexpr RoundingOffsets g_offsets;  // ready before any static initialiser runs

// Appends to a bounded output, always keeping room for the terminating zero.
class Writer {
public:
    explicit Writer(std::span<char16_t> out) : out_(out) {}
    void put(char16_t c)
    {
        if (pos_ + 1 < out_.size())
            out_[pos_++] = c;
    }
    void put(std::u16string_view s)
    {
        for (char16_t c : s)
            put(c);
    }
    // Appends text that may lie inside the output buffer itself (memmove semantics; only a
    // source at or after the write position survives the units written before it).
    void put_moved(std::u16string_view s)
    {
        if (out_.empty() || s.empty())
            return;
        const std::size_t room = out_.size() - 1 - pos_;
        const std::size_t n = s.size() < room ? s.size() : room;
        std::memmove(out_.data() + pos_, s.data(), n * sizeof(char16_t));
        pos_ += n;
    }
    std::size_t finish()
    {
        if (!out_.empty())
            out_[pos_] = 0;
        return pos_;
    }
    std::size_t position() const { return pos_; }

private:
    std::span<char16_t> out_;
    std::size_t pos_ = 0;
};

// Large enough for the integer digits of the largest double (309), 15 decimals, sign and point.
constexpr std::size_t number_work_size = 400;

// Adds one to the digit string that ends before `end`, carrying leftwards over the decimal point.
// Returns the new length (one more when the carry runs off the front).
std::size_t carry_into(char16_t* digits, std::size_t begin, std::size_t end)
{
    std::size_t i = end;
    while (i > begin) {
        --i;
        if (digits[i] == g_decimal_point)
            continue;
        if (digits[i] == u'9') {
            digits[i] = u'0';
            continue;
        }
        ++digits[i];
        return end;
    }
    std::memmove(digits + begin + 1, digits + begin, (end - begin) * sizeof(char16_t));
    digits[begin] = u'1';
    return end + 1;
}

std::size_t format_number(char16_t* w, int k, double v)
{
    std::size_t n = 0;
    if (std::isnan(v)) {
        w[n++] = u'?';
        return n;
    }
    if (v == 0) {
        w[n++] = u'0';
        if (k > 0) {
            w[n++] = g_decimal_point;
            for (int i = 0; i < k; ++i)
                w[n++] = u'0';
        }
        return n;
    }
    if (v < 0) {
        w[n++] = minus_sign;
        v = -v;
    }
    if (std::isinf(v)) {
        w[n++] = u'\u221E';
        return n;
    }
    const std::size_t digits_begin = n;
    // Half-up rounding: add half a unit of the last decimal, then truncate the digits.
    double a = v + g_offsets.values[static_cast<std::size_t>(k)];

    // A digit pushed to 10 by floating-point error carries into the digits already written
    // instead of printing a letter.
    auto put_digit = [&](int digit) {
        if (digit >= 10) {
            n = carry_into(w, digits_begin, n);
            w[n++] = u'0';
        } else {
            w[n++] = static_cast<char16_t>(u'0' + (digit < 0 ? 0 : digit));
        }
    };
    // The leading digit of x in [0, 10), leaving x holding the rest times ten.
    auto next_digit = [](double& x) {
        int digit = x > 0 ? static_cast<int>(x) : 0;
        if (digit > 10)
            digit = 10;
        x = (x - digit) * 10;
        if (x < 0)
            x = 0;
        return digit;
    };

    double fraction = 0;
    constexpr double two_to_64 = 18446744073709551616.0;
    if (a < two_to_64) {
        // The whole part of a double below 2^64 is exact in 64 bits, and the fraction splits off
        // without error, so no digit is lost to repeated division by ten.
        const std::uint64_t whole = static_cast<std::uint64_t>(a);
        fraction = a - static_cast<double>(whole);
        char16_t reversed[20];
        int count = 0;
        std::uint64_t rest = whole;
        do {
            reversed[count++] = static_cast<char16_t>(u'0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        while (count > 0)
            w[n++] = reversed[--count];
    } else {
        // Larger values are whole numbers: scale to one leading digit and read the digits off.
        int e = 0;
        while (a >= 10) {
            a /= 10;
            ++e;
        }
        for (int i = 0; i <= e; ++i)
            put_digit(next_digit(a));
    }
    if (k > 0) {
        w[n++] = g_decimal_point;
        double rest = fraction * 10;
        for (int i = 0; i < k; ++i)
            put_digit(next_digit(rest));
    }
    return n;
}

// The integer of a "%c" or "%d" argument; a double outside the int range (or NaN) reads as 0.
int int_argument(const FormatArg* arg)
{
    if (!arg)
        return 0;
    if (arg->kind == FormatArg::Kind::Int)
        return arg->integer;
    if (arg->kind == FormatArg::Kind::Double && std::isfinite(arg->number) && std::fabs(arg->number) < 2147483647.0)
        return static_cast<int>(arg->number);
    return 0;
}

bool text_overlaps(std::span<const char16_t> out, std::initializer_list<FormatArg> args)
{
    const std::uintptr_t out_begin = reinterpret_cast<std::uintptr_t>(out.data());
    const std::uintptr_t out_end = reinterpret_cast<std::uintptr_t>(out.data() + out.size());
    for (const FormatArg& arg : args) {
        if (arg.kind != FormatArg::Kind::Text || arg.text.empty())
            continue;
        const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(arg.text.data());
        const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(arg.text.data() + arg.text.size());
        if (begin < out_end && out_begin < end)
            return true;
    }
    return false;
}

int clamp_decimals(int decimals)
{
    return decimals < 0 ? 0 : (decimals > 15 ? 15 : decimals);
}

void write_int(Writer& out, int value)
{
    char16_t digits[12];
    int n = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        out.put(minus_sign);
    while (n > 0)
        out.put(digits[--n]);
}

}  // namespace

void set_decimal_point(char16_t point)
{
    // An empty locale separator keeps ".", and so does a character that would make written numbers
    // unreadable: a digit, a sign, "%" or an exponent letter (the number reader gives them their own
    // meaning), a separator, quote or control character (they split settings lines and tokens), or
    // half of a surrogate pair (not a character on its own).
    const bool unusable = point < 0x20 || (point >= u'0' && point <= u'9') ||
                          std::u16string_view(u" \"+-%Ee\u2212").find(point) != std::u16string_view::npos ||
                          (point >= 0xD800 && point <= 0xDFFF);
    g_decimal_point = unusable ? u'.' : point;
}

char16_t decimal_point()
{
    return g_decimal_point;
}

std::size_t number_to_text(std::span<char16_t> out, int decimals, double value)
{
    char16_t work[number_work_size];
    const std::size_t n = format_number(work, clamp_decimals(decimals), value);
    Writer writer(out);
    writer.put(std::u16string_view(work, n));
    return writer.finish();
}

std::size_t format_text(std::span<char16_t> out, std::u16string_view format,
                        std::initializer_list<FormatArg> args)
{
    // A text argument read from the output buffer itself ("±%s" of a distance made in the same
    // buffer) would be overwritten by the units written before it: format on the stack instead.
    constexpr std::size_t scratch_size = 1024;
    if (!out.empty() && out.size() <= scratch_size && text_overlaps(out, args)) {
        char16_t scratch[scratch_size];
        const std::size_t n = format_text(std::span<char16_t>(scratch, out.size()), format, args);
        std::memcpy(out.data(), scratch, (n + 1) * sizeof(char16_t));
        return n;
    }

    Writer writer(out);
    const FormatArg* next_arg = args.begin();
    auto take = [&]() -> const FormatArg* { return next_arg != args.end() ? next_arg++ : nullptr; };

    std::size_t i = 0;
    while (i < format.size()) {
        const char16_t c = format[i++];
        if (c == 0)
            break;  // the format's terminating zero
        if (c == u'\\') {
            if (i >= format.size())
                break;
            const char16_t escaped = format[i++];
            switch (escaped) {
            case u'0': writer.put(char16_t(0)); break;
            case u'n': writer.put(char16_t(10)); break;
            case u'r': writer.put(char16_t(13)); break;
            case u't': writer.put(char16_t(9)); break;
            default: writer.put(escaped); break;
            }
            continue;
        }
        if (c != u'%') {
            writer.put(c);
            continue;
        }
        int decimals = 4;
        while (i < format.size() && format[i] >= u'0' && format[i] <= u'6')
            decimals = format[i++] - u'0';
        if (i >= format.size())
            break;
        const char16_t conversion = format[i++];
        switch (conversion) {
        case u'%':
            writer.put(u'%');
            break;
        case u'c':
            writer.put(static_cast<char16_t>(static_cast<unsigned>(int_argument(take())) & 0xFFFFu));
            break;
        case u'd':
            write_int(writer, int_argument(take()));
            break;
        case u'f': {
            const FormatArg* arg = take();
            const double v = !arg ? 0.0 : arg->kind == FormatArg::Kind::Int ? arg->integer : arg->number;
            char16_t work[number_work_size];
            writer.put(std::u16string_view(work, format_number(work, decimals, v)));
            break;
        }
        case u's': {
            const FormatArg* arg = take();
            if (arg && arg->kind == FormatArg::Kind::Text)
                writer.put_moved(arg->text);
            break;
        }
        default:
            break;  // an unknown conversion writes nothing
        }
    }
    return writer.finish();
}

std::size_t trim_zeros(std::span<char16_t> text)
{
    std::size_t length = 0;
    while (length < text.size() && text[length] != 0)
        ++length;
    std::u16string_view view(text.data(), length);
    if (view.find(g_decimal_point) == std::u16string_view::npos)
        return length;
    while (length > 0 && text[length - 1] == u'0')
        --length;
    if (length > 0 && text[length - 1] == g_decimal_point)
        --length;
    if (length < text.size())
        text[length] = 0;
    return length;
}

Text256 format(std::u16string_view fmt, std::initializer_list<FormatArg> args)
{
    Text256 t;
    t.length = format_text(t.data, fmt, args);
    return t;
}

Text256 plain_number(double value, int decimals)
{
    Text256 t;
    number_to_text(t.data, decimals, value);
    t.length = trim_zeros(t.data);
    return t;
}

Text256 with_decimal_point(std::u16string_view number)
{
    Text256 out = format(number);
    for (std::size_t i = 0; i < out.length; ++i)
        if (out.data[i] == u'.')
            out.data[i] = decimal_point();
    return out;
}

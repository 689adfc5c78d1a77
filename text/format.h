// Qel's own text formatter: "%d", "%s", "%c", "%f" with a decimals digit ("%2f"),
// the locale decimal point, U+2212 as the minus sign, and no heap allocation.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

/// One argument of format_text. Built implicitly from an int, a double or UTF-16 text.
struct FormatArg {
    enum class Kind : unsigned char { Int, Double, Text };
    Kind kind;
    int integer = 0;
    double number = 0;
    std::u16string_view text;

    constexpr FormatArg(int v) : kind(Kind::Int), integer(v) {}
    constexpr FormatArg(double v) : kind(Kind::Double), number(v) {}
    constexpr FormatArg(const char16_t* zero_terminated)
        : kind(Kind::Text), text(zero_terminated ? std::u16string_view(zero_terminated) : std::u16string_view())
    {
    }
    constexpr FormatArg(std::u16string_view v) : kind(Kind::Text), text(v) {}
};

/// A zero-terminated UTF-16 text of fixed capacity, living on the stack or in a record.
template <std::size_t N>
struct FixedText {
    std::array<char16_t, N> data{};
    std::size_t length = 0;

    std::u16string_view view() const { return {data.data(), length}; }
    const char16_t* c_str() const { return data.data(); }
    std::span<char16_t> buffer() { return data; }
};
using Text256 = FixedText<256>;

/// The decimal point used for every number written (one UTF-16 unit, "." until set). A character
/// that cannot stand in a written number (zero, a control character, a digit, a sign, "%", "e", "E",
/// a space, a double quote, a lone surrogate) is refused and leaves ".".
void set_decimal_point(char16_t point);
char16_t decimal_point();

inline constexpr char16_t minus_sign = u'\u2212';

/// Formats into `out` and zero-terminates it; returns the count of units written before the zero.
/// Output that does not fit is cut at out.size() - 1 units. Missing arguments read as 0 or empty text.
/// A "%s" source may lie inside `out`. The format ends at its size or at a zero unit.
std::size_t format_text(std::span<char16_t> out, std::u16string_view format,
                        std::initializer_list<FormatArg> args = {});

/// Writes one number with `decimals` (0..15) digits after the decimal point; returns its length.
std::size_t number_to_text(std::span<char16_t> out, int decimals, double value);

/// Drops trailing zeros after the decimal point, then a decimal point left at the end.
/// Works on the zero-terminated text in `text`; returns its new length.
std::size_t trim_zeros(std::span<char16_t> text);

/// `number` (a number written with ".") with the decimal point in use: "1.4" reads "1,4" with a
/// decimal comma.
Text256 with_decimal_point(std::u16string_view number);

/// Convenience forms that return the text by value (no heap).
Text256 format(std::u16string_view format, std::initializer_list<FormatArg> args = {});
/// "%<decimals>f" of the value, trimmed: "50", "12.5", "5.66".
Text256 plain_number(double value, int decimals = 2);

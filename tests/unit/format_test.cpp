// The format engine: fixed decimals, the locale decimal point, U+2212, escapes, trimming,
// bounded output and numbers far outside the everyday range.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "support/u16_text.h"
#include "text/format.h"

namespace {

std::u16string formatted(std::u16string_view fmt, std::initializer_list<FormatArg> args = {})
{
    std::array<char16_t, 256> out;
    out.fill(u'#');
    const std::size_t n = format_text(out, fmt, args);
    EXPECT_LT(n, out.size());
    EXPECT_EQ(out[n], 0) << "the output is always zero-terminated";
    return std::u16string(out.data(), n);
}

std::u16string number(int decimals, double value)
{
    std::array<char16_t, 512> out;
    const std::size_t n = number_to_text(out, decimals, value);
    EXPECT_EQ(out[n], 0);
    return std::u16string(out.data(), n);
}

std::u16string trimmed(std::u16string text)
{
    std::array<char16_t, 64> buffer{};
    std::copy(text.begin(), text.end(), buffer.begin());
    const std::size_t n = trim_zeros(buffer);
    EXPECT_EQ(buffer[n], 0);
    return std::u16string(buffer.data(), n);
}

// Restores the full stop after tests that switch the decimal point.
class DecimalComma : public ::testing::Test {
protected:
    void SetUp() override { set_decimal_point(u','); }
    void TearDown() override { set_decimal_point(u'.'); }
};

struct NumberCase {
    const char16_t* format;
    double value;
    const char16_t* expected;
};

TEST(FormatNumbers, FixedDecimalsRoundHalfUp)
{
    const NumberCase cases[] = {
        {u"%2f", 3.14159, u"3.14"},
        {u"%0f", 2.5, u"3"},
        {u"%f", 2, u"2.0000"},
        {u"%2f", -0.004, u"\u22120.00"},
        {u"%4f", 0.00123, u"0.0012"},
        {u"%2f", 1234.5678, u"1234.57"},
        {u"%0f", 0.4, u"0"},
        {u"%0f", 0.5, u"1"},
        {u"%2f", 0.125, u"0.13"},  // half-up, not half-even
        {u"%1f", 0.05, u"0.1"},
        {u"%3f", 0.0004, u"0.000"},
        {u"%3f", 0.0005, u"0.001"},
        {u"%6f", 1.5, u"1.500000"},
        {u"%5f", 0.03142, u"0.03142"},
        {u"%2f", -1, u"\u22121.00"},
        {u"%0f", -2.5, u"\u22123"},
        {u"%1f", -0.05, u"\u22120.1"},
        {u"%0f", 123456789, u"123456789"},
        {u"%2f", 1000000000.25, u"1000000000.25"},
        {u"%0f", 1e15, u"1000000000000000"},
        {u"%1f", 1e-7, u"0.0"},
        {u"%f", 0.00005, u"0.0001"},
        {u"%2f", 0.0, u"0.00"},
        {u"%0f", 0.0, u"0"},
        {u"%3f", -0.0, u"0.000"},  // negative zero is exactly 0: no sign
        // Rounding that crosses a power of ten adds a digit in front.
        {u"%2f", 9.999, u"10.00"},
        {u"%0f", 9.5, u"10"},
        {u"%1f", 99.96, u"100.0"},
        {u"%0f", 999.5, u"1000"},
        {u"%2f", 0.999, u"1.00"},
        {u"%3f", 0.9999, u"1.000"},
        {u"%1f", 0.096, u"0.1"},
        {u"%2f", -9.999, u"\u221210.00"},
        // Exact halves round up even where a tenth has no exact binary form (6.3, 0.3).
        {u"%0f", 62.5, u"63"},
        {u"%0f", 0.5, u"1"},
        {u"%1f", 0.25, u"0.3"},
        {u"%0f", 4502.5, u"4503"},
        // Whole numbers up to 2^64 print exactly, with zero decimals.
        {u"%2f", 123456789012345678.0, u"123456789012345680.00"},
        {u"%1f", 9007199254740993.0, u"9007199254740992.0"},
        {u"%0f", 1e19, u"10000000000000000000"},
        // The last decimals digit wins; 7, 8 and 9 are not decimals digits.
        {u"%12f", 1.5, u"1.50"},
        {u"%60f", 1.5, u"2"},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(formatted(c.format, {c.value}), c.expected) << "format " << printable(c.format) << " value " << c.value;
}

TEST(FormatNumbers, NumberToTextTakesUpToFifteenDecimals)
{
    EXPECT_EQ(number(2, 1.5), u"1.50");
    EXPECT_EQ(number(15, 0.25), u"0.250000000000000");
    EXPECT_EQ(number(0, 0), u"0");
    EXPECT_EQ(number(4, 0), u"0.0000");
    // Out-of-range decimals are clamped rather than reading past the rounding table.
    EXPECT_EQ(number(-3, 2.5), u"3");
    EXPECT_EQ(number(99, 1).size(), 17u);
}

TEST(FormatNumbers, IntegerArgumentsPrintThroughF)
{
    EXPECT_EQ(formatted(u"%1f", {3}), u"3.0");
    EXPECT_EQ(formatted(u"%0f", {-12}), u"\u221212");
}

TEST(FormatNumbers, HugeValuesNeverUseExponentNotation)
{
    const std::u16string e300 = number(0, 1e300);
    ASSERT_EQ(e300.size(), 301u);
    EXPECT_EQ(e300.substr(0, 16), u"1000000000000000");
    for (char16_t c : e300)
        ASSERT_TRUE(c >= u'0' && c <= u'9') << "unexpected character " << int(c);

    const std::u16string largest = number(6, -std::numeric_limits<double>::max());
    ASSERT_EQ(largest.size(), 1u + 309u + 1u + 6u);
    EXPECT_EQ(largest.substr(0, 7), u"\u2212179769");
    EXPECT_EQ(largest[310], u'.');

    // Into a Text256 the number is cut at 255 units, still zero-terminated.
    const Text256 cut = format(u"%0f", {1e300});
    EXPECT_EQ(cut.length, 255u);
    EXPECT_EQ(cut.data[255], 0);
}

TEST(FormatNumbers, TinyValuesPrintAsZeros)
{
    EXPECT_EQ(number(2, 1e-300), u"0.00");
    EXPECT_EQ(number(15, std::numeric_limits<double>::denorm_min()), u"0.000000000000000");
    EXPECT_EQ(number(0, -1e-300), u"\u22120");
}

TEST(FormatNumbers, NonFiniteValuesPrintASymbol)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(formatted(u"%2f", {inf}), u"\u221E");
    EXPECT_EQ(formatted(u"%0f", {-inf}), u"\u2212\u221E");
    EXPECT_EQ(formatted(u"%f", {nan}), u"?");
    EXPECT_EQ(formatted(u"%3f", {-nan}), u"?");
    EXPECT_EQ(number(15, inf), u"\u221E");
    EXPECT_EQ(formatted(u"[%1f|%1f]", {nan, 2.26}), u"[?|2.3]");
    // Non-finite values given to %d or %c read as 0 instead of overflowing the conversion.
    EXPECT_EQ(formatted(u"%d", {nan}), u"0");
    EXPECT_EQ(formatted(u"%d", {1e20}), u"0");
    EXPECT_EQ(formatted(u"%d", {-7.9}), u"\u22127");
    EXPECT_EQ(formatted(u"%c", {inf}), std::u16string(1, u'\0'));
}

// Every number the engine prints is plain digits with the decimal point and the minus sign,
// without leading zeros, and lies within half a unit of the last decimal of the value.
TEST(FormatNumbers, RandomValuesRoundTripWithinHalfAUnit)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-9, 13);
    std::uniform_int_distribution<int> decimals(0, 6);
    for (int i = 0; i < 20000; ++i) {
        const int k = decimals(random);
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 2)
            v = -v;
        if (i % 7 == 0)  // values just below a rounding boundary
            v = std::floor(v * std::pow(10.0, k)) / std::pow(10.0, k) + 0.4999999 * std::pow(10.0, -k);
        const std::u16string text = number(k, v);
        std::string ascii;
        std::size_t begin = 0;
        if (!text.empty() && text[0] == minus_sign) {
            ascii += '-';
            begin = 1;
        }
        ASSERT_LT(begin, text.size());
        const std::size_t point = text.find(u'.');
        for (std::size_t j = begin; j < text.size(); ++j) {
            const char16_t c = text[j];
            ASSERT_TRUE((c >= u'0' && c <= u'9') || (c == u'.' && j == point)) << "value " << v;
            ascii += static_cast<char>(c);
        }
        if (k == 0) {
            ASSERT_EQ(point, std::u16string::npos);
        } else {
            ASSERT_EQ(text.size() - point - 1, static_cast<std::size_t>(k)) << "value " << v;
        }
        const std::size_t integer_digits = (k == 0 ? text.size() : point) - begin;
        if (integer_digits > 1) {
            ASSERT_NE(text[begin], u'0') << "leading zero for " << v;
        }
        const double back = std::strtod(ascii.c_str(), nullptr);
        const double tolerance = 0.5 * std::pow(10.0, -k) * (1 + 1e-9) + std::fabs(v) * 1e-14;
        ASSERT_NEAR(back, v, tolerance) << "value " << v << " decimals " << k;
    }
}

TEST(FormatIntegers, DecimalWithTrueMinus)
{
    const std::pair<int, const char16_t*> cases[] = {
        {0, u"0"},
        {7, u"7"},
        {1000, u"1000"},
        {-42, u"\u221242"},
        {INT_MAX, u"2147483647"},
        {INT_MIN, u"\u22122147483648"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(formatted(u"%d", {value}), expected) << value;
    // A decimals digit in front of d is read and ignored.
    EXPECT_EQ(formatted(u"%3d", {12}), u"12");
}

TEST(FormatConversions, CharacterTakesTheLowSixteenBits)
{
    EXPECT_EQ(formatted(u"%c", {65}), u"A");
    EXPECT_EQ(formatted(u"%c%c", {0x221E, 0x2212}), u"\u221E\u2212");
    EXPECT_EQ(formatted(u"%c", {0x10041}), u"A");
}

TEST(FormatConversions, PercentSigns)
{
    EXPECT_EQ(formatted(u"Focus: %0f%% behind front", {37.6}), u"Focus: 38% behind front");
    EXPECT_EQ(formatted(u"%0f%%", {99.5}), u"100%");
    EXPECT_EQ(formatted(u"Focus: 50%% behind front"), u"Focus: 50% behind front");
    EXPECT_EQ(formatted(u"%2%"), u"%");
}

TEST(FormatConversions, UnknownConversionDropsPercentAndCharacterOnly)
{
    // "%7" is an unknown conversion: "%" and "7" vanish, the "f" after them is ordinary text,
    // and no argument is used.
    EXPECT_EQ(formatted(u"%7f", {1.5}), u"f");
    EXPECT_EQ(formatted(u"[%7f]%1f", {2.26}), u"[f]2.3");
    EXPECT_EQ(formatted(u"a%xb%qc"), u"abc");
    EXPECT_EQ(formatted(u"%9%%"), u"%");
    EXPECT_EQ(formatted(u"%9%"), u"");
}

TEST(FormatConversions, TextArguments)
{
    EXPECT_EQ(formatted(u"%s %s", {u"12.5", u"mm"}), u"12.5 mm");
    EXPECT_EQ(formatted(u"<%s>", {static_cast<const char16_t*>(nullptr)}), u"<>");
    EXPECT_EQ(formatted(u"f/%s", {std::u16string_view(u"5.6xyz", 3)}), u"f/5.6");
    EXPECT_EQ(formatted(u"Qel %s %d", {u"", 3}), u"Qel  3");
}

TEST(FormatConversions, MissingArgumentsReadAsZeroOrEmpty)
{
    EXPECT_EQ(formatted(u"%d|%2f|%s|"), u"0|0.00||");
    EXPECT_EQ(formatted(u"%d %d", {5}), u"5 0");
}

TEST(FormatConversions, TextSourceInsideTheOutput)
{
    std::array<char16_t, 256> buffer{};
    std::size_t n = format_text(buffer, u"%2f", {4.0});
    ASSERT_EQ(std::u16string(buffer.data(), n), u"4.00");

    // Same place (the usual "%s %s" of a number made in the output buffer).
    n = format_text(buffer, u"%s ft", {buffer.data()});
    EXPECT_EQ(std::u16string(buffer.data(), n), u"4.00 ft");

    // Written further right than it was read.
    n = format_text(buffer, u"x%s", {buffer.data()});
    EXPECT_EQ(std::u16string(buffer.data(), n), u"x4.00 ft");

    // Written further left than it was read.
    n = format_text(buffer, u"%s", {buffer.data() + 2});
    EXPECT_EQ(std::u16string(buffer.data(), n), u".00 ft");

    // A long source overlapping the output is copied in full.
    std::array<char16_t, 1024> big{};
    for (std::size_t i = 0; i < 1000; ++i)
        big[i] = static_cast<char16_t>(u'a' + i % 26);
    n = format_text(big, u">%s<", {big.data()});
    ASSERT_EQ(n, 1002u);
    EXPECT_EQ(big[0], u'>');
    EXPECT_EQ(big[1], u'a');
    EXPECT_EQ(big[1000], static_cast<char16_t>(u'a' + 999 % 26));
    EXPECT_EQ(big[1001], u'<');
    EXPECT_EQ(big[1002], 0);

    // In a larger buffer a source at the write position is still copied correctly.
    std::array<char16_t, 3000> huge{};
    for (std::size_t i = 0; i < 2000; ++i)
        huge[i] = static_cast<char16_t>(u'a' + i % 26);
    n = format_text(huge, u"%s!", {huge.data()});
    ASSERT_EQ(n, 2001u);
    EXPECT_EQ(huge[1999], static_cast<char16_t>(u'a' + 1999 % 26));
    EXPECT_EQ(huge[2000], u'!');

    // A source overlapping a buffer too small for it is cut like any other output.
    std::array<char16_t, 6> six{u'1', u'2', u'3', u'4', u'5', 0};
    n = format_text(six, u"<%s", {six.data()});
    EXPECT_EQ(std::u16string(six.data(), n), u"<1234");
}

TEST(FormatEscapes, BackslashSequences)
{
    EXPECT_EQ(formatted(u"a\\nb"), u"a\nb");
    EXPECT_EQ(formatted(u"a\\rb"), u"a\rb");
    EXPECT_EQ(formatted(u"a\\tb"), u"a\tb");
    EXPECT_EQ(formatted(u"\\\\"), u"\\");
    EXPECT_EQ(formatted(u"\\%d", {3}), u"%d");
    EXPECT_EQ(formatted(u"\\q"), u"q");
    // "\0" writes a zero unit and the output continues after it.
    const std::u16string with_zero = formatted(u"a\\0b%d", {7});
    EXPECT_EQ(with_zero, std::u16string(u"a\0b7", 4));
}

TEST(FormatEscapes, FormatEndingMidwayStopsThere)
{
    EXPECT_EQ(formatted(u"abc%", {1.0}), u"abc");
    EXPECT_EQ(formatted(u"abc%2", {1.0}), u"abc");
    EXPECT_EQ(formatted(u"abc\\"), u"abc");
    EXPECT_EQ(formatted(u""), u"");
    // Nothing beyond the end of the format is read, even when memory continues.
    const char16_t memory[] = u"ab%2f|tail";
    EXPECT_EQ(formatted(std::u16string_view(memory, 4), {1.0}), u"ab");
    // A zero unit inside the format is its end.
    EXPECT_EQ(formatted(std::u16string_view(u"ab\0%d", 5), {4}), u"ab");
}

TEST(FormatOutput, CutAtTheBufferSize)
{
    std::array<char16_t, 5> small;
    small.fill(u'#');
    EXPECT_EQ(format_text(small, u"abcdefg"), 4u);
    EXPECT_EQ(std::u16string(small.data(), 4), u"abcd");
    EXPECT_EQ(small[4], 0);

    EXPECT_EQ(format_text(small, u"%2f", {1234.5}), 4u);
    EXPECT_EQ(std::u16string(small.data(), 4), u"1234");

    EXPECT_EQ(format_text(small, u"ab%s", {u"cdefgh"}), 4u);
    EXPECT_EQ(std::u16string(small.data(), 4), u"abcd");

    std::array<char16_t, 1> one{u'#'};
    EXPECT_EQ(format_text(one, u"xyz"), 0u);
    EXPECT_EQ(one[0], 0);
    EXPECT_EQ(number_to_text(one, 2, 5.0), 0u);

    EXPECT_EQ(format_text(std::span<char16_t>(), u"xyz"), 0u);

    std::array<char16_t, 4> n4;
    EXPECT_EQ(number_to_text(n4, 1, 1234.5), 3u);
    EXPECT_EQ(std::u16string(n4.data(), 3), u"123");
}

TEST(TrimZeros, DropsZerosAfterThePointThenThePoint)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"100", u"100"},
        {u"1.2500", u"1.25"},
        {u"3.000", u"3"},
        {u"100.00", u"100"},
        {u"23.40", u"23.4"},
        {u"0.0", u"0"},
        {u"\u22120.00", u"\u22120"},
        {u"1.50 mm", u"1.50 mm"},  // the last character is neither a zero nor the point
        {u"12.", u"12"},
        {u"", u""},
        {u"1,50", u"1,50"},  // a comma is not the point here
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(trimmed(text), expected) << printable(text);
}

TEST(TrimZeros, WorksWithoutATerminatorInsideTheSpan)
{
    std::array<char16_t, 4> text{u'1', u'.', u'2', u'0'};
    EXPECT_EQ(trim_zeros(text), 3u);
    EXPECT_EQ(text[3], 0);
}

TEST(PlainNumber, TwoDecimalsTrimmed)
{
    EXPECT_EQ(plain_number(50).view(), u"50");
    EXPECT_EQ(plain_number(12.5).view(), u"12.5");
    EXPECT_EQ(plain_number(5.6).view(), u"5.6");
    EXPECT_EQ(plain_number(5.657).view(), u"5.66");
    EXPECT_EQ(plain_number(0.004).view(), u"0");
    EXPECT_EQ(plain_number(1.25, 1).view(), u"1.3");
}

TEST_F(DecimalComma, NumbersUseTheLocalePoint)
{
    EXPECT_EQ(formatted(u"%2f", {1.5}), u"1,50");
    EXPECT_EQ(trimmed(u"1,50"), u"1,5");
    EXPECT_EQ(trimmed(u"1.50"), u"1.50");  // a full stop without a comma is not trimmed
    EXPECT_EQ(trimmed(u"3,000"), u"3");
    EXPECT_EQ(formatted(u"%1f", {0.0}), u"0,0");
    EXPECT_EQ(formatted(u"%2f", {-9.999}), u"\u221210,00");
    EXPECT_EQ(plain_number(12.5).view(), u"12,5");
    EXPECT_EQ(formatted(u"%0f", {2.5}), u"3");
}

TEST(DecimalPoint, ZeroOrDigitIsRefused)
{
    set_decimal_point(0);
    EXPECT_EQ(decimal_point(), u'.');
    set_decimal_point(u'0');
    EXPECT_EQ(decimal_point(), u'.');
    EXPECT_EQ(formatted(u"%2f", {1.5}), u"1.50");
    set_decimal_point(u'\u066B');  // Arabic decimal separator
    EXPECT_EQ(formatted(u"%1f", {1.5}), u"1\u066B5");
    set_decimal_point(u'.');
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "text/parse.h"

namespace {

struct IntCase {
    std::u16string text;
    bool ok;
    int32_t value;
};

class ParseInt : public testing::TestWithParam<IntCase> {};

TEST_P(ParseInt, ReadsWholeIntegers)
{
    const IntCase& c = GetParam();
    int32_t value = 12345;
    EXPECT_EQ(parse_int(c.text, value), c.ok);
    EXPECT_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseInt,
    testing::Values(IntCase{u"0", true, 0}, IntCase{u"42", true, 42}, IntCase{u"+7", true, 7},
                    IntCase{u"-42", true, -42}, IntCase{u"\u221242", true, -42}, IntCase{u"007", true, 7},
                    IntCase{u"", false, 0}, IntCase{u"-", false, 0}, IntCase{u"+", false, 0},
                    IntCase{u"x", false, 0}, IntCase{u" 5", false, 0},      // no digit first
                    IntCase{u"50mm", false, 50}, IntCase{u"3.5", false, 3},  // digits then more
                    IntCase{u"5 ", false, 5}, IntCase{u"--5", false, 0}, IntCase{u"+-5", false, 0},
                    IntCase{u"2147483647", true, 2147483647}, IntCase{u"-2147483648", true, INT32_MIN},
                    // Beyond 32 bits the value saturates and the text is refused.
                    IntCase{u"2147483648", false, INT32_MAX}, IntCase{u"-2147483649", false, INT32_MIN},
                    IntCase{u"99999999999999999999999999999999999999999999999999", false, INT32_MAX},
                    IntCase{u"\u22129999999999999999999999999", false, INT32_MIN},
                    IntCase{u"99999999999999999999x", false, INT32_MAX}));

struct NumberCase {
    std::u16string text;
    bool ok;
    double value;
    std::size_t position;
};

class ParseNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumber, ReadsNumbersAndStopsWhereTheyEnd)
{
    const NumberCase& c = GetParam();
    std::size_t position = 0;
    double value = 99;
    EXPECT_EQ(parse_number(c.text, position, value), c.ok);
    EXPECT_DOUBLE_EQ(value, c.value);
    EXPECT_EQ(position, c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ParseNumber,
    testing::Values(NumberCase{u"1,5", true, 1.5, 3}, NumberCase{u"50%", true, 0.5, 3},
                    NumberCase{u"2.5e1", true, 25, 5}, NumberCase{u"1e-3", true, 0.001, 4},
                    NumberCase{u".", true, 0, 1},        // a lone point
                    NumberCase{u"%", false, 0, 1},       // a lone percent sign
                    NumberCase{u"1.2.3", false, 12, 3},  // fails at the second point, digits unscaled
                    NumberCase{u"1.5", true, 1.5, 3}, NumberCase{u"-1.5", true, -1.5, 4},
                    NumberCase{u"\u22121.00", true, -1, 5}, NumberCase{u"+2", true, 2, 2},
                    NumberCase{u"5%0", true, 0.5, 3},    // the percent may stand among the digits
                    NumberCase{u"12.5%", true, 0.125, 5}, NumberCase{u"50%%", false, 50, 3},
                    NumberCase{u"50mm", true, 50, 2}, NumberCase{u"", false, 0, 0},
                    NumberCase{u"-", false, 0, 1}, NumberCase{u"abc", false, 0, 0},
                    NumberCase{u"1e", false, 1, 2},      // exponent without digits
                    NumberCase{u"1e+", false, 1, 3}, NumberCase{u"-3e\u2212x", false, 3, 4},
                    NumberCase{u"1E2", true, 100, 3}, NumberCase{u"1e+2", true, 100, 4},
                    NumberCase{u"1e\u22122", true, 0.01, 4},
                    NumberCase{u"1e123", true, 1e12, 4},  // two exponent digits at most
                    NumberCase{u"12e2x", true, 1200, 4}, NumberCase{u"1,000.5", false, 1000, 5},
                    NumberCase{u".5", true, 0.5, 2}, NumberCase{u"5.", true, 5, 2},
                    NumberCase{u"0.00001", true, 0.00001, 7}, NumberCase{u"1 2", true, 1, 1}));

TEST(ParseNumberPosition, StartsAtTheGivenPosition)
{
    const std::u16string text = u"x=2,5y";
    std::size_t position = 2;
    double value = 0;
    EXPECT_TRUE(parse_number(text, position, value));
    EXPECT_DOUBLE_EQ(value, 2.5);
    EXPECT_EQ(position, 5u);
}

TEST(ParseNumberLimits, HugeNumbersFailInsteadOfGivingInfinity)
{
    const std::u16string digits(400, u'9');
    std::size_t position = 0;
    double value = 0;
    EXPECT_FALSE(parse_number(digits, position, value));
    EXPECT_EQ(position, 400u);
    EXPECT_TRUE(std::isinf(value));

    // 400 digits and 400 decimals: infinity over infinity, still only a failure.
    const std::u16string both = digits + u"." + digits;
    position = 0;
    EXPECT_FALSE(parse_number(both, position, value));
    EXPECT_EQ(position, both.size());

    // Many decimals of a small number are fine: the divisor grows to infinity, the value to 0.
    const std::u16string tiny = u"0." + std::u16string(400, u'0') + u"1";
    position = 0;
    EXPECT_TRUE(parse_number(tiny, position, value));
    EXPECT_EQ(value, 0);

    position = 0;
    EXPECT_TRUE(parse_number(u"1e99", position, value));
    EXPECT_NEAR(value / 1e99, 1, 1e-12);
    position = 0;
    EXPECT_TRUE(parse_number(u"1e-99", position, value));
    EXPECT_NEAR(value / 1e-99, 1, 1e-12);
}

TEST(ParseNumberLimits, DivisorByRepeatedSquaring)
{
    for (int decimals = 0; decimals <= 20; ++decimals) {
        std::u16string text = u"1.";
        text.append(static_cast<std::size_t>(decimals), u'0');
        std::size_t position = 0;
        double value = 0;
        ASSERT_TRUE(parse_number(text, position, value));
        EXPECT_DOUBLE_EQ(value, 1) << decimals;
    }
    for (int exponent = 0; exponent <= 22; ++exponent) {
        std::u16string text = u"1e";
        text += static_cast<char16_t>(u'0' + exponent / 10);
        text += static_cast<char16_t>(u'0' + exponent % 10);
        std::size_t position = 0;
        double value = 0;
        ASSERT_TRUE(parse_number(text, position, value));
        EXPECT_NEAR(value / std::pow(10.0, exponent), 1, 1e-15) << exponent;
    }
}

}  // namespace

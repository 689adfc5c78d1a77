// Numbers the format engine writes read back through the number reader: with any decimal point
// the locale may give, and for values whose text runs to hundreds of digits.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "support/decimal_point.h"
#include "text/format.h"
#include "text/parse.h"

namespace {

bool read(std::u16string_view text, double& value)
{
    std::size_t position = 0;
    return parse_number(text, position, value) && position == text.size();
}

TEST(NumberRoundTrip, TheWritingDecimalPointIsRead)
{
    for (const char16_t point : {u'.', u',', u'\u066B', u'/', u'\u00B7'}) {
        const DecimalPoint use(point);
        const Text256 text = format(u"%3f", {-1234.5});
        double value = 0;
        EXPECT_TRUE(read(text.view(), value)) << static_cast<int>(point);
        EXPECT_EQ(value, -1234.5) << static_cast<int>(point);
    }
    // "." and "," are read whatever the point is; another point only while it is the one in use.
    const DecimalPoint arabic(u'\u066B');
    double value = 0;
    EXPECT_TRUE(read(u"1.5", value));
    EXPECT_EQ(value, 1.5);
    EXPECT_TRUE(read(u"1,5", value));
    EXPECT_EQ(value, 1.5);
    set_decimal_point(u'.');
    std::size_t position = 0;
    EXPECT_TRUE(parse_number(u"1\u066B5", position, value));
    EXPECT_EQ(value, 1);
    EXPECT_EQ(position, 1u);
}

TEST(NumberRoundTrip, CharactersThatWouldBreakANumberAreNotADecimalPoint)
{
    for (const char16_t refused : {u' ', u'\t', u'\n', u'\r', u'"', u'+', u'-', u'\u2212', u'%', u'e', u'E',
                                   u'\x01', u'5', char16_t(0xD83D), char16_t(0xDCF7)}) {
        const DecimalPoint use(refused);
        EXPECT_EQ(decimal_point(), u'.') << static_cast<int>(refused);
    }
    for (const char16_t accepted : {u',', u'\u066B', u'/', u'\u00B7', u'\''}) {
        const DecimalPoint use(accepted);
        EXPECT_EQ(decimal_point(), accepted) << static_cast<int>(accepted);
    }
}

// A large value written with decimals is a long text; its fraction digits lie far below the
// precision of a double and must not push the digits gathered so far beyond its range.
TEST(NumberRoundTrip, LongTextsOfLargeValuesReadBack)
{
    const DecimalPoint point(u'.');
    for (const double v : {-5e303, 1e308, 1.5e300, 123456789012345678.0, 9.87654321e200, DBL_MAX / 10}) {
        for (const int decimals : {0, 5, 15}) {
            char16_t text[400];
            const std::size_t n = number_to_text(text, decimals, v);
            double value = 0;
            EXPECT_TRUE(read(std::u16string_view(text, n), value)) << v << " " << decimals;
            EXPECT_NEAR(value, v, std::fabs(v) * 1e-12) << v << " " << decimals;
        }
    }
    // Fraction digits beyond the seventeenth significant digit are dropped; integer digits count.
    double value = 0;
    EXPECT_TRUE(read(u"123456789012345678.123456789", value));
    EXPECT_NEAR(value, 123456789012345678.0, 1e3);
    EXPECT_TRUE(read(u"0.12345678901234567890123", value));
    EXPECT_NEAR(value, 0.12345678901234567, 1e-16);
    EXPECT_TRUE(read(u"1" + std::u16string(300, u'0') + u"." + std::u16string(300, u'0'), value));
    EXPECT_NEAR(value, 1e300, 1e285);
}

}  // namespace

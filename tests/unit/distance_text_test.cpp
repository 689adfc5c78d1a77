// Distance text: unit conversion, significant-figure branches, trimming and the suffix.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "support/u16_text.h"
#include "text/distance_text.h"

namespace {

CalcState in_unit(DistanceUnit unit)
{
    CalcState s;
    s.units = unit;
    return s;
}

std::u16string distance(const CalcState& s, double mm)
{
    return std::u16string(format_distance(s, mm).view());
}

struct DistanceCase {
    DistanceUnit unit;
    double millimetres;
    const char16_t* expected;
};

TEST(DistanceText, ExamplesInFeetAndMillimetres)
{
    const DistanceCase cases[] = {
        {DistanceUnit::Foot, 1219.2, u"4 ft"},
        {DistanceUnit::Foot, 914.4, u"3 ft"},
        {DistanceUnit::Foot, 1000, u"3.28 ft"},
        {DistanceUnit::Foot, 30480, u"100 ft"},
        {DistanceUnit::Foot, 3048000, u">9999 ft"},
        {DistanceUnit::Millimetre, 0.0004, u"<0.001 mm"},
    };
    for (const DistanceCase& c : cases)
        EXPECT_EQ(distance(in_unit(c.unit), c.millimetres), c.expected) << c.millimetres;
}

TEST(DistanceText, EverySixUnitsConvertAndCarryTheirSuffix)
{
    const DistanceCase cases[] = {
        {DistanceUnit::Millimetre, 1000, u"1000 mm"},
        {DistanceUnit::Centimetre, 1000, u"100 cm"},
        {DistanceUnit::Inch, 1000, u"39.4 in"},
        {DistanceUnit::Foot, 1000, u"3.28 ft"},
        {DistanceUnit::Yard, 1000, u"1.09 yd"},
        {DistanceUnit::Metre, 1000, u"1 m"},
        {DistanceUnit::Inch, 25.4, u"1 in"},
        {DistanceUnit::Yard, 914.4 * 2.5, u"2.5 yd"},
        {DistanceUnit::Centimetre, 5, u"0.5 cm"},
        {DistanceUnit::Metre, 123.4, u"0.123 m"},
    };
    for (const DistanceCase& c : cases)
        EXPECT_EQ(distance(in_unit(c.unit), c.millimetres), c.expected) << c.millimetres;
}

TEST(DistanceText, DecimalsFollowTheMagnitude)
{
    const CalcState mm = in_unit(DistanceUnit::Millimetre);
    const std::pair<double, const char16_t*> cases[] = {
        {9999.4, u"9999 mm"},     // %0f
        {9999.995, u">9999 mm"},  // just above 9999.99
        {10000, u">9999 mm"},
        {123.4, u"123 mm"},
        {100, u"100 mm"},
        {99.996, u"100 mm"},  // %1f gives 100.0, trimmed to 100
        {12.34, u"12.3 mm"},
        {10, u"10 mm"},
        {9.999, u"10 mm"},  // %2f gives 10.00
        {1.5, u"1.5 mm"},
        {1, u"1 mm"},
        {0.5, u"0.5 mm"},
        {0.12345, u"0.123 mm"},
        {0.0016, u"0.002 mm"},
        {0.001, u"0.001 mm"},
        {0.000999, u"<0.001 mm"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(distance(mm, value), expected) << value;
}

TEST(DistanceText, InfinityHasNoUnit)
{
    for (DistanceUnit unit : {DistanceUnit::Millimetre, DistanceUnit::Foot, DistanceUnit::Metre}) {
        const CalcState s = in_unit(unit);
        EXPECT_EQ(distance(s, -1), u"\u221E");
        EXPECT_EQ(distance(s, -0.001), u"\u221E");
        EXPECT_EQ(distance(s, -std::numeric_limits<double>::infinity()), u"\u221E");
    }
}

TEST(DistanceText, ZeroTrimsWithAFullStop)
{
    EXPECT_EQ(distance(in_unit(DistanceUnit::Foot), 0), u"0 ft");
    EXPECT_EQ(distance(in_unit(DistanceUnit::Metre), -0.0), u"0 m");  // negative zero is not infinity
}

TEST(DistanceText, NonFiniteInputNeverHangs)
{
    const CalcState s = in_unit(DistanceUnit::Foot);
    EXPECT_EQ(distance(s, std::numeric_limits<double>::infinity()), u">9999 ft");
    EXPECT_EQ(distance(s, std::numeric_limits<double>::quiet_NaN()), u"? ft");
}

class DistanceTextComma : public ::testing::Test {
protected:
    void SetUp() override { set_decimal_point(u','); }
    void TearDown() override { set_decimal_point(u'.'); }
};

TEST_F(DistanceTextComma, NumbersUseTheComma)
{
    EXPECT_EQ(distance(in_unit(DistanceUnit::Foot), 1000), u"3,28 ft");
    EXPECT_EQ(distance(in_unit(DistanceUnit::Foot), 1219.2), u"4 ft");
    EXPECT_EQ(distance(in_unit(DistanceUnit::Millimetre), 12.5), u"12,5 mm");
    EXPECT_EQ(distance(in_unit(DistanceUnit::Foot), 0), u"0 ft");  // never a full stop
    EXPECT_EQ(distance(in_unit(DistanceUnit::Millimetre), 0.0004), u"<0,001 mm");
}

TEST(DistanceText, MacroModeUsesTheMacroUnit)
{
    CalcState s;
    s.mode = Mode::Macro;
    s.units = DistanceUnit::Foot;
    s.macro_units = DistanceUnit::Millimetre;
    EXPECT_EQ(distance(s, 1219.2), u"1219 mm");  // not a macro quantity, still millimetres
    s.macro_units = DistanceUnit::Centimetre;
    EXPECT_EQ(distance(s, 13.333), u"1.33 cm");
    s.mode = Mode::Blur;
    EXPECT_EQ(distance(s, 1219.2), u"4 ft");
}

TEST(DistanceText, UnknownUnitCodePrintsMillimetres)
{
    CalcState s;
    s.units = static_cast<DistanceUnit>(9);
    EXPECT_EQ(distance(s, 1219.2), u"1219 mm");
    s.units = static_cast<DistanceUnit>(-1);
    EXPECT_EQ(distance(s, 12.5), u"12.5 mm");
}

}  // namespace

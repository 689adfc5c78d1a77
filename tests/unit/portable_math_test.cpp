// The program's own transcendental functions: exact where the value is exact, within a few units in
// the last place elsewhere (against the long double functions of the platform), and the same bits
// on every platform (a digest of many results that the native and the Windows build must share).
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>

#include <gtest/gtest.h>

#include "calc/portable_math.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

/// How many doubles lie between a and b (0 when equal, or both NaN).
std::int64_t ulps_apart(double a, double b)
{
    if (a == b || (std::isnan(a) && std::isnan(b)))
        return 0;
    if (std::isnan(a) || std::isnan(b))
        return std::numeric_limits<std::int64_t>::max();
    const auto ordered = [](double d) {
        const auto i = std::bit_cast<std::int64_t>(d);
        return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

struct ExactCase {
    const char* what;
    double got;
    double expected;
};

void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.what; }

class ExactValues : public testing::TestWithParam<ExactCase> {};

TEST_P(ExactValues, AreExact)
{
    const ExactCase c = GetParam();
    EXPECT_EQ(ulps_apart(c.got, c.expected), 0) << c.what << " = " << c.got;
    EXPECT_EQ(std::signbit(c.got), std::signbit(c.expected)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    SpecialAndExactArguments, ExactValues,
    testing::Values(ExactCase{"exp(0)", portable::exp(0), 1}, ExactCase{"exp(-1000)", portable::exp(-1000), 0},
                    ExactCase{"exp(1000)", portable::exp(1000), inf}, ExactCase{"exp(-inf)", portable::exp(-inf), 0},
                    ExactCase{"exp(nan)", portable::exp(nan), nan}, ExactCase{"log(1)", portable::log(1), 0},
                    ExactCase{"log(0)", portable::log(0), -inf}, ExactCase{"log(-1)", portable::log(-1), nan},
                    ExactCase{"log(inf)", portable::log(inf), inf}, ExactCase{"log10(1)", portable::log10(1), 0},
                    ExactCase{"log10(0.001)", portable::log10(0.001), -3}, ExactCase{"log10(1e22)", portable::log10(1e22), 22},
                    ExactCase{"pow(10, 22)", portable::pow(10, 22), 1e22}, ExactCase{"pow(10, -3)", portable::pow(10, -3), 0.001},
                    ExactCase{"pow(2, -0.5 + 2.5)", portable::pow(2, -0.5 + 2.5), 4},
                    ExactCase{"pow(5, 5)", portable::pow(5, 5), 3125}, ExactCase{"pow(-2, 3)", portable::pow(-2, 3), -8},
                    ExactCase{"pow(-8, 1/3)", portable::pow(-8, 1.0 / 3), nan}, ExactCase{"pow(0, 0)", portable::pow(0, 0), 1},
                    ExactCase{"pow(-2, 63)", portable::pow(-2, 63), -0x1p63},
                    ExactCase{"hypot(3, 4)", portable::hypot(3, 4), 5}, ExactCase{"hypot(-5, 12)", portable::hypot(-5, 12), 13},
                    ExactCase{"hypot(0, 0)", portable::hypot(0, 0), 0}, ExactCase{"hypot(inf, nan)", portable::hypot(inf, nan), inf},
                    ExactCase{"hypot(3e300, 4e300)", portable::hypot(0x1p1000 * 3, 0x1p1000 * 4), 0x1p1000 * 5},
                    ExactCase{"hypot(3e-300, 4e-300)", portable::hypot(0x1p-1000 * 3, 0x1p-1000 * 4), 0x1p-1000 * 5},
                    ExactCase{"atan(0)", portable::atan(0), 0}, ExactCase{"atan(-0)", portable::atan(-0.0), -0.0},
                    ExactCase{"atan(inf)", portable::atan(inf), 1.5707963267948966},
                    ExactCase{"atan(1)", portable::atan(1), 0.78539816339744831},
                    ExactCase{"tan(0)", portable::tan(0), 0}, ExactCase{"tan(inf)", portable::tan(inf), nan}));

TEST(PortableMath, EveryPowerOfTenADoubleHoldsHasItsExactLogarithm)
{
    double p = 1;
    for (int n = 0; n <= 22; ++n, p *= 10) {
        EXPECT_EQ(portable::log10(p), n);
        EXPECT_EQ(portable::pow(10, n), p);
        EXPECT_EQ(portable::log10(1 / p), -n);
    }
}

struct AccuracyCase {
    const char* name;
    double (*function)(double);
    long double (*reference)(long double);
    double low;
    double high;
    bool logarithmic;  // arguments spread evenly in log(x) rather than in x
    std::int64_t max_ulps;
};

void PrintTo(const AccuracyCase& c, std::ostream* os) { *os << c.name << " on " << c.low << " .. " << c.high; }

class Accuracy : public testing::TestWithParam<AccuracyCase> {};

TEST_P(Accuracy, StaysWithinAFewUnitsInTheLastPlace)
{
    const AccuracyCase c = GetParam();
    constexpr int samples = 20000;
    std::int64_t worst = 0;
    double worst_x = 0;
    for (int i = 0; i <= samples; ++i) {
        const double t = static_cast<double>(i) / samples;
        const double x = c.logarithmic ? std::exp(std::log(c.low) + t * (std::log(c.high) - std::log(c.low)))
                                       : c.low + t * (c.high - c.low);
        const std::int64_t d = ulps_apart(c.function(x), static_cast<double>(c.reference(x)));
        if (d > worst) {
            worst = d;
            worst_x = x;
        }
    }
    EXPECT_LE(worst, c.max_ulps) << "at x = " << worst_x;
}

INSTANTIATE_TEST_SUITE_P(
    AgainstLongDouble, Accuracy,
    testing::Values(
        AccuracyCase{"exp", portable::exp, [](long double x) { return std::exp(x); }, -740, 709, false, 1},
        AccuracyCase{"exp", portable::exp, [](long double x) { return std::exp(x); }, -2, 2, false, 1},
        AccuracyCase{"log", portable::log, [](long double x) { return std::log(x); }, 1e-300, 1e300, true, 1},
        AccuracyCase{"log", portable::log, [](long double x) { return std::log(x); }, 0.5, 2, false, 1},
        AccuracyCase{"log10", portable::log10, [](long double x) { return std::log10(x); }, 1e-20, 1e20, true, 2},
        AccuracyCase{"atan", portable::atan, [](long double x) { return std::atan(x); }, -4, 4, false, 4},
        AccuracyCase{"atan", portable::atan, [](long double x) { return std::atan(x); }, 1e-8, 1e8, true, 4},
        AccuracyCase{"tan", portable::tan, [](long double x) { return std::tan(x); }, -1.5, 1.5, false, 4},
        AccuracyCase{"tan", portable::tan, [](long double x) { return std::tan(x); }, 1e-6, 0.1, true, 2},
        AccuracyCase{"5^x", [](double x) { return portable::pow(5, x); },
                     [](long double x) { return std::pow(5.0L, x); }, -5, 5, false, 12},
        AccuracyCase{"2^x", [](double x) { return portable::pow(2, x); },
                     [](long double x) { return std::pow(2.0L, x); }, -0.5, 7, false, 8},
        AccuracyCase{"hypot(x, 24)", [](double x) { return portable::hypot(x, 24); },
                     [](long double x) { return std::sqrt(x * x + 576.0L); }, 0.01, 1000, true, 1}));

TEST(PortableMath, GivesTheSameBitsOnEveryPlatform)
{
    // A digest of the bit patterns of many results. Computed on one platform and kept here: the
    // Windows build of this test (run under Wine) and the native one must both arrive at it.
    std::uint64_t digest = 14695981039346656037ull;
    const auto add = [&digest](double v) {
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i) {
            digest ^= (bits >> (8 * i)) & 0xff;
            digest *= 1099511628211ull;
        }
    };
    for (int i = 1; i <= 5000; ++i) {
        const double x = i * 0.0137 - 30;
        add(portable::exp(x));
        add(portable::log(i * 0.731));
        add(portable::log10(i * 3.17));
        add(portable::atan(x));
        add(portable::tan(x * 0.05));
        add(portable::pow(5, x / 6));
        add(portable::pow(2, x / 4));
        add(portable::hypot(x, i * 0.01));
    }
    EXPECT_EQ(digest, 11767019304789459962ull);
}

}  // namespace

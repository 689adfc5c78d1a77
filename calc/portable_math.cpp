#include "calc/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Only operations that every platform rounds alike appear below: + - * / and sqrt (correctly
// rounded by IEEE 754), and exact ones (floor, fabs, comparisons, exponent bits). Polynomial coefficients are minimax fits published with the classic freely
// distributable math library of the early 1990s; the series for atan, sin and cos are Taylor's.

namespace portable {
namespace {

// The bits of a double and back (std::bit_cast, which not every standard library offers yet).
std::uint64_t bits_of(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

double from_bits(std::uint64_t bits)
{
    double x = 0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// ln 2 split so that k * ln2_hi is exact for every exponent k a double has.
constexpr double ln2_hi = 6.93147180369123816490e-01;
constexpr double ln2_lo = 1.90821492927058770002e-10;
constexpr double inv_ln2 = 1.44269504088896338700e+00;
constexpr double inv_ln10 = 4.34294481903251816668e-01;

constexpr double pi_over_2_hi = 1.57079632679489655800e+00;  // pi/2 to double precision
constexpr double pi_over_2_lo = 6.12323399573676603587e-17;  // pi/2 - pi_over_2_hi
constexpr double pi_over_6 = 5.23598775598298815659e-01;
constexpr double sqrt3 = 1.73205080756887719318e+00;
constexpr double tan_pi_over_12 = 2.67949192431122696e-01;
constexpr double pi_over_4 = 7.85398163397448278999e-01;
// pi/2 in two parts, the first with 33 significant bits, for reducing tangent arguments.
constexpr double pi_over_2_part1 = 1.57079632673412561417e+00;
constexpr double pi_over_2_part2 = 6.07710050650619224932e-11;

/// 2^k as a double, for k in -1022 .. 1023.
double power_of_two(int k)
{
    return from_bits(static_cast<std::uint64_t>(k + 1023) << 52);
}

/// y * 2^k, rounded once where the result is normal.
double scale(double y, int k)
{
    if (k > 1023)
        return y * power_of_two(1023) * power_of_two(k - 1023);
    if (k < -1022)
        return y * power_of_two(k + 1000) * power_of_two(-1000);
    return y * power_of_two(k);
}

/// x^n for a whole n >= 0 by repeated squaring: exact whenever every partial product is.
double whole_power(double x, unsigned n)
{
    double result = 1;
    while (n != 0) {
        if (n & 1u)
            result *= x;
        n >>= 1;
        if (n != 0)
            x *= x;
    }
    return result;
}

/// atan(t) for |t| <= tan(pi/12): its Taylor series, which has converged to the last bit by t^29.
double atan_series(double t)
{
    const double z = t * t;
    double sum = 0;
    for (int n = 29; n >= 3; n -= 2)
        sum = z * ((n % 4 == 1 ? 1.0 : -1.0) / n + sum);
    return t + t * sum;
}

/// Whether a whole number is even.
bool even(double n) { return std::floor(n * 0.5) * 2 == n; }

/// sin(r) and cos(r) for |r| <= pi/4 by their Taylor series.
double sin_series(double r)
{
    const double z = r * r;
    // Horner form of r - r^3/3! + r^5/5! - ... + r^19/19!.
    double sum = 1;
    for (int n = 19; n >= 3; n -= 2)
        sum = 1 - z / (static_cast<double>(n) * (n - 1)) * sum;
    return r * sum;
}

double cos_series(double r)
{
    const double z = r * r;
    // Horner form of 1 - r^2/2! + r^4/4! - ... + r^20/20!.
    double sum = 1;
    for (int n = 20; n >= 2; n -= 2)
        sum = 1 - z / (static_cast<double>(n) * (n - 1)) * sum;
    return sum;
}

}  // namespace

double exp(double x)
{
    if (x != x)
        return x;
    if (x > 709.782712893383973096)
        return infinity;
    if (x < -745.13321910194110842)
        return 0;
    // x = k ln 2 + r with |r| <= ln 2 / 2; e^r from a rational fit, then scaled by 2^k.
    const double kx = x * inv_ln2;
    const int k = static_cast<int>(kx < 0 ? kx - 0.5 : kx + 0.5);  // nearest, halves away from zero
    const double hi = x - k * ln2_hi;
    const double lo = k * ln2_lo;
    const double r = hi - lo;
    const double t = r * r;
    const double c = r - t * (1.66666666666666019037e-01 +
                              t * (-2.77777777770155933842e-03 +
                                   t * (6.61375632143793436117e-05 +
                                        t * (-1.65339022054652515390e-06 + t * 4.13813679705723846039e-08))));
    const double y = 1 - ((lo - (r * c) / (2 - c)) - hi);
    return scale(y, k);
}

double log(double x)
{
    if (x != x)
        return x;
    if (x < 0)
        return not_a_number;
    if (x == 0)
        return -infinity;
    if (x == infinity)
        return x;
    int k = 0;
    if (x < 0x1p-1022) {  // subnormal: make it normal first
        x *= 0x1p54;
        k = -54;
    }
    // x = 2^k (1 + f) with sqrt(2)/2 <= 1 + f < sqrt(2).
    const std::uint64_t bits = bits_of(x);
    k += static_cast<int>(bits >> 52) - 1023;
    double m = from_bits((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    if (m > 1.41421356237309504880) {
        m *= 0.5;
        ++k;
    }
    const double f = m - 1;
    const double s = f / (2 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (3.999999999940941908e-01 + w * (2.222219843214978396e-01 + w * 1.531383769920937332e-01));
    const double t2 = z * (6.666666666666735130e-01 +
                           w * (2.857142874366239149e-01 + w * (1.818357216161805012e-01 + w * 1.479819860511658591e-01)));
    const double r = t2 + t1;
    const double half_f_squared = 0.5 * f * f;
    const double dk = k;
    return dk * ln2_hi - ((half_f_squared - (s * (half_f_squared + r) + dk * ln2_lo)) - f);
}

double log10(double x)
{
    const double r = log(x) * inv_ln10;
    if (!std::isfinite(r))
        return r;
    // Powers of ten a double holds exactly give their exponent exactly.
    const double n = std::floor(r + 0.5);
    if (n >= -22 && n <= 22 && std::fabs(r - n) < 1e-12) {
        const double p = whole_power(10, static_cast<unsigned>(std::fabs(n)));
        if (n >= 0 ? x == p : x * p == 1 && x == 1 / p)
            return n;
    }
    return r;
}

double pow(double x, double y)
{
    if (y == 0)
        return 1;
    if (x != x || y != y)
        return not_a_number;
    const bool whole = std::floor(y) == y;
    if (whole && std::fabs(y) <= 64) {
        const double p = whole_power(x, static_cast<unsigned>(std::fabs(y)));
        return y > 0 ? p : 1 / p;
    }
    if (x < 0) {
        if (!whole)
            return not_a_number;
        const bool odd = !even(y);
        const double p = pow(-x, y);
        return odd ? -p : p;
    }
    if (x == 0)
        return y > 0 ? 0 : infinity;
    if (x == infinity)
        return y > 0 ? infinity : 0;
    return exp(y * log(x));
}

double atan(double x)
{
    if (x != x || x == 0)
        return x;
    if (x < 0)
        return -atan(-x);
    if (x == infinity)
        return pi_over_2_hi;
    if (x > 1)  // atan x = pi/2 - atan(1/x)
        return pi_over_2_hi - (atan(1 / x) - pi_over_2_lo);
    if (x > tan_pi_over_12)  // atan x = pi/6 + atan((x sqrt 3 - 1) / (x + sqrt 3))
        return pi_over_6 + atan_series((x * sqrt3 - 1) / (x + sqrt3));
    return atan_series(x);
}

double tan(double x)
{
    if (!std::isfinite(x))
        return not_a_number;
    if (std::fabs(x) <= pi_over_4)
        return sin_series(x) / cos_series(x);
    // x = n pi/2 + r with |r| <= pi/4 (about); tan x = tan r for even n and -1/tan r for odd n.
    const double n = std::floor(x * (2 / 3.14159265358979311600e+00) + 0.5);
    const double r = (x - n * pi_over_2_part1) - n * pi_over_2_part2;
    const double s = sin_series(r);
    const double c = cos_series(r);
    return even(n) ? s / c : -c / s;
}

double hypot(double x, double y)
{
    x = std::fabs(x);
    y = std::fabs(y);
    if (x == infinity || y == infinity)
        return infinity;
    if (x != x || y != y)
        return not_a_number;
    if (x < y) {
        const double t = x;
        x = y;
        y = t;
    }
    if (x == 0)
        return 0;
    // Squares stay in range between 2^-500 and 2^500; scale by a power of two (exactly) otherwise.
    if (x > 0x1p500)
        return hypot(x * 0x1p-600, y * 0x1p-600) * 0x1p600;
    if (x < 0x1p-500)
        return hypot(x * 0x1p600, y * 0x1p600) * 0x1p-600;
    return std::sqrt(x * x + y * y);
}

}  // namespace portable

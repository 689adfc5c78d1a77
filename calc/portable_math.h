// The transcendental functions the program computes with, written out in plain double arithmetic so
// that they give the same bits on every platform: glibc, the Windows C runtime (whose atan, tan and
// hypot are the system's own and differ between Windows versions) and a browser's runtime each have
// their own last-bit rounding, and a digit shown at a rounding boundary would follow it.
// Each is within about one unit in the last place of the exact value; exact cases stay exact.
#pragma once

namespace portable {

/// e to the power x.
double exp(double x);
/// Natural logarithm; NaN below zero, -infinity at zero.
double log(double x);
/// Decimal logarithm; exactly n at 10^n for every power of ten a double holds exactly.
double log10(double x);
/// x to the power y: exact products for whole exponents up to 64 in size (so 10^n is exact where a
/// double holds it), exp(y log x) otherwise; NaN for a negative x with a fractional exponent.
double pow(double x, double y);
/// Arc tangent in radians, in -pi/2 .. pi/2.
double atan(double x);
/// Tangent of an angle in radians.
double tan(double x);
/// sqrt(x^2 + y^2) without overflow or underflow on the way.
double hypot(double x, double y);

}  // namespace portable

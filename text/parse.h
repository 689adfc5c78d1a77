// Reading numbers typed by people or stored in the settings file: "." or "," as the decimal
// point, "-", U+2212 or "+" as the sign, an optional percent sign and exponent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

/// Reads a whole decimal integer. Returns false when no digit was read or anything follows the
/// digits; `value` is set in either case (0 without digits). Digits beyond the 32-bit range
/// saturate at INT32_MIN / INT32_MAX and also return false.
bool parse_int(std::u16string_view text, int32_t& value);

/// Reads a decimal number starting at `position` and leaves `position` on the first unit it did not
/// consume. Returns false on failure (no digit or point, a second point or percent sign, an
/// exponent without digits, a result too large for a double); `value` is set in either case.
bool parse_number(std::u16string_view text, std::size_t& position, double& value);

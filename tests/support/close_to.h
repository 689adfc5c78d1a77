// Relative comparison of doubles for calculation tests.
#pragma once

#include <cmath>

#include <gtest/gtest.h>

/// Passes when `actual` is within `relative` (a fraction) of `expected`.
inline testing::AssertionResult close_to(double actual, double expected, double relative = 1e-9)
{
    if (std::fabs(actual - expected) <= std::fabs(expected) * relative)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << actual << " is not within " << relative << " (relative) of "
                                       << expected;
}

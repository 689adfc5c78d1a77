// Sets the format engine's decimal point for the life of a scope, as a locale would.
#pragma once

#include "text/format.h"

class DecimalPoint {
public:
    explicit DecimalPoint(char16_t point) : previous_(decimal_point()) { set_decimal_point(point); }
    ~DecimalPoint() { set_decimal_point(previous_); }
    DecimalPoint(const DecimalPoint&) = delete;
    DecimalPoint& operator=(const DecimalPoint&) = delete;

private:
    char16_t previous_;
};

#include "display/blur_colour.h"

#include "display/mapping.h"

namespace {

uint8_t channel(double value)
{
    return static_cast<uint8_t>(round_half_away(value));
}

}  // namespace

Colour blur_colour(double b)
{
    if (!(b > 1))
        return colours::white;
    if (b <= 2)
        return {255, 255, channel(255 - (b - 1) * 255)};
    if (b <= 10)
        return {255, channel(255 - (b - 2) * 255 * 0.125), 0};
    if (b <= 20)
        return {255, 0, channel((b - 10) * 255 / 10)};
    if (b <= 40)
        return {channel(255 - (b - 20) * 255 / 20), 0, 255};
    return {0, 0, 255};
}

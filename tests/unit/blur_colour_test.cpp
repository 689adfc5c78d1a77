#include <gtest/gtest.h>

#include <cmath>

#include "display/blur_colour.h"

namespace {

TEST(BlurColour, Breakpoints)
{
    const struct {
        double blur;
        Colour expected;
    } table[] = {
        {-1, {255, 255, 255}},     {0, {255, 255, 255}},     {1, {255, 255, 255}},   {1.0000001, {255, 255, 255}},
        {1.5, {255, 255, 128}},    {2, {255, 255, 0}},       {6, {255, 128, 0}},     {10, {255, 0, 0}},
        {15, {255, 0, 128}},       {20, {255, 0, 255}},      {30, {128, 0, 255}},    {40, {0, 0, 255}},
        {40.0001, {0, 0, 255}},    {1000, {0, 0, 255}},      {std::nan(""), {255, 255, 255}},
    };
    for (const auto& t : table) {
        const Colour c = blur_colour(t.blur);
        EXPECT_EQ(c, t.expected) << t.blur << " gave " << int(c.red) << "," << int(c.green) << "," << int(c.blue);
    }
}

TEST(BlurColour, RampIsContinuousAtEveryBreak)
{
    // Just above each break the colour differs from the break's colour by at most one step.
    for (double b : {1.0, 2.0, 10.0, 20.0, 40.0}) {
        const Colour at = blur_colour(b);
        const Colour above = blur_colour(b + 1e-9);
        EXPECT_LE(std::abs(at.red - above.red) + std::abs(at.green - above.green) + std::abs(at.blue - above.blue), 1)
            << b;
    }
}

}  // namespace

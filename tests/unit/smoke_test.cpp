#include <gtest/gtest.h>

#include "calc/snap.h"

TEST(Smoke, NiceRound) { EXPECT_DOUBLE_EQ(nice_round(499.9), 500); }

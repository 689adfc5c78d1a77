#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "support/allocation_counter.h"

namespace {

// Every form of the global operator new is counted, and its memory goes back through the
// matching delete (a sanitized build reports a mismatch otherwise).
TEST(AllocationCounter, CountsEveryFormOfNew)
{
    const long before = allocation_count();
    auto one = std::make_unique<int>(1);
    auto many = std::make_unique<int[]>(4);
    std::unique_ptr<int> quiet_one(new (std::nothrow) int(2));
    std::unique_ptr<int[]> quiet_many(new (std::nothrow) int[4]);
    EXPECT_EQ(allocation_count() - before, 4);
    EXPECT_TRUE(quiet_one && quiet_many);
}

}  // namespace

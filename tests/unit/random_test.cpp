#include <gtest/gtest.h>

#include "platform/random.h"

TEST(Random, SeededWith1234GivesTheKnownSequence)
{
    SeedRandom(1234);
    const int32_t expected[] = {426964, 2064107413, 54848274, 1786492894, 701939977};
    for (int32_t value : expected)
        EXPECT_EQ(value, NextRandom());
}

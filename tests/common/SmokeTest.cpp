#include <gtest/gtest.h>
TEST(Smoke, Runs) { EXPECT_EQ(4, 2 + 2); }

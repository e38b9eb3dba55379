// The classic 8080 exerciser TST8080.COM on a framework machine.
#include <gtest/gtest.h>

#include "I8080MachineSupport.h"

TEST(I8080Exerciser, PassesTST8080) {
    const i8080test::CExerciserRun run = i8080test::RunExerciser("TST8080.COM", 1000000);
    ASSERT_TRUE(run.finished) << run.text;
    EXPECT_FALSE(i8080test::HasFailureText(run.text)) << run.text;
    EXPECT_NE(std::string::npos, run.text.find("CPU IS OPERATIONAL")) << run.text;
    EXPECT_EQ(4924u, run.cycles);
}

// The classic 8080 exerciser CPUTEST.COM on a framework machine.
#include <gtest/gtest.h>

#include "I8080MachineSupport.h"

TEST(I8080Exerciser, PassesCPUTEST) {
    const i8080test::CExerciserRun run = i8080test::RunExerciser("CPUTEST.COM", 300000000);
    ASSERT_TRUE(run.finished) << run.text;
    EXPECT_FALSE(i8080test::HasFailureText(run.text)) << run.text;
    EXPECT_NE(std::string::npos, run.text.find("CPU TESTS OK")) << run.text;
    EXPECT_EQ(255653383u, run.cycles);
}

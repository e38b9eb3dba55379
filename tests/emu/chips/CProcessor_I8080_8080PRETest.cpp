// The classic 8080 exerciser 8080PRE.COM on a framework machine.
#include <gtest/gtest.h>

#include "I8080MachineSupport.h"

TEST(I8080Exerciser, Passes8080PRE) {
    const i8080test::CExerciserRun run = i8080test::RunExerciser("8080PRE.COM", 1000000);
    ASSERT_TRUE(run.finished) << run.text;
    EXPECT_FALSE(i8080test::HasFailureText(run.text)) << run.text;
    EXPECT_NE(std::string::npos, run.text.find("complete")) << run.text;
    EXPECT_EQ(7817u, run.cycles);
}

// The long 8080 exerciser 8080EXM.COM on a framework machine: every
// instruction group's results against the real chip's checksums. About 24
// billion cycles, so it runs only in the optimised build's long tests.
#include <gtest/gtest.h>

#include "I8080MachineSupport.h"

TEST(I8080ExerciserLong, Passes8080EXM) {
    const i8080test::CExerciserRun run = i8080test::RunExerciser("8080EXM.COM", 30000000000ull);
    ASSERT_TRUE(run.finished) << run.text;
    EXPECT_FALSE(i8080test::HasFailureText(run.text)) << run.text;
    EXPECT_NE(std::string::npos, run.text.find("Tests complete")) << run.text;
    EXPECT_EQ(23803381171ull, run.cycles);
}

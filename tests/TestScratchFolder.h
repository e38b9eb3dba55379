#pragma once
// Scratch folders for tests that write files.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

// A fresh, empty folder below KORVET_TEST_TEMP named after `prefix` and the
// running test, as a narrow text ending with '/' (both builds accept the slash).
inline std::string MakeTestScratchFolder(const char* prefix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(prefix) + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    const std::string folder = std::string(KORVET_TEST_TEMP) + "/" + name;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    return folder + "/";
}

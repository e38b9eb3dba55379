#pragma once
// Scratch folders for the path, folder and file-stream tests.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "common/CPath.h"

// A fresh, empty folder below KORVET_TEST_TEMP named after the running test,
// as a narrow text ending with '/' (both builds accept the slash).
inline std::string MakeTestFolderText() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("paths_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    const std::string folder = std::string(KORVET_TEST_TEMP) + "/" + name;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    return folder + "/";
}

inline common::CPath MakeTestFolder() {
    return common::CPath(MakeTestFolderText().c_str());
}

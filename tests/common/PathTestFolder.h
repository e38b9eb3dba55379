#pragma once
// Scratch folders for the path, folder and file-stream tests.
#include <gtest/gtest.h>

#include <string>

#include "TestScratchFolder.h"
#include "common/CPath.h"

// A fresh, empty folder below KORVET_TEST_TEMP named after the running test,
// as a narrow text ending with '/' (both builds accept the slash).
inline std::string MakeTestFolderText() {
    return MakeTestScratchFolder("paths_");
}

inline common::CPath MakeTestFolder() {
    return common::CPath(MakeTestFolderText().c_str());
}

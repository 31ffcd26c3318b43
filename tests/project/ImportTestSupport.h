#pragma once

// The fixture of the import tests: a project whose base directory is "base" in the test's
// folder, its file manager and the recording host.

#include "AEFileManager.h"
#include "RunTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ProjectTest {

class ImportTest : public ::testing::Test {
protected:
    ImportTest() {
        std::filesystem::create_directory(base());
        project.setBaseDirectory(base() + "/");
        files.setProject(&project);
    }
    std::string base() const { return dir.file("base"); }

    RecordingHost host;
    TestDir dir;
    AEProject project;
    AEFileManager files;
};

} // namespace ProjectTest

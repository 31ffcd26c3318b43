#include "RunLog.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(RunLog, OffUnlessAskedForAndThenPlainLines) {
    unsetenv("GLEAM_LOG");
    {
        RunLog off;
        EXPECT_FALSE(off.enabled());
        off.log("nothing");
        EXPECT_FALSE(std::filesystem::exists(off.path()));
    }
    EXPECT_EQ(RunLog::defaultPath(), std::string(std::getenv("XDG_STATE_HOME")) + "/Gleam/AE.log");

    setenv("GLEAM_LOG", "1", 1);
    RunLog on;
    ASSERT_TRUE(on.enabled());
    on.log("waveInClose failed");
    on.logInt(-42);
    on.logFloat(1.5f);
    on.logTextInt("frames", 308700);
    unsetenv("GLEAM_LOG");
    EXPECT_EQ(fileText(on.path()),
              "Starting up\nwaveInClose failed\n-42\n1.500000\nframes 308700\n");
    // A new log starts the file afresh.
    setenv("GLEAM_LOG", "1", 1);
    RunLog again;
    unsetenv("GLEAM_LOG");
    EXPECT_EQ(fileText(again.path()), "Starting up\n");
}

} // namespace

#include "DirectorySettings.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(DirectorySettings, DefaultsAreTheHomeDirectoryAndEnsureCreatesThem) {
    const std::string home = std::string(std::getenv("HOME")) + "/";
    EXPECT_EQ(DirectorySettings::defaultDirectory(), home);

    DirectorySettings settings;
    RegistryStore store;
    store.writeText("exportAudioDir", "/music/export/");
    settings.loadDirectories();
    EXPECT_EQ(settings.directory(0), home);
    EXPECT_EQ(settings.directory(1), "/music/export/");
    EXPECT_EQ(settings.directory(6), home);

    std::string text;
    EXPECT_FALSE(store.readText("mp3ExportDir", text, "-"));
    EXPECT_TRUE(settings.ensureDirectories());
    for (const char* name : DirectorySettings::kNames) {
        EXPECT_TRUE(store.readText(name, text, "-")) << name;
    }
    EXPECT_TRUE(store.readText("mp3ExportDir", text, "-"));
    EXPECT_EQ(text, home);
    // An existing value is kept.
    EXPECT_TRUE(store.readText("exportAudioDir", text, "-"));
    EXPECT_EQ(text, "/music/export/");
}

} // namespace

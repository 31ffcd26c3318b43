// `make install` into a stage (DESTDIR) and `make uninstall`: every file where the desktop
// looks for it, the entry, metadata and manual page valid, the user manual where the
// program finds it, the pieces naming each other consistently, and nothing left behind
// after uninstalling.
#include "ManualLocation.h"
#include "StringTable.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kId = "com.vortanix.Gleam";

struct Output {
    int status;
    std::string text;
};

// Runs a shell command, with standard error joined to the output.
Output run(const std::string& command) {
    const TestCli::CliRun done =
        TestCli::run("sh", {"-c", QString::fromStdString(command + " 2>&1")});
    return {done.code, done.out};
}

bool have(const std::string& tool) {
    return run("command -v " + tool).status == 0;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// Width and height of a PNG file from its IHDR chunk.
std::pair<uint32_t, uint32_t> pngSize(const std::string& path) {
    const std::string bytes = fileText(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    const auto be32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
    };
    return {be32(16), be32(20)};
}

// The value of `key` in the [Desktop Entry] group.
std::string desktopValue(const std::string& entry, const std::string& key) {
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "";
}

std::vector<std::string> regularFiles(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_directory()) {
            files.push_back(entry.path().string());
        }
    }
    return files;
}

class Install : public ::testing::Test {
protected:
    void SetUp() override {
        const Output installed =
            run("DESTDIR=" + quoted(stage()) + " " + quoted(CMAKE_COMMAND) + " --install " +
                quoted(GLEAM_BUILD_DIR) + " --prefix /usr/local --component Gleam");
        ASSERT_EQ(installed.status, 0) << installed.text;
    }
    std::string stage() const { return dir.file("stage"); }
    std::string prefix() const { return stage() + "/usr/local"; }
    std::string share(const std::string& rest) const { return prefix() + "/share/" + rest; }
    std::string manifest() const {
        return std::string(GLEAM_BUILD_DIR) + "/install_manifest_Gleam.txt";
    }

    TestDir dir;
};

TEST_F(Install, PlacesEveryFileWhereTheDesktopExpectsIt) {
    for (const char* program : {"gleam", "gleam-cli"}) {
        const fs::path path = prefix() + "/bin/" + program;
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_NE(fs::status(path).permissions() & fs::perms::others_exec, fs::perms::none);
    }
    EXPECT_TRUE(fs::is_regular_file(share("applications/" + kId + ".desktop")));
    EXPECT_TRUE(fs::is_regular_file(share("metainfo/" + kId + ".metainfo.xml")));
    EXPECT_TRUE(fs::is_regular_file(share("mime/packages/" + kId + ".xml")));
    EXPECT_TRUE(fs::is_regular_file(share("man/man1/gleam-cli.1")));
    EXPECT_TRUE(fs::is_regular_file(share("icons/hicolor/scalable/apps/" + kId + ".svg")));
    for (int size : {GLEAM_ICON_SIZES}) {
        const std::string edge = std::to_string(size);
        const std::string png =
            share("icons/hicolor/" + edge + "x" + edge + "/apps/" + kId + ".png");
        ASSERT_TRUE(fs::is_regular_file(png)) << png;
        EXPECT_EQ(pngSize(png), (std::pair<uint32_t, uint32_t>(size, size))) << png;
    }
    const Output version = run(quoted(prefix() + "/bin/gleam-cli") + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.text.rfind("gleam-cli ", 0), 0u) << version.text;
}

TEST_F(Install, TheEntryTypeIconAndMetadataNameEachOther) {
    const std::string entry = fileText(share("applications/" + kId + ".desktop"));
    const std::string exec = desktopValue(entry, "Exec");
    EXPECT_EQ(exec, "gleam %f") << "a double click hands the project's path over";
    EXPECT_TRUE(fs::exists(prefix() + "/bin/" + exec.substr(0, exec.find(' '))));
    EXPECT_EQ(desktopValue(entry, "Icon"), kId);
    const std::string type = desktopValue(entry, "MimeType");
    ASSERT_EQ(type, "application/x-gleam-project;");
    const std::string mime = fileText(share("mime/packages/" + kId + ".xml"));
    EXPECT_NE(mime.find("type=\"application/x-gleam-project\""), std::string::npos);
    EXPECT_NE(mime.find("pattern=\"*.dat\""), std::string::npos);
    const std::string meta = fileText(share("metainfo/" + kId + ".metainfo.xml"));
    EXPECT_NE(meta.find("<launchable type=\"desktop-id\">" + kId + ".desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(meta.find("<id>" + kId + "</id>"), std::string::npos);
}

TEST_F(Install, TheProjectTypeIsKnownToTheMimeDatabase) {
    if (!have("update-mime-database")) {
        GTEST_SKIP() << "update-mime-database is not installed";
    }
    const Output updated = run("update-mime-database " + quoted(share("mime")));
    ASSERT_EQ(updated.status, 0) << updated.text;
    const std::string globs = fileText(share("mime/globs2"));
    EXPECT_NE(globs.find("application/x-gleam-project:*.dat"), std::string::npos) << globs;
    EXPECT_NE(fileText(share("mime/magic")).find("application/x-gleam-project"), std::string::npos);
}

TEST_F(Install, DesktopEntryAndAppStreamMetadataValidate) {
    if (!have("desktop-file-validate") || !have("appstreamcli")) {
        GTEST_SKIP() << "desktop-file-validate or appstreamcli is not installed";
    }
    const Output entry =
        run("desktop-file-validate " + quoted(share("applications/" + kId + ".desktop")));
    EXPECT_EQ(entry.status, 0) << entry.text;
    EXPECT_EQ(entry.text, "") << "no warnings either";
    const Output meta =
        run("appstreamcli validate --no-net " + quoted(share("metainfo/" + kId + ".metainfo.xml")));
    EXPECT_EQ(meta.status, 0) << meta.text;
}

TEST_F(Install, TheManualPageRendersWithoutWarnings) {
    const std::string page = share("man/man1/gleam-cli.1");
    const Output warnings = run("groff -man -Tutf8 -ww -z " + quoted(page));
    EXPECT_EQ(warnings.status, 0);
    EXPECT_EQ(warnings.text, "") << warnings.text;
    const Output rendered = have("man") ? run("MANWIDTH=80 man -l " + quoted(page))
                                        : run("groff -man -Tutf8 " + quoted(page));
    ASSERT_EQ(rendered.status, 0) << rendered.text;
    for (const char* part : {"NAME", "SYNOPSIS", "restore", "export", ".flac", "EXIT STATUS"}) {
        EXPECT_NE(rendered.text.find(part), std::string::npos) << part;
    }
}

TEST_F(Install, TheUserManualIsInstalledWhereTheProgramFindsIt) {
    const std::pair<int32_t, std::string> languages[] = {{StringTable::kEnglish, "en"},
                                                         {StringTable::kGerman, "de"},
                                                         {StringTable::kFrench, "fr"},
                                                         {StringTable::kJapanese, "ja"}};
    const std::vector<std::string> folders = ManualLocation::folders(prefix() + "/bin");
    for (const auto& [offset, lang] : languages) {
        const std::string page = share("doc/gleam/manual/" + lang + ".html");
        ASSERT_TRUE(fs::is_regular_file(page)) << page;
        EXPECT_EQ(ManualLocation::find(folders, offset), page);
        const std::string html = fileText(page);
        EXPECT_NE(html.find("<html lang=\"" + lang + "\">"), std::string::npos) << page;
        for (const char* part :
             {"recording", "controls", "processing", "project", "export", "cli"}) {
            EXPECT_NE(html.find("id=\"" + std::string(part) + "\""), std::string::npos)
                << page << " " << part;
        }
        // It names the window's commands as the window does (Fit, Refresh, Information).
        for (const int32_t id : {3310, 3283, 3312}) {
            const std::string* text = StringTable::instance().find(id + offset);
            ASSERT_NE(text, nullptr);
            EXPECT_NE(html.find(*text), std::string::npos) << page << " " << *text;
        }
    }
}

TEST_F(Install, UninstallRemovesEveryInstalledFile) {
    ASSERT_TRUE(fs::exists(manifest()));
    const std::string listed = fileText(manifest());
    // The manifest names the files as the system will see them, without the stage.
    EXPECT_NE(listed.find("\n/usr/local/bin/gleam-cli\n"), std::string::npos) << listed;
    ASSERT_FALSE(regularFiles(stage()).empty());
    const Output removed = run("DESTDIR=" + quoted(stage()) + " " + quoted(CMAKE_COMMAND) +
                               " -DGLEAM_MANIFEST=" + quoted(manifest()) + " -P " +
                               quoted(std::string(GLEAM_SOURCE_DIR) + "/cmake/Uninstall.cmake"));
    ASSERT_EQ(removed.status, 0) << removed.text;
    EXPECT_EQ(regularFiles(stage()), std::vector<std::string>{}) << "nothing left behind";
}

} // namespace

// A pending file reaches its final name only when committed; without replacing, never over
// a file that is there (which stays as it was).
#include "FPendingFile.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace {

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A commit moves the pending file to the final path, without replacing only where nothing
// was. Whatever ends the write short (an exception, a cancel, a failed commit), nothing
// stays under the pending name and the final path keeps what it held.
TEST(FPendingFile, CommitsOrLeavesNothingBehind) {
    TestDir dir;
    const std::string path = dir.file("side-a.wav");
    const struct {
        const char* what;
        bool existing;
        bool writePending;
        int end; // 0: destroyed uncommitted, 1: discard(), 2: commit(), 3: without replacing
        bool committed;
    } rows[] = {{"abandoned over an old file", true, true, 0, false},
                {"abandoned, nothing there", false, true, 0, false},
                {"discarded, then destroyed", true, true, 1, false},
                {"discard of a pending file never made", true, false, 1, false},
                {"commit without a pending file", true, false, 2, false},
                {"commit without replacing, pending file never made", false, false, 3, false},
                {"committed, then destroyed", true, true, 2, true},
                {"committed where nothing was", false, true, 2, true},
                {"committed without replacing where nothing was", false, true, 3, true},
                {"not committed without replacing over an old file", true, true, 3, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove(path);
        if (row.existing) {
            write(path, "old");
        }
        std::string pendingPath;
        {
            FPendingFile pending(path);
            pendingPath = pending.pendingPath();
            EXPECT_EQ(pendingPath, path + ".saving");
            if (row.writePending) {
                write(pendingPath, "new");
            }
            if (row.end == 1) {
                pending.discard();
            } else if (row.end == 2) {
                EXPECT_EQ(pending.commit(), row.committed);
            } else if (row.end == 3) {
                EXPECT_EQ(pending.commitWithoutReplacing(), row.committed);
            }
            EXPECT_EQ(pending.committed(), row.committed);
        }
        EXPECT_FALSE(std::filesystem::exists(pendingPath));
        if (row.committed) {
            EXPECT_EQ(fileText(path), "new");
        } else if (row.existing) {
            EXPECT_EQ(fileText(path), "old");
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  std::filesystem::exists(path) ? 1 : 0);
    }
}

// A commit that cannot move the file (a folder holds the final name) fails, removes the
// pending file and leaves the folder and what it holds; a second commit changes nothing.
TEST(FPendingFile, ACommitThatCannotMoveFailsCleanly) {
    TestDir dir;
    const std::string path = dir.file("album");
    std::filesystem::create_directory(path);
    write(path + "/inside.txt", "kept");
    for (const bool replace : {true, false}) {
        FPendingFile pending(path, dir.file("album.part"));
        EXPECT_EQ(pending.pendingPath(), dir.file("album.part"));
        write(pending.pendingPath(), "new");
        EXPECT_FALSE(replace ? pending.commit() : pending.commitWithoutReplacing());
        EXPECT_FALSE(pending.committed());
        EXPECT_FALSE(std::filesystem::exists(pending.pendingPath()));
        EXPECT_FALSE(pending.commit()) << "nothing left to commit";
        EXPECT_TRUE(std::filesystem::is_directory(path));
        EXPECT_EQ(fileText(path + "/inside.txt"), "kept");
    }
}

// Writers racing for one free name: exactly one commit without replacing wins, the file
// holds that writer's whole text, and every other writer's data is gone with its pending
// file. A committed file is not undone by committing again.
TEST(FPendingFile, OfWritersRacingForOneNameExactlyOneWins) {
    TestDir dir;
    const std::string path = dir.file("Title_01.wav");
    constexpr int kWriters = 8;
    for (int round = 0; round < 20; ++round) {
        std::filesystem::remove(path);
        std::vector<std::unique_ptr<FPendingFile>> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.push_back(std::make_unique<FPendingFile>(
                path, dir.file("Title_01.wav.saving" + std::to_string(w))));
            write(writers.back()->pendingPath(), std::string(1000, static_cast<char>('a' + w)));
        }
        std::atomic<int> wins{0};
        std::atomic<int> winner{-1};
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int w = 0; w < kWriters; ++w) {
            threads.emplace_back([&, w] {
                while (!go.load()) {
                    std::this_thread::yield();
                }
                if (writers[static_cast<size_t>(w)]->commitWithoutReplacing()) {
                    ++wins;
                    winner = w;
                }
            });
        }
        go = true;
        for (auto& thread : threads) {
            thread.join();
        }
        ASSERT_EQ(wins.load(), 1) << "round " << round;
        const auto& won = *writers[static_cast<size_t>(winner.load())];
        EXPECT_TRUE(won.committed());
        EXPECT_EQ(fileText(path), std::string(1000, static_cast<char>('a' + winner.load())));
        writers.clear();
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << "only the winner's file stays";
    }
}

} // namespace

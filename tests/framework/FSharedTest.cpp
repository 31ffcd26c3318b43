#include "FShared.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Tracked : FShared {
    explicit Tracked(int* deaths) : deaths_(deaths) {}
    ~Tracked() override { ++*deaths_; }
    int* deaths_;
};

TEST(FShared, LastReleaseDeletesAndCopiesCount) {
    int deaths = 0;
    {
        FRef<Tracked> a = FRef<Tracked>::make(&deaths);
        EXPECT_EQ(a->refCount(), 1);
        {
            FRef<Tracked> b = a;
            EXPECT_EQ(a->refCount(), 2);
            FRef<FShared> base = b;
            EXPECT_EQ(a->refCount(), 3);
        }
        EXPECT_EQ(a->refCount(), 1);
        FRef<Tracked> moved = std::move(a);
        EXPECT_FALSE(a);
        EXPECT_EQ(moved->refCount(), 1);
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 1);
}

TEST(FShared, CountingIsSafeAcrossThreads) {
    int deaths = 0;
    FRef<Tracked> shared = FRef<Tracked>::make(&deaths);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < 10000; ++i) {
                FRef<Tracked> copy = shared;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(shared->refCount(), 1);
    shared.reset();
    EXPECT_EQ(deaths, 1);
}

} // namespace

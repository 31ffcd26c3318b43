#include "FMessageQueue.h"
#include "MApplication.h"
#include "support/QtTestApp.h"

#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Recorder : FMessageReceiver {
    bool notify(FMessage& message) override {
        onMainThread = onMainThread && QThread::currentThread() == qtTestApp().thread();
        sequence.push_back(message.getInt("seq"));
        return true;
    }
    std::vector<int32_t> sequence;
    bool onMainThread = true;
};

TEST(FMessageQueue, MessagesFromManyThreadsArriveOnTheMainThreadInPostingOrder) {
    qtTestApp();
    Recorder recorder;
    std::mutex order;
    int32_t next = 0;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kPerThread; ++i) {
                // The lock fixes the posting order that the delivery must keep.
                std::lock_guard lock(order);
                FMessage message("Test");
                message.setInt("seq", next++);
                ASSERT_TRUE(FMessageQueue::post(&recorder, std::move(message)));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_TRUE(recorder.sequence.empty()) << "posting must not deliver";
    FMessageQueue::deliverPending();
    ASSERT_EQ(recorder.sequence.size(), static_cast<size_t>(kThreads * kPerThread));
    for (size_t i = 0; i < recorder.sequence.size(); ++i) {
        ASSERT_EQ(recorder.sequence[i], static_cast<int32_t>(i));
    }
    EXPECT_TRUE(recorder.onMainThread);
}

TEST(FMessageQueue, ReceiverGoneBeforeDeliveryGetsNothing) {
    qtTestApp();
    int delivered = 0;
    struct Counter : FMessageReceiver {
        explicit Counter(int* n) : n_(n) {}
        bool notify(FMessage&) override { return ++*n_ > 0; }
        int* n_;
    };
    {
        Counter counter(&delivered);
        FMessageQueue::post(&counter, FMessage("Late"));
    }
    FMessageQueue::deliverPending();
    EXPECT_EQ(delivered, 0);
}

TEST(FMessage, AbsentAttributesReadZero) {
    FMessage message("AEMessage");
    EXPECT_EQ(message.getInt("data"), 0);
    EXPECT_FALSE(message.hasInt("data"));
    message.setInt("data", 7);
    message.setInt("data", 9);
    EXPECT_EQ(message.getInt("data"), 9);
    EXPECT_EQ(message.object(), nullptr);
}

struct StartRecorder : MApplication {
    void start() override {
        started = true;
        FMessage message("Ping");
        post(std::move(message));
    }
    bool notify(FMessage& message) override {
        if (message.is("Ping")) {
            sawPingAfterStart = started;
            quit();
        }
        return MApplication::notify(message);
    }
    bool started = false;
    bool sawPingAfterStart = false;
};

TEST(UApplication, StartHookRunsBeforeTheFirstMessageAndQuitEndsTheLoop) {
    qtTestApp();
    StartRecorder app;
    // A safety net: the loop must not outlive a failing test.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(app.sawPingAfterStart);
    EXPECT_GE(app.handledCount(), 1);
}

} // namespace

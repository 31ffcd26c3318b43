// The desktop program runs once per user: a second start finds the first, asks it to
// raise its window and exits with 0, handing over the project it was given (a double click
// on a project file), which the running program opens.
#include "SingleInstance.h"
#include "support/QtTestApp.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

QString logPath() {
    return qEnvironmentVariable("XDG_STATE_HOME") + "/Gleam/AE.log";
}

QString readLog() {
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(SingleInstance, SecondStartRaisesTheFirstAndExitsZero) {
    qtTestApp();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GLEAM_LOG", "1");
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(GLEAM_BINARY, {});
    ASSERT_TRUE(first.waitForStarted(5000));

    const QString server =
        QString::fromStdString(SingleInstance(SingleInstance::kWindowClass).serverName());
    ASSERT_TRUE(waitFor([&] {
        QLocalSocket probe;
        probe.connectToServer(server);
        return probe.waitForConnected(200);
    })) << "the first instance never listened";

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(GLEAM_BINARY, {"/somewhere/project.dat"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitFor([] { return readLog().contains("raise requested by a second start"); }))
        << readLog().toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(readLog().endsWith("--- AE shutdown complete ----\n")) << readLog().toStdString();

    // With the first gone, a new start becomes the one instance (no stale socket in the way).
    QProcess third;
    third.setProcessEnvironment(env);
    third.start(GLEAM_BINARY, {});
    ASSERT_TRUE(third.waitForStarted(5000));
    EXPECT_FALSE(third.waitForFinished(1500)) << "the new start must keep running";
    third.terminate();
    EXPECT_TRUE(third.waitForFinished(10000));
}

// Claims `name` from a thread of its own, as a second process would, handing over `path`.
bool claimFromAnotherThread(const std::string& name, const std::string& path,
                            std::function<bool()> done) {
    bool claimed = true;
    const std::unique_ptr<QThread> asker(QThread::create([&] {
        SingleInstance later(name);
        claimed = later.claim(path);
    }));
    asker->start();
    EXPECT_TRUE(waitFor([&] { return asker->isFinished() && done(); }));
    asker->wait();
    return claimed;
}

TEST(SingleInstanceOpen, ALaterStartHandsItsProjectOver) {
    qtTestApp();
    SingleInstance owner("GleamTestOpenInstance");
    int raised = 0;
    std::vector<std::string> opened;
    owner.setRaiseHandler([&] { ++raised; });
    owner.setOpenHandler([&](const std::string& path) { opened.push_back(path); });
    ASSERT_TRUE(owner.claim());

    const std::string path = "/home/someone/Records/Sunday Lieder – 1962.dat";
    EXPECT_FALSE(
        claimFromAnotherThread("GleamTestOpenInstance", path, [&] { return opened.size() == 1; }));
    EXPECT_EQ(raised, 1) << "the window comes up as well";
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], path);

    // A path relative to the later start's folder arrives whole.
    EXPECT_FALSE(claimFromAnotherThread("GleamTestOpenInstance", "side b.dat",
                                        [&] { return opened.size() == 2; }));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QDir::current().absoluteFilePath("side b.dat").toStdString());

    // Without a path, and with one that cannot travel in one line: only raised.
    EXPECT_FALSE(claimFromAnotherThread("GleamTestOpenInstance", "", [&] { return raised == 3; }));
    EXPECT_FALSE(claimFromAnotherThread("GleamTestOpenInstance", "two\nlines.dat",
                                        [&] { return raised == 4; }));
    EXPECT_EQ(opened.size(), 2u);
}

} // namespace

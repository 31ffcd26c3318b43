// The desktop program runs once per user: a second start finds the first, asks it to
// raise its window and exits with 0.
#include "SingleInstance.h"
#include "support/QtTestApp.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

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

} // namespace

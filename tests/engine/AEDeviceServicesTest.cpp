// The device services against a private session bus (dbus-daemon): the screen saver held
// off through org.freedesktop.ScreenSaver while the program runs and let go at the end,
// and left alone when the desktop has no such service.
#include "AEDeviceServices.h"
#include "EngineTestSupport.h"

#include "support/QtTestApp.h"

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace {

// The desktop's screen saver as the bus shows it: notes what it is asked.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    static constexpr uint kCookie = 4242;

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        note("Inhibit " + application.toStdString() + ": " + reason.toStdString());
        return kCookie;
    }
    void UnInhibit(uint cookie) { note("UnInhibit " + std::to_string(cookie)); }

private:
    void note(const std::string& call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

// A session bus of the test's own, found through DBUS_SESSION_BUS_ADDRESS.
class PrivateBus {
public:
    PrivateBus() {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
            return;
        }
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted() || !daemon_.waitForReadyRead(5000)) {
            return;
        }
        address_ = daemon_.readLine().trimmed().toStdString();
        setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }
    ~PrivateBus() {
        daemon_.terminate();
        daemon_.waitForFinished(3000);
    }
    const std::string& address() const { return address_; }

private:
    QProcess daemon_;
    std::string address_;
};

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(AEDeviceServicesTest, TheScreenSaverIsHeldOffWhileTheProgramRunsWhenTheDesktopHasOne) {
    qtTestApp();
    PrivateBus bus;
    if (bus.address().empty()) {
        GTEST_SKIP() << "no dbus-daemon on this machine";
    }
    ProjectTest::RecordingHost host;
    {
        // A desktop without a screen saver service: nothing is switched, and said so.
        AEDeviceServices services;
        services.disableScreenSaver();
        EXPECT_FALSE(services.screenSaverDisabled());
        services.restoreScreenSaver();
        const auto lines = host.logLines;
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("screen saver left alone: ", 0), 0u) << lines[0];
    }

    QThread serviceThread;
    auto* saver = new FakeScreenSaver;
    saver->moveToThread(&serviceThread);
    QObject::connect(&serviceThread, &QThread::finished, saver, &QObject::deleteLater);
    serviceThread.start();
    QDBusConnection service =
        QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "screen-saver");
    ASSERT_TRUE(service.isConnected());
    ASSERT_TRUE(service.registerService("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(service.registerObject("/org/freedesktop/ScreenSaver", saver,
                                       QDBusConnection::ExportAllSlots));
    {
        AEDeviceServices services;
        services.disableScreenSaver();
        EXPECT_TRUE(services.screenSaverDisabled());
        EXPECT_TRUE(contains(host.logLines, "screen saver disabled"));
        EXPECT_EQ(saver->calls(),
                  (std::vector<std::string>{"Inhibit Gleam!: recording or playing audio"}));
        services.disableScreenSaver(); // once is enough
        EXPECT_EQ(saver->calls().size(), 1u);
        services.restoreScreenSaver();
        EXPECT_FALSE(services.screenSaverDisabled());
        EXPECT_TRUE(contains(host.logLines, "screen saver re-enabled."));
        EXPECT_EQ(saver->calls().back(), "UnInhibit " + std::to_string(FakeScreenSaver::kCookie));
        services.restoreScreenSaver(); // only what was switched off here
        EXPECT_EQ(saver->calls().size(), 2u);
    }
    service.unregisterObject("/org/freedesktop/ScreenSaver");
    QDBusConnection::disconnectFromBus("screen-saver");
    serviceThread.quit();
    serviceThread.wait();
}

} // namespace

#include "AEDeviceServicesTest.moc"

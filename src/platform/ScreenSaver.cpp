#include "ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
// A desktop answers at once; a hung one must not hold up start or exit for long.
constexpr int kTimeoutMs = 2000;

} // namespace

ScreenSaver::~ScreenSaver() {
    uninhibit();
}

bool ScreenSaver::inhibit(const std::string& application, const std::string& reason) {
    if (inhibited_) {
        return true;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        lastError_ = "no session bus";
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                       QStringLiteral("Inhibit"));
    call << QString::fromStdString(application) << QString::fromStdString(reason);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        lastError_ = reply.errorMessage().isEmpty() ? std::string("no answer from ") +
                                                          kService.toStdString()
                                                    : reply.errorMessage().toStdString();
        return false;
    }
    bool ok = false;
    cookie_ = reply.arguments().first().toUInt(&ok);
    if (!ok) {
        lastError_ = "unexpected answer from " + kService.toStdString();
        return false;
    }
    inhibited_ = true;
    lastError_.clear();
    return true;
}

bool ScreenSaver::uninhibit() {
    if (!inhibited_) {
        return false;
    }
    inhibited_ = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        lastError_ = "no session bus";
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                       QStringLiteral("UnInhibit"));
    call << cookie_;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        lastError_ = reply.errorMessage().toStdString();
        return false;
    }
    return true;
}

#include "ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>

#include <optional>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
// A desktop answers at once; a hung one must not hold up start or exit for long.
constexpr int kTimeoutMs = 2000;

// Calls `method` of the screen saver service; the reply, or null with `error` set.
std::optional<QDBusMessage> call(const char* method, const QList<QVariant>& arguments,
                                 std::string& error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = "no session bus";
        return std::nullopt;
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, kPath, kService, QString::fromLatin1(method));
    message.setArguments(arguments);
    QDBusMessage reply = bus.call(message, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        error = reply.errorMessage().isEmpty() ? "no answer from " + kService.toStdString()
                                               : reply.errorMessage().toStdString();
        return std::nullopt;
    }
    return reply;
}

} // namespace

ScreenSaver::~ScreenSaver() {
    uninhibit();
}

bool ScreenSaver::inhibit(const std::string& application, const std::string& reason) {
    if (inhibited_) {
        return true;
    }
    const std::optional<QDBusMessage> reply =
        call("Inhibit", {QString::fromStdString(application), QString::fromStdString(reason)},
             lastError_);
    if (!reply) {
        return false;
    }
    bool ok = false;
    cookie_ = reply->arguments().isEmpty() ? 0 : reply->arguments().first().toUInt(&ok);
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
    return call("UnInhibit", {QVariant::fromValue(cookie_)}, lastError_).has_value();
}

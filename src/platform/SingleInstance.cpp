#include "SingleInstance.h"

#include "FNPath.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {
constexpr int kTimeoutMs = 1000;
const char kRaiseRequest[] = "raise\n";
} // namespace

SingleInstance::SingleInstance(std::string name)
    : serverName_(name + "-" + std::to_string(static_cast<long>(getuid()))) {
    // In the user's session folder when there is one, so that each login session (and
    // each test sandbox) has its own instance; otherwise the system's temporary folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        serverName_ = runtime.toStdString() + "/" + serverName_;
    }
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(serverName_));
    if (!socket.waitForConnected(kTimeoutMs)) {
        return false;
    }
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kTimeoutMs);
    }
    return true;
}

bool SingleInstance::claim() {
    QString lockDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockDir.isEmpty()) {
        lockDir = QDir::tempPath();
    }
    QLockFile lock(lockDir + "/" + QString::fromStdString(FNPath(serverName_).fileName()) +
                   ".lock");
    lock.setStaleLockTime(0);
    if (!lock.tryLock(5 * kTimeoutMs)) {
        // Someone holds the lock far too long: ask whoever listens, else start alone.
        return !askRunningInstance();
    }
    if (askRunningInstance()) {
        return false;
    }
    // Nobody answers: a socket file left by a program that died is in the way.
    QLocalServer::removeServer(QString::fromStdString(serverName_));
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(QString::fromStdString(serverName_))) {
        server_.reset();
        return true; // Run without the guard rather than not at all.
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->readAll().startsWith("raise") && onRaise_) {
                    onRaise_();
                }
            });
        }
    });
    return true;
}

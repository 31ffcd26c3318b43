#include "SingleInstance.h"

#include "FNPath.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {
constexpr int kTimeoutMs = 1000;
const char kRaiseRequest[] = "raise\n";
// Followed by the path and a line end; the running program raises its window and opens it.
const char kOpenRequest[] = "open ";
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

bool SingleInstance::askRunningInstance(const std::string& projectPath) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(serverName_));
    if (!socket.waitForConnected(kTimeoutMs)) {
        return false;
    }
    // A path with a line end in it cannot be handed over in one line: only raise then.
    if (!projectPath.empty() && projectPath.find('\n') == std::string::npos) {
        // The running program has another working folder: the path goes over whole.
        const QString absolute = QFileInfo(QString::fromStdString(projectPath)).absoluteFilePath();
        socket.write(kOpenRequest + absolute.toUtf8() + "\n");
    } else {
        socket.write(kRaiseRequest);
    }
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kTimeoutMs);
    }
    return true;
}

void SingleInstance::handleRequest(const QByteArray& line) {
    if (line == "raise") {
        if (onRaise_) {
            onRaise_();
        }
    } else if (line.startsWith(kOpenRequest)) {
        if (onRaise_) {
            onRaise_();
        }
        const QByteArray path = line.mid(static_cast<int>(sizeof kOpenRequest) - 1);
        if (onOpen_ && !path.isEmpty()) {
            onOpen_(path.toStdString());
        }
    }
}

bool SingleInstance::claim(const std::string& projectPath) {
    QString lockDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockDir.isEmpty()) {
        lockDir = QDir::tempPath();
    }
    QLockFile lock(lockDir + "/" + QString::fromStdString(FNPath(serverName_).fileName()) +
                   ".lock");
    lock.setStaleLockTime(0);
    if (!lock.tryLock(5 * kTimeoutMs)) {
        // Someone holds the lock far too long: ask whoever listens, else start alone.
        return !askRunningInstance(projectPath);
    }
    if (askRunningInstance(projectPath)) {
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
            // One request per line; a long path may arrive in pieces.
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                while (socket->canReadLine()) {
                    handleRequest(socket->readLine().chopped(1));
                }
            });
        }
    });
    return true;
}

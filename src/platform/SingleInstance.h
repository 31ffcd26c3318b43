#pragma once

#include <functional>
#include <memory>
#include <string>

class QByteArray;
class QLocalServer;

// One running program per user session. The first instance listens on a local socket
// named after its frame window class and the user id (in $XDG_RUNTIME_DIR when set); a later start
// finds it, asks it to raise its window and gives up. Check-and-listen runs under a lock file, so
// two programs started at the same moment cannot both become the first.
class SingleInstance {
public:
    static constexpr const char* kWindowClass = "VortanixFrameWindowClass";

    // `name` defaults to the window class; tests give names of their own.
    explicit SingleInstance(std::string name = kWindowClass);
    ~SingleInstance();

    // True when this process is now the only instance (it listens from here on); false
    // when another instance answered and was asked to raise its window, and to open
    // `projectPath` when one is given (a project file opened from the desktop).
    bool claim(const std::string& projectPath = {});

    // Called on the main thread when a later start asks for the window.
    void setRaiseHandler(std::function<void()> handler) { onRaise_ = std::move(handler); }
    // Called on the main thread, after the raise handler, when a later start hands over
    // the path of a project to open.
    void setOpenHandler(std::function<void(const std::string&)> handler) {
        onOpen_ = std::move(handler);
    }

    const std::string& serverName() const { return serverName_; }

private:
    bool askRunningInstance(const std::string& projectPath);
    void handleRequest(const QByteArray& line);

    std::string serverName_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onRaise_;
    std::function<void(const std::string&)> onOpen_;
};

#pragma once

#include <atomic>
#include <cstdlib>
#include <string>
#include <unistd.h>

// A private JACK server with the dummy backend for one test, run by scripts/jack-server
// (GLEAM_SOURCE_DIR names the source tree) in `dir`, and found by this process through
// JACK_DEFAULT_SERVER. The destructor stops it by its process id. Start it before
// PortAudio starts, and stop every stream on it before the server.
class JackTestServer {
public:
    explicit JackTestServer(std::string dir, int rate = 44100) : dir_(std::move(dir)) {
        static std::atomic<int> made{0};
        name_ = "gleam-private-" + std::to_string(getpid()) + "-" + std::to_string(made++);
        setenv("JACK_NO_START_SERVER", "1", 1);
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        started_ = run("start " + dir_ + " " + name_ + " " + std::to_string(rate));
    }
    ~JackTestServer() { stop(); }
    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    bool started() const { return started_; }
    const std::string& name() const { return name_; }

    // True once the server is gone.
    bool stop() {
        if (!started_) {
            return true;
        }
        started_ = !run("stop " + dir_);
        return !started_;
    }

private:
    static bool run(const std::string& arguments) {
        return std::system(
                   (std::string(GLEAM_SOURCE_DIR) + "/scripts/jack-server " + arguments).c_str()) ==
               0;
    }

    std::string dir_;
    std::string name_;
    bool started_ = false;
};

#pragma once

// Keeps the application busy for as long as it lives: busy is set when it is made and
// cleared when the last guard still held goes (or is released), whichever way its scope is
// left. Guards may overlap (a command's guard and that of the run it starts); busy ends
// with the last of them. Move a guard to hand the busy state on to work that outlives the
// scope, such as a worker's outcome, which is released once the window has applied it.
// Any thread.
class AEBusyGuard {
public:
    AEBusyGuard();
    ~AEBusyGuard();
    AEBusyGuard(AEBusyGuard&& other) noexcept;
    AEBusyGuard& operator=(AEBusyGuard&& other) noexcept;
    AEBusyGuard(const AEBusyGuard&) = delete;
    AEBusyGuard& operator=(const AEBusyGuard&) = delete;

    // Lets go now; busy is cleared when no other guard is held.
    void release();
    bool held() const { return held_; }

private:
    bool held_ = true;
};

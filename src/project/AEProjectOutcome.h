#pragma once

#include "FShared.h"

class AEProject;

// What a worker's run came to for the project (a title's new file, imported titles),
// carried to the window thread in the application message the worker sends. The
// application applies it to the current project when it handles that message, before the
// message's own work (a redraw, the end of an operation); gleam-cli, which runs on one
// thread, applies it at once. The worker itself never changes the project.
class AEProjectOutcome : public FShared {
public:
    // Window thread (or the one thread of gleam-cli).
    virtual void apply(AEProject& project) = 0;
};

#pragma once

#include "FShared.h"

#include <cstdint>

// The narrow interface through which lower subsystems reach the application: application
// messages, strings in the user's language, the busy and cancel flags, questions and the
// run log. AEApplication implements it; tests may install a host of their own. There is
// one current host per process (null before the application exists).
class AppHost {
public:
    static AppHost* current();
    static void setCurrent(AppHost* host);

    // Application message tags: what the main thread does when the message arrives
    // (AEApplication::notify).
    enum Tag : int32_t {
        kTagCloseEditor = 3,
        kTagEndOfOperation = 4,
        kTagTransportStopped = 5,
        kTagRecordingStopped = 6,
        kTagProcessed = 11,
        kTagOutOfMemory = 16,
        kTagProgress = 18,
        kTagError = 20,
        kTagProcessingEnded = 21,
        kTagRedraw = 22,
        kTagBusyStart = 24,
        kTagBusyEnd = 25,
        kTagEndOfProcessing = 26,
        kTagRefreshWaveform = 27,
        kTagShowTitle = 28,
        kTagStatus = 40, // a text (FString) for the window's status line
    };

    virtual ~AppHost() = default;

    // Queues an application message for the main thread (one of the tags above).
    virtual void postAppMessage(int32_t tag, int32_t data = 0, int32_t data2 = 0,
                                FRef<FShared> obj = {}) = 0;
    virtual int32_t stringId(int32_t id, int32_t mode) const = 0;
    // The string of an already language-adjusted id, or "error".
    virtual const char* loadString(int32_t id) = 0;

    virtual bool isBusy() const = 0;
    virtual void setBusy(bool busy) = 0;
    // Set by the user's cancel; long runs poll it once per block.
    virtual bool cancelRequested() const = 0;
    virtual void setCancelRequested(bool cancel) = 0;

    // A Yes/No question with string `id` (already language-adjusted); true only for Yes.
    virtual bool askYesNo(int32_t id) = 0;

    virtual void log(const char* text) = 0;

    // The shared progress display of a long operation, callable from any thread: begin
    // with the number of steps, advance, end (which also hides it).
    virtual void progressBegin(int64_t steps) = 0;
    virtual void progressAdvance(int64_t steps = 1) = 0;
    virtual void progressEnd() = 0;
};

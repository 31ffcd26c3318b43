#pragma once

#include <cstdint>

// What the project subsystem asks of the audio engine. The engine implements it and
// installs itself as the current one while it exists; without an engine titles are never
// playing, and loading a title into it does nothing.
class AEEngineAccess {
public:
    static AEEngineAccess* current();
    static void setCurrent(AEEngineAccess* engine);

    virtual ~AEEngineAccess() = default;

    // True while the engine plays or records.
    virtual bool isPlayingOrRecording() const = 0;
    // The engine's file becomes title `index`'s current audio file; −1 releases it.
    virtual bool loadTitle(int32_t index) = 0;
};

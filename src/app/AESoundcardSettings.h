#pragma once

#include "RegistryStore.h"

#include <cstdint>
#include <string>

// The sound card settings: which playback and recording device, and how many buffers of
// which size each direction uses. They live in the settings store as 32-bit numbers and are
// always used bounded: 4..10 buffers of 8192..32768 bytes (a multiple of 4), device
// numbers from 0. A saved copy serves Cancel and tells whether anything changed.
//
// The dialog's steps without the dialog: begin (load, bound, remember), edit (every
// change is bounded and saved at once), accept, cancel (the remembered values saved back).
class AESoundcardSettings {
public:
    struct Values {
        int32_t idPlayDevice = 0;
        int32_t numBuffPlay = 4;
        int32_t buffSizePlay = 32768;
        int32_t idRecDevice = 0;
        int32_t numBuffRec = 4;
        int32_t buffSizeRec = 32768;
        bool operator==(const Values&) const = default;
    };

    static constexpr int32_t kMinBuffers = 4;
    static constexpr int32_t kMaxBuffers = 10;
    static constexpr int32_t kMinBufferSize = 8192;
    static constexpr int32_t kMaxBufferSize = 32768;
    static constexpr int32_t kStringDelay = 3122;

    // Reads the store.
    explicit AESoundcardSettings(RegistryStore store = RegistryStore());

    // Store → values, then bounded.
    void load();
    // Values → store.
    void save() const;
    void bound() { values_ = bounded(values_); }
    void remember() { saved_ = values_; }
    void restore() { values_ = saved_; }
    bool changed() const { return !(values_ == saved_); }

    const Values& values() const { return values_; }
    void setValues(const Values& values) { values_ = values; }

    void beginEditing();
    void edit(const Values& values);
    void accept(const Values& values) { edit(values); }
    void cancel();

    // The playback latency in milliseconds: buffers × 250 × size / 44100 (integer).
    int32_t delayMilliseconds() const;
    // "<label> 743 ms".
    std::string delayText(const std::string& label) const;

    static Values bounded(Values values);
    // A number typed into a field; text that is not one reads as 0.
    static int32_t fieldValue(const std::string& text);

private:
    RegistryStore store_;
    Values values_;
    Values saved_;
};

#pragma once

#include "CrackleSettings.h"

#include <cstdint>

// The cross-fade between the input (mix 1) and the prediction (mix 0): on a detection it
// fades to the prediction over eight samples, holds it until kHold samples have passed
// without a detection, and fades back over eight, turning round at once on a detection
// while fading back.
class CrackleFade {
public:
    enum class State : int32_t { Idle = 0, FadingOut = 1, Holding = 2, FadingIn = 3 };

    // One sample. The steps run in order, so a state entered in one is acted on by the
    // next within the same sample. Returns the mix for this sample.
    float step(bool detected) {
        using S = CrackleSettings;
        if (state_ == State::Idle && detected) {
            state_ = State::FadingOut;
            ++engaged_;
        }
        if (state_ == State::FadingOut) {
            if (mix_ <= 0.0f) {
                state_ = State::Holding;
                hold_ = S::kHold;
            } else {
                mix_ -= S::kFadeStep;
            }
        }
        if (state_ == State::Holding) {
            if (hold_ < 1) {
                state_ = State::FadingIn;
            } else {
                --hold_;
                if (detected) {
                    hold_ = S::kHold;
                }
            }
        }
        if (state_ == State::FadingIn) {
            if (mix_ >= 1.0f) {
                state_ = State::Idle;
            } else {
                mix_ += S::kFadeStep;
                if (detected) {
                    state_ = State::FadingOut;
                }
            }
        }
        return mix_;
    }

    State state() const { return state_; }
    float mix() const { return mix_; }
    // How often a fade began from idle.
    int64_t engaged() const { return engaged_; }

private:
    State state_ = State::Idle;
    float mix_ = 1.0f;
    int32_t hold_ = 0;
    int64_t engaged_ = 0;
};

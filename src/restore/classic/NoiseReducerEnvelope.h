#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// The time-domain side of the noise reducer, one per channel: a slow (250 ms) and a fast
// (5 ms) amplitude envelope decide how quickly the spectral gains may rise (attack) and
// fall (release). Sudden changes against the slow envelope shorten the attack time
// (6 ms down to 1 ms); a fast envelope far from the slow one shortens the release time
// (42.5 ms down to 5 ms). Times grow back smoothly and shrink at once.
class NoiseReducerEnvelope {
public:
    static constexpr double kSamplesPerMs = 44.1;
    static constexpr double kSlowMs = 250.0;
    static constexpr double kFastMs = 5.0;
    static constexpr double kAttackResetMs = 6.0;
    static constexpr double kReleaseResetMs = 42.5;

    // `hop`: the samples between two calls of adapt().
    explicit NoiseReducerEnvelope(int32_t hop);

    void reset();
    // Follows one hop of input samples and updates the coefficients.
    void adapt(const float* x, int32_t count);
    // adapt() of two channels' envelopes at once: each sample depends on the one before,
    // so the two channels' samples run side by side. The results are those of adapt().
    static void adaptPair(NoiseReducerEnvelope& first, NoiseReducerEnvelope& second, const float* x,
                          const float* y, int32_t count);

    // Per-frame smoothing coefficients for rising (attack) and falling (release) gains.
    double attack() const { return attack_; }
    double release() const { return release_; }
    double attackMs() const { return attackMs_; }
    double releaseMs() const { return releaseMs_; }
    double slow() const { return slow_; }
    double fast() const { return fast_; }

private:
    // The two envelopes and the largest deviation of one hop, followed sample by sample.
    struct Follower {
        double slowCoefficient;
        double fastCoefficient;
        double slow;
        double fast;
        double deviation = 0.0;

        void follow(float x) {
            const double magnitude = std::fabs(x);
            slow = slowCoefficient * slow + (1.0 - slowCoefficient) * magnitude;
            fast = fastCoefficient * fast + (1.0 - fastCoefficient) * magnitude;
            deviation = std::max(deviation, std::fabs(magnitude - slow));
        }
    };
    Follower follower() const { return {slowCoefficient_, fastCoefficient_, slow_, fast_}; }
    // Takes the hop's envelopes and moves the attack and release times.
    void conclude(const Follower& hop);
    void updateCoefficients();

    double hopMs_;
    double slowCoefficient_;
    double fastCoefficient_;
    double attackGlide_;  // how slowly the attack time grows back, per hop
    double releaseGlide_; // the same for the release time
    double slow_ = 0.0;
    double fast_ = 0.0;
    double attackMs_ = kAttackResetMs;
    double releaseMs_ = kReleaseResetMs;
    double attack_ = 0.0;
    double release_ = 0.0;
};

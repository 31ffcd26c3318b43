#include "CrackleChannel.h"

template <int32_t C>
void CrackleChannel::processChannels(CrackleChannel* const* channels, const float* const* in,
                                     float* const* out, int32_t count, float threshold,
                                     bool monitor) {
    AdaptivePredictor* predictors[C];
    const float* newest[C];
    const float* power[C];
    float* error[C];
    for (int32_t done = 0; done < count; done += kChunk) {
        const int32_t chunk = std::min(kChunk, count - done);
        // Every input of the chunk is taken before any output is written: `in` may be `out`.
        for (int32_t c = 0; c < C; ++c) {
            CrackleChannel& channel = *channels[c];
            newest[c] = channel.input_.pushChunk(in[c] + done, chunk);
            AdaptivePredictor::powers(newest[c], chunk, channel.power_.data());
            predictors[c] = &channel.predictor_;
            power[c] = channel.power_.data();
            error[c] = channel.error_.data();
        }
        // The target is x(t − 9).
        AdaptivePredictor::adaptChunk<C>(predictors, newest, CrackleSettings::kDelay - 1, power,
                                         chunk, error);
        for (int32_t c = 0; c < C; ++c) {
            channels[c]->finish(newest[c], chunk, out[c] + done, threshold, monitor);
        }
    }
}

void CrackleChannel::finish(const float* newest, int32_t count, float* out, float threshold,
                            bool monitor) {
    using S = CrackleSettings;
    // Local copies: the compiler keeps them in registers, where the stores to `out` could
    // otherwise alias them and make every sample wait for their reload.
    CrackleDetector detector = detector_;
    CrackleFade fade = fade_;
    RepairReport report = report_;
    for (int32_t t = 0; t < count; ++t) {
        const float* h = newest - t;
        const float repaired = h[S::kLag - 1]; // x(t − 18)
        const bool detected = detector.ratio(error_[t]) > threshold;
        const int64_t engagedBefore = fade.engaged();
        const float m = fade.step(detected);
        // m · x + (1 − m) · s: exactly the delayed input while m is 1, so the substitute is
        // only made while a fade is on.
        float o = repaired;
        if (m < 1.0f) {
            const float* wd = predictor_.delayedWeightsAfter(t);
            const float substitute =
                AdaptivePredictor::dot<kRawTaps>(wd, h + S::kDelay) +
                AdaptivePredictor::dot<kOutputTaps>(wd + kRawTaps, outputs_.newestFirst());
            o = m * repaired + (1.0f - m) * substitute;
            report.samples += 1;
        }
        outputs_.push(o);
        report.repairs += fade.engaged() - engagedBefore;
        out[t] = monitor ? repaired - o : o;
    }
    detector_ = detector;
    fade_ = fade;
    report_ = report;
}

void CrackleChannel::process(const float* in, float* out, int32_t count, float threshold,
                             bool monitor) {
    CrackleChannel* channels[1] = {this};
    processChannels<1>(channels, &in, &out, count, threshold, monitor);
}

void CrackleChannel::processPair(CrackleChannel& left, CrackleChannel& right,
                                 const float* const* in, float* const* out, int32_t count,
                                 float threshold, bool monitor) {
    CrackleChannel* channels[2] = {&left, &right};
    processChannels<2>(channels, in, out, count, threshold, monitor);
}

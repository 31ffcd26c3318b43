#include "CrackleChannel.h"

void CrackleChannel::process(const float* in, float* out, int32_t count, float threshold,
                             bool monitor) {
    using S = CrackleSettings;
    for (int32_t t = 0; t < count; ++t) {
        const float x = in[t];
        const float* h = input_.newestFirst();
        const float target = h[S::kDelay - 1]; // x(t − 9)
        const float repaired = h[S::kLag - 1]; // x(t − 18)
        const float error = predictor_.adapt(h, target);

        const float* wd = predictor_.delayedWeights();
        const float substitute =
            AdaptivePredictor::dot<kRawTaps>(wd, h + S::kDelay) +
            AdaptivePredictor::dot<kOutputTaps>(wd + kRawTaps, outputs_.newestFirst());
        input_.push(x);

        const bool detected = detector_.ratio(error) > threshold;
        const int64_t engagedBefore = fade_.engaged();
        const float m = fade_.step(detected);
        // m · x + (1 − m) · s: exactly the delayed input while m is 1.
        const float o = m * repaired + (1.0f - m) * substitute;
        outputs_.push(o);
        out[t] = monitor ? repaired - o : o;

        report_.repairs += fade_.engaged() - engagedBefore;
        report_.samples += m < 1.0f ? 1 : 0;
    }
}

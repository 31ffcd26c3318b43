#pragma once

// What a processing run does with a source held in memory: warm-up, blocks, flush.

#include "ProcessingPass.h"
#include "support/TestSignals.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace processing_test {

inline std::vector<int16_t> runPass(ProcessingPass& pass, const ProcessingSettings& settings,
                                    const std::vector<int16_t>& source) {
    const auto sourceFrames = static_cast<int32_t>(source.size() / 2);
    std::vector<int16_t> block(2 * ProcessingPass::kBlockFrames);
    auto load = [&](int32_t from, int32_t count) {
        std::copy_n(source.begin() + 2 * from, 2 * count, block.begin());
    };
    if (pass.needsWarmUp()) {
        for (int32_t i = 0, at = settings.start; i < ProcessingPass::kWarmUpBlocks; ++i) {
            const int32_t n = std::min(ProcessingPass::kBlockFrames, sourceFrames - at);
            if (n <= 0) {
                break;
            }
            load(at, n);
            pass.warmUp(block.data(), n);
            at += n;
        }
    }
    std::vector<int16_t> out;
    for (int32_t done = 0; done < settings.length;) {
        const int32_t n = std::min(ProcessingPass::kBlockFrames, settings.length - done);
        load(settings.start + done, n);
        const auto written = pass.process(block.data(), n);
        out.insert(out.end(), written.begin(), written.end());
        done += n;
    }
    while (pass.flushPending()) {
        const auto written = pass.flush(block.data());
        out.insert(out.end(), written.begin(), written.end());
    }
    return out;
}

// Where a burst lands after processing runs of every combination of the six stages in
// `mode` (bit k of the mask: slot k at 0.5) over a trimmed title with fades.
struct CombinationResult {
    int32_t mask = 0;
    bool made = false;
    bool wholeTitle = false; // exactly as many frames written as the title has
    int32_t lag = 0;         // where the burst lands against the trimmed source
};

inline std::vector<CombinationResult> everyCombination(RestorationMode mode) {
    constexpr int32_t kSourceFrames = 66150;
    constexpr int32_t kStart = 10000;
    constexpr int32_t kLength = 44100;
    constexpr int32_t kBurstAt = kStart + 20000;
    const auto source = TestSignals::burstSource(kSourceFrames, kBurstAt, 11);
    const std::vector<int16_t> trimmed(source.begin() + 2 * kStart,
                                       source.begin() + 2 * (kStart + kLength));
    std::vector<CombinationResult> results;
    for (int32_t mask = 0; mask < 64; ++mask) {
        ProcessingSettings settings;
        settings.mode = mode;
        settings.values.fill(0.5f);
        for (int32_t slot = 0; slot < 6; ++slot) {
            settings.enabled[slot] = (mask >> slot) & 1;
        }
        settings.trimTo(kStart, kStart + 882, kStart + kLength - 882, kStart + kLength,
                        kSourceFrames);
        CombinationResult result{mask};
        if (auto pass = ProcessingPass::create(settings)) {
            const auto out = runPass(*pass, settings, source);
            result.made = true;
            result.wholeTitle = out.size() == trimmed.size() && pass->written() == kLength;
            result.lag = TestSignals::burstLag(trimmed, out, kBurstAt - kStart, 64);
        }
        results.push_back(result);
    }
    return results;
}

} // namespace processing_test

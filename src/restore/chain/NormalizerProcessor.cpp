#include "NormalizerProcessor.h"

#include "AlgorithmLibrary.h"
#include "FrameConversion.h"

#include <algorithm>

std::unique_ptr<NormalizerProcessor> NormalizerProcessor::create(float value) {
    ParameterBlock params;
    params.value = value;
    params.forceOn = 1;
    auto kernel = AlgorithmLibrary::create(ProcessorKind::LevelNormalizer, params);
    if (!kernel) {
        return nullptr;
    }
    // The library makes a LevelNormalizer for this kind; the wrapper reads its gain.
    std::unique_ptr<LevelNormalizer> normalizer(static_cast<LevelNormalizer*>(kernel.release()));
    return std::unique_ptr<NormalizerProcessor>(
        new NormalizerProcessor(value, std::move(normalizer)));
}

NormalizerProcessor::NormalizerProcessor(float value, std::unique_ptr<LevelNormalizer> normalizer)
    : value_(value), normalizer_(std::move(normalizer)) {
    for (int32_t c = 0; c < 2; ++c) {
        input_[c].assign(kPiece, 0.0f);
        output_[c].assign(kPiece, 0.0f);
    }
}

void NormalizerProcessor::process(int16_t* frames, int32_t count) {
    ParameterBlock params;
    params.channels = 2;
    params.value = value_;
    params.forceOn = 1;
    const bool apply = value_ == LevelNormalizer::kApplyValue;
    const float* in[2] = {input_[0].data(), input_[1].data()};
    float* out[2] = {output_[0].data(), output_[1].data()};
    for (int32_t done = 0; done < count;) {
        const int32_t piece = std::min(count - done, kPiece);
        int16_t* block = frames + 2 * done;
        FrameConversion::toFloat(block, piece, input_[0].data(), input_[1].data());
        normalizer_->process(params, in, out, piece);
        // Analysing passes the block on unchanged: no round trip through float for it.
        if (apply) {
            FrameConversion::toFrames(out[0], out[1], piece, block);
        }
        done += piece;
    }
}

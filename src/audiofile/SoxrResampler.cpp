#include "SoxrResampler.h"

#include <soxr.h>

namespace {

soxr_t resampler(void* handle) {
    return static_cast<soxr_t>(handle);
}

} // namespace

SoxrResampler::~SoxrResampler() {
    soxr_delete(resampler(handle_));
}

std::unique_ptr<SoxrResampler> SoxrResampler::create(int32_t channels, double sourceRate,
                                                     double destinationRate) {
    if (channels <= 0 || !(sourceRate > 0.0) || !(destinationRate > 0.0)) {
        return nullptr;
    }
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    soxr_error_t error = nullptr;
    soxr_t handle = soxr_create(sourceRate, destinationRate, static_cast<unsigned>(channels),
                                &error, &io, &quality, nullptr);
    if (error || !handle) {
        soxr_delete(handle);
        return nullptr;
    }
    return std::unique_ptr<SoxrResampler>(new SoxrResampler(handle));
}

int64_t SoxrResampler::process(const float* input, int64_t frames, int64_t& consumed, float* output,
                               int64_t capacity) {
    size_t used = 0;
    size_t made = 0;
    // A null input would mean the end of the stream: hand in an empty buffer instead.
    static const float kNothing = 0.0f;
    const soxr_error_t error =
        soxr_process(resampler(handle_), input ? input : &kNothing, static_cast<size_t>(frames),
                     &used, output, static_cast<size_t>(capacity), &made);
    consumed = static_cast<int64_t>(used);
    return error ? -1 : static_cast<int64_t>(made);
}

int64_t SoxrResampler::drain(float* output, int64_t capacity) {
    size_t made = 0;
    const soxr_error_t error = soxr_process(resampler(handle_), nullptr, 0, nullptr, output,
                                            static_cast<size_t>(capacity), &made);
    return error ? -1 : static_cast<int64_t>(made);
}

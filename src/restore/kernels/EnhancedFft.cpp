#include "EnhancedFft.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

namespace {

// FFTW's planner is not thread-safe; stages are made on several threads at once.
std::mutex& plannerMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

EnhancedFft::EnhancedFft(int32_t size) : size_(std::max(size, 2)) {
    std::lock_guard lock(plannerMutex());
    time_ = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<size_t>(size_)));
    spectrum_ = static_cast<std::complex<float>*>(
        fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(bins())));
    if (!time_ || !spectrum_) {
        return;
    }
    std::fill_n(time_, size_, 0.0f);
    std::fill_n(spectrum_, bins(), std::complex<float>{});
    auto* bins = reinterpret_cast<fftwf_complex*>(spectrum_);
    // Estimated plans: made in milliseconds and without touching the arrays.
    forward_ = fftwf_plan_dft_r2c_1d(size_, time_, bins, FFTW_ESTIMATE);
    inverse_ = fftwf_plan_dft_c2r_1d(size_, bins, time_, FFTW_ESTIMATE | FFTW_DESTROY_INPUT);
}

EnhancedFft::~EnhancedFft() {
    std::lock_guard lock(plannerMutex());
    if (forward_) {
        fftwf_destroy_plan(static_cast<fftwf_plan>(forward_));
    }
    if (inverse_) {
        fftwf_destroy_plan(static_cast<fftwf_plan>(inverse_));
    }
    fftwf_free(time_);
    fftwf_free(spectrum_);
}

void EnhancedFft::forward() {
    if (valid()) {
        fftwf_execute(static_cast<fftwf_plan>(forward_));
    }
}

void EnhancedFft::inverse() {
    if (valid()) {
        fftwf_execute(static_cast<fftwf_plan>(inverse_));
    }
}

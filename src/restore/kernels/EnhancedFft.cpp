#include "EnhancedFft.h"

#include "NspFftPlanner.h"

#include <algorithm>

EnhancedFft::EnhancedFft(int32_t size) : size_(std::max(size, 2)) {
    std::lock_guard lock(nsp_planner::mutex());
    time_ = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<size_t>(size_)));
    spectrum_ = static_cast<std::complex<float>*>(
        fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(bins())));
    if (!time_ || !spectrum_) {
        return;
    }
    auto* bins = reinterpret_cast<fftwf_complex*>(spectrum_);
    forward_ = nsp_planner::plan(
        [&](unsigned flags) { return fftwf_plan_dft_r2c_1d(size_, time_, bins, flags); }, 0);
    inverse_ = nsp_planner::plan(
        [&](unsigned flags) { return fftwf_plan_dft_c2r_1d(size_, bins, time_, flags); },
        FFTW_DESTROY_INPUT);
    // Measuring planners write into the arrays: they start from zero after planning.
    std::fill_n(time_, size_, 0.0f);
    std::fill_n(spectrum_, this->bins(), std::complex<float>{});
}

EnhancedFft::~EnhancedFft() {
    std::lock_guard lock(nsp_planner::mutex());
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

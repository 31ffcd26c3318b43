#include "NspLibrary.h"

#include "NspFftPlanner.h"

#include <atomic>

namespace {

// Two plan pairs: one for SIMD-aligned arrays (the usual case) and one that accepts any
// alignment, so callers may pass arrays of their own. Both are in place, which makes
// FFTW's half-complex output exactly the CCS layout.
struct FftPlans {
    fftwf_plan forwardAligned = nullptr;
    fftwf_plan inverseAligned = nullptr;
    fftwf_plan forwardAny = nullptr;
    fftwf_plan inverseAny = nullptr;
    int alignment = 0; // fftwf_alignment_of() of the arrays the aligned plans were made on

    void destroy() {
        for (fftwf_plan* plan : {&forwardAligned, &inverseAligned, &forwardAny, &inverseAny}) {
            if (*plan) {
                fftwf_destroy_plan(*plan);
                *plan = nullptr;
            }
        }
    }
    bool complete() const { return forwardAligned && inverseAligned && forwardAny && inverseAny; }
};

FftPlans gPlans;
std::atomic<bool> gReady{false};

fftwf_complex* asComplex(float* data) {
    return reinterpret_cast<fftwf_complex*>(data);
}

void forward(float* data) {
    fftwf_plan plan =
        fftwf_alignment_of(data) == gPlans.alignment ? gPlans.forwardAligned : gPlans.forwardAny;
    fftwf_execute_dft_r2c(plan, data, asComplex(data));
}

void inverse(float* data) {
    fftwf_plan plan =
        fftwf_alignment_of(data) == gPlans.alignment ? gPlans.inverseAligned : gPlans.inverseAny;
    fftwf_execute_dft_c2r(plan, asComplex(data), data);
    constexpr float kScale = 1.0f / kNspFftSize; // a power of two: exact
    for (int i = 0; i < kNspFftSize; ++i) {
        data[i] *= kScale;
    }
}

} // namespace

bool nspInitialise() {
    std::lock_guard lock(nsp_planner::mutex());
    if (gReady.load(std::memory_order_acquire)) {
        return true;
    }
    float* work = fftwf_alloc_real(kNspCcsLength);
    if (!work) {
        return false;
    }
    gPlans.alignment = fftwf_alignment_of(work);
    const auto forward = [work](unsigned flags) {
        return fftwf_plan_dft_r2c_1d(kNspFftSize, work, asComplex(work), flags);
    };
    const auto inverse = [work](unsigned flags) {
        return fftwf_plan_dft_c2r_1d(kNspFftSize, asComplex(work), work, flags);
    };
    gPlans.forwardAligned = nsp_planner::plan(forward, 0);
    gPlans.inverseAligned = nsp_planner::plan(inverse, 0);
    gPlans.forwardAny = nsp_planner::plan(forward, FFTW_UNALIGNED);
    gPlans.inverseAny = nsp_planner::plan(inverse, FFTW_UNALIGNED);
    fftwf_free(work);
    if (!gPlans.complete()) {
        gPlans.destroy();
        return false;
    }
    gReady.store(true, std::memory_order_release);
    return true;
}

void nspShutdown() {
    std::lock_guard lock(nsp_planner::mutex());
    gReady.store(false, std::memory_order_release);
    gPlans.destroy();
}

bool nspIsInitialised() {
    return gReady.load(std::memory_order_acquire);
}

namespace {

// Runs `transform` on both frames when the call is one the plans serve.
template <class Transform>
bool transformPair(float* x, float* y, int order, int flags, int planned, Transform transform) {
    if (order != kNspFftOrder || flags != planned || !x || !y || !nspIsInitialised()) {
        return false;
    }
    transform(x);
    transform(y);
    return true;
}

} // namespace

bool nspsReal2Fft(float* x, float* y, int order, int flags) {
    return transformPair(x, y, order, flags, kNspForward, forward);
}

bool nspsCcs2Fft(float* x, float* y, int order, int flags) {
    return transformPair(x, y, order, flags, kNspInverse, inverse);
}

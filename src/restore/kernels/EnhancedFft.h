#pragma once

#include <complex>
#include <cstdint>

// A real FFT of one fixed size with buffers and plans of its own, made in the
// constructor; forward() and inverse() allocate nothing. Unscaled in both directions
// (forward then inverse multiplies by size()). One thread at a time per object.
class EnhancedFft {
public:
    explicit EnhancedFft(int32_t size);
    ~EnhancedFft();
    EnhancedFft(const EnhancedFft&) = delete;
    EnhancedFft& operator=(const EnhancedFft&) = delete;

    int32_t size() const { return size_; }
    int32_t bins() const { return size_ / 2 + 1; }
    // False when FFTW could not plan; the object then does nothing.
    bool valid() const { return forward_ != nullptr && inverse_ != nullptr; }

    // size() real samples in, transformed by forward() into spectrum().
    float* time() { return time_; }
    std::complex<float>* spectrum() { return spectrum_; }
    // time() -> spectrum(); time() is kept.
    void forward();
    // spectrum() -> time(); spectrum() is overwritten.
    void inverse();

private:
    int32_t size_;
    float* time_ = nullptr;
    std::complex<float>* spectrum_ = nullptr;
    void* forward_ = nullptr;
    void* inverse_ = nullptr;
};

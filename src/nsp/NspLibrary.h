#pragma once

#include <cstdint>

// FFT and vector functions of the restoration algorithms, with the names and argument
// orders the algorithm code calls. The FFTs run on FFTW (single precision), the vector
// functions are plain loops.
//
// nspInitialise() makes the FFT plans once; after that every function may be called from
// any thread at the same time (FFTW's new-array execution is thread-safe), and none of
// them plans or allocates. The element-wise functions work on several elements at once:
// a destination may be one of the sources, but must not overlap them otherwise.

constexpr int kNspFftOrder = 10; // the one FFT size the algorithms use
constexpr int kNspFftSize = 1 << kNspFftOrder;
// Floats of one CCS spectrum: re, im pairs for bins 0 .. N/2.
constexpr int kNspCcsLength = kNspFftSize + 2;

constexpr int kNspForward = 1;
constexpr int kNspInverse = 2;

// Relations of the threshold functions.
constexpr int kNspLessThan = 0;    // values below the threshold are raised to it
constexpr int kNspGreaterThan = 1; // values above the threshold are lowered to it

// Flags of nspsbFloatToInt; without a rounding flag values are rounded to nearest.
constexpr int kNspRound = 0x80;
constexpr int kNspTruncZero = 0x100;

// Autocorrelation types.
constexpr int kNspAutoCorrNormal = 0; // plain sums, not divided by the length
constexpr int kNspAutoCorrBiased = 1; // divided by the length

// Makes the FFT plans; true on success. Calling it again while initialised does nothing.
bool nspInitialise();
// Destroys the plans; the FFT functions then refuse until the next nspInitialise().
void nspShutdown();
bool nspIsInitialised();

// Forward FFT of two real frames at once. x and y hold kNspCcsLength floats each: the
// 2^order real samples in, their CCS spectra out (in place). Unscaled. Only order 10 and
// flag kNspForward are planned; false (arrays untouched) otherwise or before
// nspInitialise().
bool nspsReal2Fft(float* x, float* y, int order, int flags);
// Inverse of nspsReal2Fft: two CCS spectra back to real frames, in place, scaled by
// 1 / 2^order so that forward then inverse restores the frame.
bool nspsCcs2Fft(float* x, float* y, int order, int flags);

// vec[i] *= scalar
void nspsbMpy1(float scalar, float* vec, int length);
// srcDst[i] *= src[i]
void nspsbMpy2(const float* src, float* srcDst, int length);
// dst[i] = a[i] * b[i]
void nspsbMpy3(const float* a, const float* b, float* dst, int length);
// dst[i] = a[i] - b[i]
void nspsbSub3(const float* a, const float* b, float* dst, int length);
// vec[i] = ln(vec[i]); zero gives -infinity, negative values NaN
void nspsbLn1(float* vec, int length);
void nspsbThresh1(float* vec, int length, float threshold, int relation);
void nspsbThresh2(const float* src, float* dst, int length, float threshold, int relation);
// dst[i] = (src[i] - offset) / factor
void nspsbNormalize(const float* src, float* dst, int length, float offset, float factor);
// Float to 32-bit integers, saturating at the integer range (NaN gives 0). Only word
// size 32 is offered; false for any other.
bool nspsbFloatToInt(const float* src, int32_t* dst, int length, int wordSize, int flags);
// Largest and smallest element; the lowest (highest) float for an empty vector.
float nspsMax(const float* vec, int length);
float nspsMin(const float* vec, int length);
// dst[k] = sum over n of src[n] * src[n + k], for lags k = 0 .. lags - 1 (0 where the lag
// reaches past the source).
void nspdAutoCorr(const double* src, int length, double* dst, int lags, int type);

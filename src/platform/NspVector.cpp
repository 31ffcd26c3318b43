#include "NspLibrary.h"

#include <algorithm>
#include <cmath>
#include <limits>

void nspsbMpy1(float scalar, float* vec, int length) {
    for (int i = 0; i < length; ++i) {
        vec[i] *= scalar;
    }
}

void nspsbMpy2(const float* src, float* srcDst, int length) {
    for (int i = 0; i < length; ++i) {
        srcDst[i] *= src[i];
    }
}

void nspsbMpy3(const float* a, const float* b, float* dst, int length) {
    for (int i = 0; i < length; ++i) {
        dst[i] = a[i] * b[i];
    }
}

void nspsbSub3(const float* a, const float* b, float* dst, int length) {
    for (int i = 0; i < length; ++i) {
        dst[i] = a[i] - b[i];
    }
}

void nspsbLn1(float* vec, int length) {
    for (int i = 0; i < length; ++i) {
        vec[i] = std::log(vec[i]);
    }
}

void nspsbThresh2(const float* src, float* dst, int length, float threshold, int relation) {
    if (relation == kNspLessThan) {
        for (int i = 0; i < length; ++i) {
            dst[i] = src[i] < threshold ? threshold : src[i];
        }
    } else {
        for (int i = 0; i < length; ++i) {
            dst[i] = src[i] > threshold ? threshold : src[i];
        }
    }
}

void nspsbThresh1(float* vec, int length, float threshold, int relation) {
    nspsbThresh2(vec, vec, length, threshold, relation);
}

void nspsbNormalize(const float* src, float* dst, int length, float offset, float factor) {
    for (int i = 0; i < length; ++i) {
        dst[i] = (src[i] - offset) / factor;
    }
}

bool nspsbFloatToInt(const float* src, int32_t* dst, int length, int wordSize, int flags) {
    if (wordSize != 32) {
        return false;
    }
    // Saturate in double: every int32 is exact there, and a float outside the range would
    // make the conversion undefined.
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    const bool truncate = (flags & kNspTruncZero) != 0;
    for (int i = 0; i < length; ++i) {
        double v = src[i];
        if (std::isnan(v)) {
            dst[i] = 0;
            continue;
        }
        v = truncate ? std::trunc(v) : std::nearbyint(v);
        dst[i] = static_cast<int32_t>(std::clamp(v, kLow, kHigh));
    }
    return true;
}

float nspsMax(const float* vec, int length) {
    float best = std::numeric_limits<float>::lowest();
    for (int i = 0; i < length; ++i) {
        best = std::max(best, vec[i]);
    }
    return best;
}

float nspsMin(const float* vec, int length) {
    float best = std::numeric_limits<float>::max();
    for (int i = 0; i < length; ++i) {
        best = std::min(best, vec[i]);
    }
    return best;
}

void nspdAutoCorr(const double* src, int length, double* dst, int lags, int type) {
    // Four lags at a time: each lag still adds its products in order of n, so the sums
    // are exactly those of one lag at a time, but four of them run side by side.
    constexpr int kWidth = 4;
    int k = 0;
    for (; k + kWidth <= lags; k += kWidth) {
        double sum[kWidth] = {0.0, 0.0, 0.0, 0.0};
        const int common = std::max(length - k - (kWidth - 1), 0); // every lag reaches
        for (int n = 0; n < common; ++n) {
            for (int j = 0; j < kWidth; ++j) {
                sum[j] += src[n] * src[n + k + j];
            }
        }
        for (int j = 0; j < kWidth; ++j) {
            for (int n = common; n + k + j < length; ++n) {
                sum[j] += src[n] * src[n + k + j];
            }
            dst[k + j] = sum[j];
        }
    }
    for (; k < lags; ++k) {
        double sum = 0.0;
        for (int n = 0; n + k < length; ++n) {
            sum += src[n] * src[n + k];
        }
        dst[k] = sum;
    }
    if (type == kNspAutoCorrBiased && length > 0) {
        for (k = 0; k < lags; ++k) {
            dst[k] /= length;
        }
    }
}

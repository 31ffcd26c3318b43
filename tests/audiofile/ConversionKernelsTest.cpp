// The kernels of the import conversion: TPDF dither, the fold to stereo and the
// high-quality rate converter.
#include "SoxrResampler.h"
#include "StereoDownmix.h"
#include "TpdfDither.h"

#include "support/GeneratedAudio.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

namespace {

using TestSignals::sine;

// Converts `input` (interleaved stereo) in blocks of `block` input frames into a buffer
// of output frames, draining the filter at the end.
std::vector<float> resample(const std::vector<float>& input, double from, double to,
                            int64_t block) {
    auto resampler = SoxrResampler::create(2, from, to);
    EXPECT_NE(resampler, nullptr);
    std::vector<float> out;
    std::vector<float> chunk(8192 * 2);
    const auto frames = static_cast<int64_t>(input.size() / 2);
    for (int64_t at = 0; at < frames;) {
        int64_t consumed = 0;
        const int64_t n = std::min(block, frames - at);
        const int64_t made = resampler->process(input.data() + 2 * at, n, consumed, chunk.data(),
                                                static_cast<int64_t>(chunk.size() / 2));
        EXPECT_GE(made, 0);
        out.insert(out.end(), chunk.begin(), chunk.begin() + 2 * made);
        at += consumed;
    }
    for (;;) {
        const int64_t made = resampler->drain(chunk.data(), static_cast<int64_t>(chunk.size() / 2));
        EXPECT_GE(made, 0);
        if (made <= 0) {
            break;
        }
        out.insert(out.end(), chunk.begin(), chunk.begin() + 2 * made);
    }
    return out;
}

std::vector<float> left(const std::vector<float>& stereo) {
    std::vector<float> out(stereo.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = stereo[2 * i];
    }
    return out;
}

TEST(TpdfDither, WithoutDitherSixteenBitSamplesComeBackExactly) {
    TpdfDither exact(false);
    std::vector<float> in;
    for (int v = -32768; v <= 32767; v += 7) {
        in.push_back(static_cast<float>(v) / 32768.0f);
    }
    std::vector<int16_t> out(in.size());
    exact.quantize(in.data(), out.data(), static_cast<int64_t>(in.size()));
    for (size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(out[i], static_cast<int16_t>(-32768 + 7 * static_cast<int>(i)));
    }
}

TEST(TpdfDither, SaturatesAndSilencesNaN) {
    for (bool on : {false, true}) {
        TpdfDither dither(on);
        const float in[] = {1.5f, -1.5f, 1.0f, std::nanf("")};
        int16_t out[4];
        dither.quantize(in, out, 4);
        EXPECT_EQ(out[0], 32767);
        EXPECT_EQ(out[1], -32768);
        EXPECT_GE(out[2], 32766);
        EXPECT_LE(std::abs(out[3]), 1) << "NaN must not become a full-scale sample";
    }
}

TEST(TpdfDither, ErrorIsTriangularAndIndependentOfTheSignal) {
    // A level a quarter step above zero: plain rounding loses it, dither keeps it on average.
    constexpr int64_t kCount = 200000;
    std::vector<float> in(kCount, 0.25f / 32768.0f);
    std::vector<int16_t> out(kCount);
    TpdfDither(false).quantize(in.data(), out.data(), kCount);
    EXPECT_EQ(std::accumulate(out.begin(), out.end(), int64_t{0}), 0);

    TpdfDither dither(true);
    dither.quantize(in.data(), out.data(), kCount);
    double sum = 0.0;
    double squares = 0.0;
    for (int16_t v : out) {
        ASSERT_GE(v, -1);
        ASSERT_LE(v, 2) << "the error of TPDF dither stays below 1.5 steps";
        sum += v;
        squares += (v - 0.25) * (v - 0.25);
    }
    EXPECT_NEAR(sum / kCount, 0.25, 0.01);
    // Total error power of rounding plus triangular noise: 1/12 + 1/6 = 1/4 step².
    EXPECT_NEAR(squares / kCount, 0.25, 0.02);
}

TEST(StereoDownmix, FiveOneKeepsLeftRightApartAndDropsTheLfe) {
    StereoDownmix mix(6);
    EXPECT_EQ(mix.rightWeight(0), 0.0f);
    EXPECT_EQ(mix.leftWeight(1), 0.0f);
    EXPECT_EQ(mix.leftWeight(3), 0.0f);
    EXPECT_EQ(mix.rightWeight(3), 0.0f);
    EXPECT_EQ(mix.leftWeight(5), 0.0f);
    EXPECT_EQ(mix.rightWeight(4), 0.0f);
    EXPECT_NEAR(mix.leftWeight(2) / mix.leftWeight(0), 0.7071, 1e-4) << "centre at -3 dB";
    // Only the LFE: silence.
    const float lfe[] = {0, 0, 0, 1, 0, 0};
    float out[2];
    mix.mix(lfe, out, 1);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
}

TEST(StereoDownmix, FullScaleOnEveryChannelStaysWithinFullScale) {
    for (int channels : {3, 4, 5, 6, 8}) {
        std::vector<float> frame(static_cast<size_t>(channels), 1.0f);
        float out[2];
        StereoDownmix(channels).mix(frame.data(), out, 1);
        EXPECT_NEAR(out[0], 1.0f, 1e-6) << channels;
        EXPECT_NEAR(out[1], 1.0f, 1e-6) << channels;
    }
}

class ResamplerQuality : public ::testing::TestWithParam<int> {};

// A 1 kHz sine at the source rate, converted to 44.1 kHz: its frequency and level stay, and
// nothing else (alias, image, filter ripple) reaches -90 dBFS.
TEST_P(ResamplerQuality, ASineKeepsFrequencyAndLevelAndNothingElseReachesMinus90dB) {
    const int rate = GetParam();
    const auto input = sine(rate * 3, 2, 1000.0, rate, 0.5);
    const auto out = left(resample(input, rate, 44100.0, 4096));
    ASSERT_NEAR(static_cast<double>(out.size()), 3.0 * 44100.0, 2.0);
    const GeneratedAudio::Spectrum spectrum(out, 20000, 65536, 44100.0);
    EXPECT_NEAR(spectrum.peakHz(), 1000.0, 0.5);
    EXPECT_NEAR(GeneratedAudio::sineAmplitude(out, 20000), 0.5, 0.005);
    const double spur = spectrum.strongestAwayFrom(1000.0, 40.0);
    EXPECT_LT(spur, -90.0) << "strongest component away from the sine at " << rate << " Hz";
    RecordProperty("strongest_spur_dbfs", std::to_string(spur));
}

INSTANTIATE_TEST_SUITE_P(SourceRates, ResamplerQuality, ::testing::Values(22050, 48000, 96000));

TEST(SoxrResampler, BlockSizeDoesNotChangeTheResult) {
    const auto input = sine(48000, 2, 997.0, 48000.0, 0.7);
    const auto whole = resample(input, 48000.0, 44100.0, 48000);
    const auto small = resample(input, 48000.0, 44100.0, 333);
    ASSERT_EQ(whole.size(), small.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        ASSERT_NEAR(whole[i], small[i], 1e-6f) << i;
    }
}

TEST(SoxrResampler, TheFilterDelayIsCompensated) {
    // An impulse at input frame 4800 (0.1 s) comes out at 0.1 s.
    std::vector<float> input(2 * 48000, 0.0f);
    input[2 * 4800] = input[2 * 4800 + 1] = 1.0f;
    const auto out = left(resample(input, 48000.0, 44100.0, 4096));
    const auto peak = std::max_element(out.begin(), out.end()) - out.begin();
    EXPECT_NEAR(static_cast<double>(peak), 4410.0, 1.0);
}

TEST(SoxrResampler, RefusesWhatItCannotConvert) {
    EXPECT_EQ(SoxrResampler::create(0, 48000.0, 44100.0), nullptr);
    EXPECT_EQ(SoxrResampler::create(2, 0.0, 44100.0), nullptr);
    EXPECT_EQ(SoxrResampler::create(2, 48000.0, -1.0), nullptr);
}

} // namespace

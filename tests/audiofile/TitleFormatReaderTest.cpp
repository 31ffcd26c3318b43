// Files of every format the import takes, made by sox and ffmpeg, read as 44.1 kHz 16-bit
// stereo; and FLAC files written and read back.
#include "TitleFormatReader.h"
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "EncodedFileWriter.h"
#include "SoundFileReader.h"

#include "support/GeneratedAudio.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

namespace {

using GeneratedAudio::channel;
using GeneratedAudio::Spectrum;

// Reads the whole output of a reader, in blocks of `block` frames.
std::vector<int16_t> readAll(TitleFormatReader& reader, int32_t block) {
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(static_cast<size_t>(TitleFormatReader::kMaxBlock) * 2);
    for (;;) {
        const int32_t got = reader.read(buffer.data(), block);
        EXPECT_GE(got, 0);
        if (got <= 0) {
            break;
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + 2 * got);
    }
    return out;
}

class ReaderFormats : public ::testing::TestWithParam<GeneratedAudio::SineFile> {
protected:
    TestDir dir;
};

TEST_P(ReaderFormats, ASineArrivesAt44100HzWithItsLengthFrequencyAndLevel) {
    const GeneratedAudio::SineFile& s = GetParam();
    const std::string path = dir.file(s.name);
    constexpr double kSeconds = 8.0;
    const bool made = GeneratedAudio::makeSine(path, s, kSeconds, 1000.0, 0.5);
    ASSERT_TRUE(made) << "could not make " << path;

    TitleFormatReader reader;
    ASSERT_TRUE(reader.open(path)) << path;
    EXPECT_EQ(reader.source().sampleRate, s.rate);
    EXPECT_NEAR(static_cast<double>(reader.frames()), kSeconds * 44100.0, kSeconds)
        << "within one frame per second of the source";
    const auto out = readAll(reader, 4000);
    ASSERT_EQ(static_cast<int64_t>(out.size()), 2 * reader.frames());
    for (int side = 0; side < 2; ++side) {
        const auto x = channel(out, 2, side);
        const Spectrum spectrum(x, 44100, 131072, 44100.0);
        EXPECT_NEAR(spectrum.peakHz(), 1000.0, 0.5) << s.name;
        EXPECT_NEAR(20.0 * std::log10(GeneratedAudio::sineAmplitude(x, 44100) / 0.5), 0.0,
                    s.levelTolerance)
            << s.name;
        if (s.bits >= 16) {
            // Lossless sources of 16 bits or more: what is not the sine is the dither alone.
            EXPECT_LT(spectrum.strongestAwayFrom(1000.0, 40.0), -90.0) << s.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderFormats, ::testing::ValuesIn(GeneratedAudio::sineFiles()),
                         [](const auto& info) { return GeneratedAudio::testName(info.param); });

TEST(TitleFormatReader, SixteenBitAudioAt44100HzPassesBitForBit) {
    TestDir dir;
    const auto samples = AudioTest::noise16(2 * 50000, 7);
    const std::string wave = dir.file("44100-2-16.wav");
    ASSERT_TRUE(AudioTest::writeSystemFile(wave, samples, 2));
    ASSERT_TRUE(GeneratedAudio::run("sox " + GeneratedAudio::quoted(wave) + " " +
                                    GeneratedAudio::quoted(dir.file("44100-2-16.flac"))));
    for (const char* name : {"44100-2-16.wav", "44100-2-16.flac"}) {
        TitleFormatReader reader;
        ASSERT_TRUE(reader.open(dir.file(name)));
        EXPECT_FALSE(reader.converts()) << name;
        EXPECT_EQ(readAll(reader, 1234), samples) << name;
    }
}

TEST(TitleFormatReader, TheResultDoesNotDependOnTheBlockSize) {
    TestDir dir;
    const std::string path = dir.file("48000-2-24-noise.wav");
    ASSERT_TRUE(GeneratedAudio::run("sox -n -r 48000 -b 24 -c 2 " + GeneratedAudio::quoted(path) +
                                    " synth 2 whitenoise vol 0.3"));
    TitleFormatReader a;
    TitleFormatReader b;
    ASSERT_TRUE(a.open(path));
    ASSERT_TRUE(b.open(path));
    EXPECT_TRUE(a.converts());
    EXPECT_EQ(readAll(a, TitleFormatReader::kMaxBlock), readAll(b, 1000));
}

TEST(TitleFormatReader, LengthIsTheSourceLengthAt44100HzRounded) {
    EXPECT_EQ(TitleFormatReader::titleFrames(48000, 48000), 44100);
    EXPECT_EQ(TitleFormatReader::titleFrames(96001, 96000), 44100);
    EXPECT_EQ(TitleFormatReader::titleFrames(96003, 96000), 44101);
    EXPECT_EQ(TitleFormatReader::titleFrames(22050, 22050), 44100);
    EXPECT_EQ(TitleFormatReader::titleFrames(100, 0), 0);
}

TEST(TitleFormatReader, FilesThatAreNotAudioAreRefused) {
    TestDir dir;
    AudioTest::writeBytes(dir.file("words.flac"), {'f', 'L', 'a', 'C', 0, 0, 0, 0, 1, 2, 3});
    AudioTest::writeBytes(dir.file("empty.mp3"), {});
    AudioTest::writeBytes(dir.file("noise.ogg"), AudioTest::asBytes(AudioTest::noise16(5000, 3)));
    for (const char* name : {"words.flac", "empty.mp3", "noise.ogg", "missing.wav"}) {
        TitleFormatReader reader;
        EXPECT_FALSE(reader.open(dir.file(name))) << name;
        int16_t frame[2];
        EXPECT_EQ(reader.read(frame, 1), -1) << name;
    }
}

TEST(SoundFileReader, KnowsFilesByContentWhateverTheirNameAndRefusesPipesAtOnce) {
    TestDir dir;
    const std::string wave = dir.file("44100-2-16.wav");
    ASSERT_TRUE(AudioTest::writeSystemFile(wave, AudioTest::noise16(2 * 1000, 8), 2));
    for (const char* name : {"UP.FLAC", "x.Flac", "flac.wav"}) {
        ASSERT_TRUE(GeneratedAudio::run("sox " + GeneratedAudio::quoted(wave) + " -t flac " +
                                        GeneratedAudio::quoted(dir.file(name))));
        auto reader = SoundFileReader::open(dir.file(name));
        ASSERT_NE(reader, nullptr) << name;
        EXPECT_EQ(reader->info().formatName, "FLAC") << name;
        EXPECT_EQ(reader->info().frames, 1000) << name;
    }
    // Waiting here for a writer would hang the test rather than fail it.
    const std::string fifo = dir.file("pipe.flac");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(SoundFileReader::open(fifo), nullptr);
}

TEST(SoundFileReader, OpusSupportIsWhatTheLibrarySays) {
    TestDir dir;
    const std::string path = dir.file("48000-2-opus.opus");
    ASSERT_TRUE(GeneratedAudio::ffmpegSine(path, "libopus", 48000, 1.0, 440.0, 0.3));
    EXPECT_EQ(SoundFileReader::open(path) != nullptr, SoundFileReader::opusSupported())
        << SoundFileReader::libraryVersion();
}

TEST(EncodedFileWriter, WritesLosslesslyWithTitleAndArtist) {
    TestDir dir;
    const std::string path = dir.file("44100-2-16.flac");
    const auto samples = AudioTest::noise16(2 * 30000, 11);
    {
        auto writer = EncodedFileWriter::create(path, EncodedFormat::kFlac, 44100, 2,
                                                "Side A – Intro", "Die Ärzte");
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write(samples.data(), 10000));
        ASSERT_TRUE(writer->write(samples.data() + 20000, 20000));
        ASSERT_TRUE(writer->close());
    }
    auto reader = SoundFileReader::open(path);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->info().formatName, "FLAC");
    EXPECT_EQ(reader->info().frames, 30000);
    EXPECT_TRUE(reader->info().atMost16Bits);
    EXPECT_EQ(reader->title(), "Side A – Intro");
    EXPECT_EQ(reader->artist(), "Die Ärzte");
    std::vector<float> back(2 * 30000);
    ASSERT_EQ(reader->readFloat(back.data(), 30000), 30000);
    for (size_t i = 0; i < back.size(); ++i) {
        ASSERT_EQ(static_cast<int>(back[i] * 32768.0f), samples[i]) << i;
    }
}

TEST(EncodedFileWriter, CannotCreateInAMissingFolder) {
    TestDir dir;
    EXPECT_EQ(EncodedFileWriter::create(dir.file("no/such/x.flac"), EncodedFormat::kFlac, 44100, 2,
                                        "t", "a"),
              nullptr);
}

} // namespace

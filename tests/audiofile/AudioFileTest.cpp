// AudioFile: identification, nested open and close, create, the direct path, seek and
// position, the header refresh, the bytes-per-frame rules, clone and destruction.
#include "AudioFile.h"
#include "AudioFileHandler.h"
#include "AudioTestSupport.h"
#include "FFileSystem.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace AudioTest;

namespace {

class AudioFileTest : public ::testing::Test {
protected:
    // A 44.1 kHz 16-bit stereo file of `frames` noise frames, made by the program.
    std::string makeStereo(const std::string& name, int64_t frames, uint32_t seed = 1) {
        std::string path = tmp.file(name);
        samples = noise16(frames * 2, seed);
        EXPECT_TRUE(writeSystemFile(path, samples, 2));
        return path;
    }

    TestDir tmp;
    std::vector<int16_t> samples;
};

// A file name as a test name: letters and digits, "_" for the rest.
std::string testName(std::string name) {
    for (auto& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

struct KindCase {
    const char* name;
    int32_t kind;
};

class IdentificationTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(IdentificationTest, ExtensionGivesKindIgnoringCase) {
    AudioFile file(std::string("/nowhere/take.") + GetParam().name);
    EXPECT_EQ(file.kind(), GetParam().kind);
    EXPECT_EQ(file.hasHandler(), GetParam().kind != kAudioKindUnknown);
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, IdentificationTest,
    ::testing::Values(KindCase{"wav", kAudioKindWAVE}, KindCase{"Wave", kAudioKindWAVE},
                      KindCase{"AIFF", kAudioKindAIFF}, KindCase{"aifc", kAudioKindAIFC},
                      KindCase{"mp3", kAudioKindUnknown}, KindCase{"wav.bak", kAudioKindUnknown}),
    [](const auto& info) { return testName(info.param.name); });

// A file's kind is its content's, whatever its name says.
struct ContentCase {
    const char* name;
    const char* form; // "WAVE", "AIFF" or "AIFC"
    int32_t kind;
};

Bytes imageOf(const char* form, const Bytes& samples) {
    if (std::string(form) == "WAVE") {
        return pcmWave(1, 8000, 16, samples);
    }
    return formImage(form,
                     {{"COMM", commBody(1, static_cast<uint32_t>(samples.size() / 2), 16, 8000.0)},
                      {"SSND", ssndBody(0, samples)}});
}

class ContentIdentificationTest : public ::testing::TestWithParam<ContentCase> {
protected:
    TestDir tmp;
};

TEST_P(ContentIdentificationTest, ExistingFileIsKnownByItsFirstBytes) {
    const std::string path = tmp.file(GetParam().name);
    writeBytes(path, imageOf(GetParam().form, Bytes(2 * 5, 0)));
    AudioFile file(path);
    EXPECT_EQ(file.kind(), GetParam().kind);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.frames(), 5);
    EXPECT_EQ(AudioFile::check(path).kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Names, ContentIdentificationTest,
                         ::testing::Values(ContentCase{"wave.aif", "WAVE", kAudioKindWAVE},
                                           ContentCase{"no-extension", "WAVE", kAudioKindWAVE},
                                           ContentCase{"y.AIFF", "AIFF", kAudioKindAIFF},
                                           ContentCase{"aiff.wav", "AIFF", kAudioKindAIFF},
                                           ContentCase{"c.aif", "AIFC", kAudioKindAIFC}),
                         [](const auto& info) { return testName(info.param.name); });

// Why a file does not open.
struct ReasonCase {
    const char* name;
    Bytes image;
    AudioOpenResult result;
};

Bytes cut(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

std::vector<ReasonCase> reasonCases() {
    const Bytes data = asBytes(noise16(2 * 8, 3));
    ByteWriter aifcComm(true);
    aifcComm.raw(commBody(2, 8, 16, 44100.0)).text("ima4").u8(0).u8(0);
    return {
        {"ok.wav", pcmWave(2, 44100, 16, data), AudioOpenResult::kOk},
        {"notes.wav", Bytes(64, 'x'), AudioOpenResult::kNotAudio},
        {"empty.wav", {}, AudioOpenResult::kNotAudio},
        {"no-data.wav", riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)}}),
         AudioOpenResult::kTruncated},
        {"cut-in-fmt.wav", cut(pcmWave(2, 44100, 16, data), 30), AudioOpenResult::kTruncated},
        {"cut-in-comm.aif",
         cut(formImage("AIFF",
                       {{"COMM", commBody(2, 8, 16, 44100.0)}, {"SSND", ssndBody(0, data)}}),
             20),
         AudioOpenResult::kTruncated},
        {"no-channels.wav", riffImage({{"fmt ", fmtBody(1, 0, 44100, 4, 16)}, {"data", data}}),
         AudioOpenResult::kDamaged},
        {"no-channels.aif",
         formImage("AIFF", {{"COMM", commBody(0, 8, 16, 44100.0)}, {"SSND", ssndBody(0, data)}}),
         AudioOpenResult::kDamaged},
        {"adpcm.wav", riffImage({{"fmt ", fmtBody(2, 2, 44100, 4, 4)}, {"data", data}}),
         AudioOpenResult::kUnsupported},
        {"ima4.aifc", formImage("AIFC", {{"COMM", aifcComm.bytes()}, {"SSND", ssndBody(0, data)}}),
         AudioOpenResult::kUnsupported},
    };
}

class OpenReasonTest : public ::testing::TestWithParam<ReasonCase> {
protected:
    TestDir tmp;
};

TEST_P(OpenReasonTest, OpenAndCheckSayWhy) {
    const std::string path = tmp.file(GetParam().name);
    writeBytes(path, GetParam().image);
    AudioFile file(path);
    EXPECT_EQ(file.open(FAccessMode::kRead), GetParam().result == AudioOpenResult::kOk);
    EXPECT_EQ(file.lastOpenResult(), GetParam().result);
    const AudioFileCheck check = AudioFile::check(path);
    EXPECT_EQ(check.result, GetParam().result);
    EXPECT_EQ(check.frames, GetParam().result == AudioOpenResult::kOk ? 8 : 0);
}

INSTANTIATE_TEST_SUITE_P(Files, OpenReasonTest, ::testing::ValuesIn(reasonCases()),
                         [](const auto& info) { return testName(info.param.name); });

// check() and open() alike: a FIFO would block a reader until a writer comes.
TEST_F(AudioFileTest, MissingFoldersPipesAndLockedFilesAreRefusedAtOnce) {
    const std::string fifo = tmp.file("pipe.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = tmp.file("folder.wav");
    std::filesystem::create_directory(folder);
    auto refused = std::async(std::launch::async, [&] {
        AudioFile file(fifo);
        EXPECT_FALSE(file.open(FAccessMode::kRead));
        return std::pair{AudioFile::check(fifo).result, file.lastOpenResult()};
    });
    if (refused.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
        // Lets a reader stuck in open() go, so the failure is reported, not hung.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        refused.wait();
        ::close(writer);
        FAIL() << "opening a FIFO waited for a writer";
    }
    const auto [checked, opened] = refused.get();
    EXPECT_EQ(checked, AudioOpenResult::kNotRegular);
    EXPECT_EQ(opened, AudioOpenResult::kNotRegular);
    EXPECT_EQ(AudioFile::check(folder).result, AudioOpenResult::kNotRegular);
    AudioFile directory(folder);
    EXPECT_FALSE(directory.open(FAccessMode::kRead));
    EXPECT_FALSE(directory.open(FAccessMode::kReadWrite));
    EXPECT_EQ(directory.frames(), 0);
    EXPECT_EQ(AudioFile::check(tmp.file("missing.wav")).result, AudioOpenResult::kMissing);
    EXPECT_STREQ(describe(AudioOpenResult::kNotRegular), "not a regular file");
    if (geteuid() != 0) { // root reads every file
        const std::string locked = makeStereo("locked.wav", 8);
        ::chmod(locked.c_str(), 0);
        EXPECT_EQ(AudioFile::check(locked).result, AudioOpenResult::kNoPermission);
        AudioFile file(locked);
        EXPECT_FALSE(file.open(FAccessMode::kRead));
        EXPECT_TRUE(file.hasHandler());
    }
}

// A recording cut off by a crash: whole frames after the header, lengths that say less
// (or more).
struct RepairCase {
    const char* name;
    uint32_t claimedFrames;
};

class HeaderRepairTest : public ::testing::TestWithParam<RepairCase> {
protected:
    static constexpr int32_t kFrames = 300;

    // Written by the program, then its lengths set back to `claimed` frames of 4 bytes.
    std::string crashed(const std::string& name, uint32_t claimed) {
        const std::string path = tmp.file(name);
        samples = noise16(2 * kFrames, 9);
        EXPECT_TRUE(writeSystemFile(path, samples, 2));
        Bytes bytes = readBytes(path);
        if (AudioFile(path).kind() == kAudioKindWAVE) {
            putLe32(bytes, 4, 36 + claimed * 4);
            putLe32(bytes, 40, claimed * 4);
        } else {
            putBe32(bytes, 4, 46 + claimed * 4);
            putBe32(bytes, 22, claimed);
            putBe32(bytes, 42, 8 + claimed * 4);
        }
        writeBytes(path, bytes);
        return path;
    }
    static void putBe32(Bytes& bytes, size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
        }
    }

    TestDir tmp;
    std::vector<int16_t> samples;
};

TEST_P(HeaderRepairTest, LengthsAreRewrittenForTheWholeFramesPresent) {
    for (const char* extension : {".wav", ".aif"}) {
        const std::string path =
            crashed(std::string(GetParam().name) + extension, GetParam().claimedFrames);
        // A partial frame at the end stays outside the data.
        Bytes bytes = readBytes(path);
        bytes.push_back(0x11);
        writeBytes(path, bytes);

        const AudioHeaderRepair repair = AudioFile::repairHeader(path);
        EXPECT_TRUE(repair.ok) << extension;
        EXPECT_TRUE(repair.changed) << extension;
        EXPECT_EQ(repair.framesBefore, static_cast<int32_t>(GetParam().claimedFrames));
        EXPECT_EQ(repair.framesAfter, kFrames);
        EXPECT_EQ(fileSize(path), static_cast<int64_t>(bytes.size()));
        AudioFile file(path);
        ASSERT_TRUE(file.open(FAccessMode::kRead)) << extension;
        EXPECT_EQ(file.frames(), kFrames);
        EXPECT_FALSE(file.isTruncated());
        EXPECT_EQ(asSamples(readToEnd(file)), samples) << extension;
        file.close();

        const AudioHeaderRepair again = AudioFile::repairHeader(path);
        EXPECT_TRUE(again.ok && !again.changed) << extension;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, HeaderRepairTest,
                         ::testing::Values(RepairCase{"zero", 0}, RepairCase{"old", 120},
                                           RepairCase{"more", 1000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeaderRepairTest, FilesThatAgreeOrAreNoAudioAreNotWritten) {
    const std::string whole = tmp.file("whole.wav");
    ASSERT_TRUE(writeSystemFile(whole, noise16(2 * 50, 10), 2));
    const std::string followed = tmp.file("followed.wav");
    writeBytes(followed, riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                    {"data", asBytes(noise16(2 * 50, 11))},
                                    {"LIST", Bytes(30, 'i')}}));
    const std::string text = tmp.file("text.wav");
    writeBytes(text, Bytes(400, 'x'));
    for (const std::string& path : {whole, followed, text}) {
        const Bytes before = readBytes(path);
        const AudioHeaderRepair repair = AudioFile::repairHeader(path);
        EXPECT_EQ(repair.ok, path != text) << path;
        EXPECT_FALSE(repair.changed) << path;
        EXPECT_EQ(readBytes(path), before) << path;
    }
    EXPECT_FALSE(AudioFile::repairHeader(tmp.file("missing.wav")).ok);
}

TEST_F(AudioFileTest, UnrecognisedFileFailsEveryOperationWithoutTouchingTheDisk) {
    for (const char* name : {"take.sd2", "project.dat"}) {
        std::string path = tmp.file(name);
        AudioFile file(path);
        int16_t frame[2] = {1, 2};
        EXPECT_FALSE(file.create());
        EXPECT_FALSE(file.open(FAccessMode::kRead));
        EXPECT_FALSE(file.close());
        EXPECT_EQ(file.read(1, frame), -1);
        EXPECT_EQ(file.write(1, frame), -1);
        EXPECT_EQ(file.seek(0), -1);
        EXPECT_EQ(file.position(), -1);
        EXPECT_EQ(file.frames(), 0);
        EXPECT_FALSE(FFileSystem::exists(path)) << name;
    }
}

TEST_F(AudioFileTest, NestedOpensReadTheHeaderOnceAndCloseWithTheLast) {
    std::string path = makeStereo("44100-2-16-nested.wav", 100);
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    // Change the channel count on disk: a second header read would see it.
    Bytes bytes = readBytes(path);
    bytes[22] = 1;
    writeBytes(path, bytes);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.channels(), 2);
    ASSERT_TRUE(file.close());
    int16_t frame[2];
    EXPECT_EQ(file.read(1, frame), 1);
    ASSERT_TRUE(file.close());
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.read(1, frame), -1);
}

TEST_F(AudioFileTest, WritingPastTheEndGrowsTheFileAndCloseRewritesTheLengths) {
    std::string path = makeStereo("44100-2-16-grow.wav", 1000);
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kReadWrite));
    ASSERT_EQ(file.seek(1000), 1000);
    auto extra = noise16(200, 2);
    EXPECT_EQ(file.write(100, extra.data()), 100);
    EXPECT_EQ(file.frames(), 1100);
    EXPECT_TRUE(file.isDirty());
    ASSERT_TRUE(file.close());
    Bytes bytes = readBytes(path);
    EXPECT_EQ(le32(bytes, 4), 36u + 4400u);
    EXPECT_EQ(le32(bytes, 40), 4400u);
    AudioFile again(path);
    EXPECT_EQ(again.frames(), 1100);
}

TEST_F(AudioFileTest, SeekOnAProgramFilePositionsTheStreamAfterTheHeader) {
    std::string path = makeStereo("44100-2-16-seek.wav", 50);
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.seek(10), 10);
    EXPECT_EQ(file.position(), 10);
    int16_t frame[2];
    ASSERT_EQ(file.read(1, frame), 1);
    EXPECT_EQ(frame[0], samples[20]);
    EXPECT_EQ(frame[1], samples[21]);
    EXPECT_EQ(file.position(), 11);
    EXPECT_EQ(file.seek(-1), -1);
}

TEST_F(AudioFileTest, ReadsStopAtTheLastFrameWhenAChunkFollowsTheData) {
    auto data = noise16(2 * 300, 3);
    Bytes image = riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                             {"data", asBytes(data)},
                             {"LIST", Bytes(64, 0x55)}});
    std::string path = tmp.file("44100-2-16-trailing-list.wav");
    writeBytes(path, image);
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.frames(), 300);
    EXPECT_EQ(asSamples(readToEnd(file, 128)), data);
    int16_t frame[2];
    EXPECT_EQ(file.read(1, frame), 0);
}

TEST_F(AudioFileTest, DataEndingInTheMiddleOfAFrameGivesWholeFramesOnly) {
    auto data = noise16(2 * 10, 4);
    Bytes bytes = asBytes(data);
    bytes.push_back(0x12);
    bytes.push_back(0x34);
    std::string path = tmp.file("44100-2-16-half-frame.wav");
    writeBytes(path, riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)}, {"data", bytes}}));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.frames(), 10);
    std::vector<int16_t> buffer(2 * 16);
    EXPECT_EQ(file.read(16, buffer.data()), 10);
    EXPECT_EQ(file.read(16, buffer.data()), 0);
}

// Transfers on a closed file: NestedOpensReadTheHeaderOnceAndCloseWithTheLast.
TEST_F(AudioFileTest, TransfersRefuseZeroOrNegativeFrameCounts) {
    std::string path = makeStereo("44100-2-16-refuse.wav", 10);
    AudioFile file(path);
    int16_t frame[2] = {};
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.read(0, frame), -1);
    EXPECT_EQ(file.write(0, frame), -1);
    EXPECT_EQ(file.read(-5, frame), -1);
}

TEST_F(AudioFileTest, WritesBeyondWhatA32BitHeaderCanDescribeAreRefused) {
    std::string path = makeStereo("44100-2-16-huge.wav", 10);
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kReadWrite));
    ASSERT_EQ(file.seek(1073741823), 1073741823); // the last frame below 4 GiB of data
    int16_t frames[4] = {};
    EXPECT_EQ(file.write(2, frames), -1);
    EXPECT_EQ(file.frames(), 10);
    file.close();
    EXPECT_EQ(fileSize(path), 44 + 40);
}

TEST_F(AudioFileTest, GettersReadTheHeaderOfAFileNeverOpenedAndClientFramesCountAtTheClientRate) {
    std::string path = tmp.file("22050-1-16.wav");
    ASSERT_TRUE(writeSystemFile(path, noise16(1001, 6), 1, 22050.0f));
    AudioFile file(path);
    EXPECT_FLOAT_EQ(file.sampleRate(), 22050.0f);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.frames(), 1001);
    EXPECT_EQ(file.channels(), 1);
    EXPECT_EQ(file.bits(), 16);
    EXPECT_EQ(file.sampleType(), kSampleSigned);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.clientFrames(), 1001);
    file.setClientSampleRate(44100.0f);
    EXPECT_EQ(file.clientFrames(), 2000);
    file.setClientSampleRate(11025.0f);
    EXPECT_EQ(file.clientFrames(), 500);
}

TEST_F(AudioFileTest, CloneHasItsOwnHandlerAndStream) {
    std::string path = makeStereo("44100-2-16-clone.wav", 64);
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    file.setUserFlag(7);
    FRef<AudioFile> copy = file.clone();
    EXPECT_EQ(copy->frames(), 64);
    EXPECT_EQ(copy->userFlag(), 7);
    EXPECT_FALSE(copy->isOpen());
    ASSERT_TRUE(copy->open(FAccessMode::kRead));
    ASSERT_EQ(copy->seek(32), 32);
    copy.reset(); // destroying the open clone closes only its own stream
    int16_t frame[2];
    ASSERT_EQ(file.read(1, frame), 1);
    EXPECT_EQ(frame[0], samples[0]);
}

TEST_F(AudioFileTest, DestroyingAnOpenFileClosesItAndUpdatesTheHeader) {
    std::string path = tmp.file("44100-2-16-destroyed.wav");
    auto data = noise16(2 * 77, 9);
    {
        AudioFile file(path);
        ASSERT_TRUE(file.create());
        file.setChannels(2);
        file.setClientFormat(file.fileFormat());
        ASSERT_TRUE(file.open(FAccessMode::kReadWrite)); // nested: count 2
        ASSERT_EQ(file.write(77, data.data()), 77);
    }
    Bytes bytes = readBytes(path);
    EXPECT_EQ(le32(bytes, 40), 77u * 4);
    EXPECT_EQ(le16(bytes, 22), 2);
    AudioFile again(path);
    ASSERT_TRUE(again.open(FAccessMode::kRead));
    EXPECT_EQ(asSamples(readToEnd(again)), data);
}

TEST_F(AudioFileTest, FlushRewritesTheHeaderAndKeepsThePosition) {
    std::string path = tmp.file("44100-2-16-flush.wav");
    AudioFile file(path);
    ASSERT_TRUE(file.create());
    file.setChannels(2);
    file.setClientFormat(file.fileFormat());
    auto first = noise16(2 * 10, 10);
    auto second = noise16(2 * 10, 11);
    ASSERT_EQ(file.write(10, first.data()), 10);
    ASSERT_TRUE(file.flush());
    EXPECT_FALSE(file.isDirty());
    EXPECT_EQ(le32(readBytes(path), 40), 40u);
    ASSERT_EQ(file.write(10, second.data()), 10);
    ASSERT_TRUE(file.close());
    AudioFile again(path);
    ASSERT_TRUE(again.open(FAccessMode::kRead));
    auto all = asSamples(readToEnd(again));
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(all, first);
}

TEST_F(AudioFileTest, PathRoundTripsThroughAStreamAndIdentifiesTheFileAgain) {
    std::string path = makeStereo("44100-2-16-stored.wav", 5);
    std::string store = tmp.file("store.bin");
    {
        auto stream = FFileSystem::create(store);
        ASSERT_TRUE(stream);
        AudioFile file(path);
        ASSERT_TRUE(file.writeToStream(*stream));
    }
    AudioFile restored;
    EXPECT_EQ(restored.kind(), kAudioKindUnknown);
    auto stream = FFileSystem::open(store, FAccessMode::kRead);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(restored.readFromStream(*stream));
    EXPECT_EQ(restored.pathName(), path);
    EXPECT_EQ(restored.kind(), kAudioKindWAVE);
    EXPECT_EQ(restored.frames(), 5);
    // A damaged length is refused, not trusted.
    writeBytes(store, Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    auto damaged = FFileSystem::open(store, FAccessMode::kRead);
    EXPECT_FALSE(restored.readFromStream(*damaged));
}

TEST_F(AudioFileTest, RenameMovesTheFileAndRenamesOnlyThisObjectsPath) {
    std::string path = makeStereo("44100-2-16-old.wav", 5);
    auto shared = FRef<FNPath>::make(path);
    AudioFile file(shared);
    ASSERT_TRUE(file.rename("renamed.wav"));
    EXPECT_EQ(file.pathName(), tmp.file("renamed.wav"));
    EXPECT_EQ(shared->text(), path);
    EXPECT_TRUE(FFileSystem::exists(tmp.file("renamed.wav")));
    EXPECT_FALSE(FFileSystem::exists(path));
    EXPECT_EQ(file.frames(), 5);
    EXPECT_FALSE(file.rename("renamed.wav")); // never over an existing file
}

} // namespace

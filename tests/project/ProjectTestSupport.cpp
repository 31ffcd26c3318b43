#include "ProjectTestSupport.h"

#include "AudioTestSupport.h"

#include "AEProject.h"
#include "AEProjectOutcome.h"
#include "FString.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace ProjectTest {

std::vector<int16_t> testSignal(int32_t frames, uint32_t seed) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    uint32_t state = seed * 2654435761u + 1;
    for (int32_t i = 0; i < frames; ++i) {
        samples[2 * static_cast<size_t>(i)] =
            static_cast<int16_t>(std::lround(20000.0 * std::sin(2.0 * M_PI * 441.0 * i / 44100.0)));
        state = state * 1664525u + 1013904223u;
        samples[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(state >> 16);
    }
    return samples;
}

void writeWaveSamples(const std::string& path, const std::vector<int16_t>& samples) {
    const AudioTest::Bytes bytes =
        samples.empty() ? AudioTest::Bytes{} : AudioTest::asBytes(samples);
    AudioTest::writeBytes(path, AudioTest::pcmWave(2, 44100, 16, bytes));
}

void writeWave(const std::string& path, int32_t frames) {
    writeWaveSamples(path, testSignal(frames));
}

RecordImage& RecordImage::u32(uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes_ += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return *this;
}

RecordImage& RecordImage::header(uint32_t type, const char* tag) {
    u32(type);
    bytes_.append(tag, 4);
    return *this;
}

RecordImage& RecordImage::rawText(const char* tag, uint32_t length, const std::string& body) {
    header(1, tag).u32(length);
    bytes_ += body;
    return *this;
}

RecordImage& RecordImage::text(const char* tag, const std::string& text) {
    return rawText(tag, static_cast<uint32_t>(text.size() + 1), text + '\0');
}

RecordImage& RecordImage::integer(const char* tag, int32_t value) {
    return header(2, tag).u32(static_cast<uint32_t>(value));
}

RecordImage& RecordImage::flag(const char* tag, bool value) {
    header(3, tag);
    bytes_ += value ? '1' : '0';
    return *this;
}

RecordImage& RecordImage::projectHeader(int32_t version, int32_t count, const std::string& base) {
    return integer("Vers", version).text("Titl", "A CD").integer("Numt", count).text("Bdir", base);
}

RecordImage& RecordImage::titleBlock(int32_t index, const std::string& audioBase,
                                     const std::string& pause, const std::string& source,
                                     int32_t state, const std::string& processed) {
    integer("Tfid", index).text("Tart", "artist " + std::to_string(index));
    text("Tnam", audioBase).text("Tedn", "name " + std::to_string(index));
    text("Tcdp", pause).text("Ptrn", processed);
    for (int slot = 0; slot < 6; ++slot) {
        integer("Slpa", 1000 * (slot + 1) + index);
    }
    for (int slot = 0; slot < 6; ++slot) {
        integer("Enad", slot % 2);
    }
    const int32_t fades[4] = {10, 20, 300000, 308000};
    for (int32_t fade : fades) {
        integer("Faio", fade);
    }
    integer("Prst", state).integer("Zoom", 4096 + index);
    return text("MaNa", source).text("Enot", "****");
}

void RecordImage::save(const std::string& path) const {
    writeFile(path, bytes_);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RecordingHost::postAppMessage(int32_t tag, int32_t data, int32_t, FRef<FShared> obj) {
    auto* text = dynamic_cast<FString*>(obj.get());
    {
        std::lock_guard lock(mutex_);
        messages.push_back({tag, data, text ? text->text() : std::string(), std::move(obj)});
    }
    if (tag == 18 && cancelOnRefresh) {
        cancel = true;
    }
    changed_.notify_all();
}

std::vector<int32_t> RecordingHost::tags() const {
    std::lock_guard lock(mutex_);
    std::vector<int32_t> tags;
    for (const auto& message : messages) {
        tags.push_back(message.tag);
    }
    return tags;
}

int RecordingHost::count(int32_t tag) const {
    const std::vector<int32_t> all = tags();
    return static_cast<int>(std::count(all.begin(), all.end(), tag));
}

bool RecordingHost::waitFor(int32_t tag, int times, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return std::count_if(messages.begin(), messages.end(),
                             [tag](const Message& m) { return m.tag == tag; }) >= times;
    });
}

void RecordingHost::applyOutcomes(AEProject& project) {
    for (Message& message : messages) {
        if (auto* outcome = dynamic_cast<AEProjectOutcome*>(message.object.get())) {
            outcome->apply(project);
        }
        message.object.reset();
    }
}

const char* RecordingHost::loadString(int32_t id) {
    std::lock_guard lock(mutex_);
    strings.push_back("S" + std::to_string(id));
    return strings.back().c_str();
}

void RecordingHost::progressBegin(int64_t steps) {
    ++progressBegins;
    progressMaximum = steps;
    progressValue = 0;
}

FileSizeLimit::FileSizeLimit(int64_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        previous_ = limit.rlim_cur;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        limited_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    if (limited_ && getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = previous_;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::signal(SIGXFSZ, previousHandler_);
}

} // namespace ProjectTest

#include "AESoundcardSettings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kIdPlayDevice = "idPlayDevice";
constexpr const char* kNumBuffPlay = "mme_numBuff_play";
constexpr const char* kBuffSizePlay = "mme_buffSize_play";
constexpr const char* kIdRecDevice = "idRecDevice";
constexpr const char* kNumBuffRec = "mme_numBuff_rec";
constexpr const char* kBuffSizeRec = "mme_buffSize_rec";

int32_t boundSize(int32_t bytes) {
    return std::clamp(bytes, AESoundcardSettings::kMinBufferSize,
                      AESoundcardSettings::kMaxBufferSize) /
           4 * 4;
}

} // namespace

AESoundcardSettings::AESoundcardSettings(RegistryStore store) : store_(std::move(store)) {
    load();
    remember();
}

void AESoundcardSettings::load() {
    const Values defaults;
    store_.readInt(kIdPlayDevice, values_.idPlayDevice, defaults.idPlayDevice);
    store_.readInt(kNumBuffPlay, values_.numBuffPlay, defaults.numBuffPlay);
    store_.readInt(kBuffSizePlay, values_.buffSizePlay, defaults.buffSizePlay);
    store_.readInt(kIdRecDevice, values_.idRecDevice, defaults.idRecDevice);
    store_.readInt(kNumBuffRec, values_.numBuffRec, defaults.numBuffRec);
    store_.readInt(kBuffSizeRec, values_.buffSizeRec, defaults.buffSizeRec);
    bound();
}

void AESoundcardSettings::save() const {
    store_.writeInt(kIdPlayDevice, values_.idPlayDevice);
    store_.writeInt(kNumBuffPlay, values_.numBuffPlay);
    store_.writeInt(kBuffSizePlay, values_.buffSizePlay);
    store_.writeInt(kIdRecDevice, values_.idRecDevice);
    store_.writeInt(kNumBuffRec, values_.numBuffRec);
    store_.writeInt(kBuffSizeRec, values_.buffSizeRec);
}

AESoundcardSettings::Values AESoundcardSettings::bounded(Values values) {
    values.idPlayDevice = std::max(values.idPlayDevice, 0);
    values.idRecDevice = std::max(values.idRecDevice, 0);
    values.numBuffPlay = std::clamp(values.numBuffPlay, kMinBuffers, kMaxBuffers);
    values.numBuffRec = std::clamp(values.numBuffRec, kMinBuffers, kMaxBuffers);
    values.buffSizePlay = boundSize(values.buffSizePlay);
    values.buffSizeRec = boundSize(values.buffSizeRec);
    return values;
}

void AESoundcardSettings::beginEditing() {
    load();
    remember();
}

void AESoundcardSettings::edit(const Values& values) {
    values_ = bounded(values);
    save();
}

void AESoundcardSettings::cancel() {
    restore();
    save();
}

int32_t AESoundcardSettings::delayMilliseconds() const {
    return static_cast<int32_t>(int64_t{values_.numBuffPlay} * 250 * values_.buffSizePlay / 44100);
}

std::string AESoundcardSettings::delayText(const std::string& label) const {
    char text[256];
    std::snprintf(text, sizeof text, "%s %ld ms", label.c_str(),
                  static_cast<long>(delayMilliseconds()));
    return text;
}

int32_t AESoundcardSettings::fieldValue(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return 0;
    }
    return static_cast<int32_t>(value);
}

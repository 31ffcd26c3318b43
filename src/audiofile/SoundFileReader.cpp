#include "SoundFileReader.h"

#include "FFileSystem.h"

#include <sndfile.h>

#include <cstring>

namespace {

SNDFILE* sndfile(void* handle) {
    return static_cast<SNDFILE*>(handle);
}

bool isShortInteger(int subtype) {
    return subtype == SF_FORMAT_PCM_S8 || subtype == SF_FORMAT_PCM_U8 ||
           subtype == SF_FORMAT_PCM_16;
}

std::string formatName(int format) {
    const int subtype = format & SF_FORMAT_SUBMASK;
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
        return "WAVE";
    case SF_FORMAT_AIFF:
        return "AIFF";
    case SF_FORMAT_FLAC:
        return "FLAC";
    case SF_FORMAT_OGG:
        return subtype == SF_FORMAT_OPUS ? "Opus" : "Ogg Vorbis";
    case SF_FORMAT_MPEG:
        return "MP3";
    default:
        return "audio";
    }
}

} // namespace

SoundFileReader::~SoundFileReader() {
    sf_close(sndfile(handle_));
}

std::unique_ptr<SoundFileReader> SoundFileReader::open(const std::string& path) {
    // The library would wait on a FIFO and read a device without end. It knows files by
    // their content (even a bare MP3 stream), not by their names.
    if (!FFileSystem::isRegularFile(path)) {
        return nullptr;
    }
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        return nullptr;
    }
    std::unique_ptr<SoundFileReader> reader(new SoundFileReader(file));
    if (info.frames <= 0 || info.frames == SF_COUNT_MAX || info.channels <= 0 ||
        info.samplerate <= 0) {
        return nullptr;
    }
    // Floats of integer files at full scale: v / 2^(n-1), so 16-bit samples stay exact.
    sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    reader->info_.frames = info.frames;
    reader->info_.sampleRate = info.samplerate;
    reader->info_.channels = info.channels;
    reader->info_.atMost16Bits = isShortInteger(info.format & SF_FORMAT_SUBMASK);
    reader->info_.formatName = formatName(info.format);
    return reader;
}

int64_t SoundFileReader::readFloat(float* interleaved, int64_t frames) {
    const sf_count_t got = sf_readf_float(sndfile(handle_), interleaved, frames);
    if (got < frames && sf_error(sndfile(handle_)) != SF_ERR_NO_ERROR) {
        return -1;
    }
    return got;
}

std::string SoundFileReader::tag(int which) const {
    const char* text = sf_get_string(sndfile(handle_), which);
    return text ? text : "";
}

std::string SoundFileReader::title() const {
    return tag(SF_STR_TITLE);
}

std::string SoundFileReader::artist() const {
    return tag(SF_STR_ARTIST);
}

bool SoundFileReader::opusSupported() {
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO format;
        std::memset(&format, 0, sizeof format);
        format.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &format, sizeof format) == 0 &&
            format.format == SF_FORMAT_OPUS) {
            return true;
        }
    }
    return false;
}

std::string SoundFileReader::libraryVersion() {
    char version[128] = {};
    sf_command(nullptr, SFC_GET_LIB_VERSION, version, sizeof version);
    return version;
}

#include "FlacFileWriter.h"

#include <sndfile.h>

#include <cstring>

FlacFileWriter::~FlacFileWriter() {
    close();
}

std::unique_ptr<FlacFileWriter> FlacFileWriter::create(const std::string& path, int32_t sampleRate,
                                                       int32_t channels, const std::string& title,
                                                       const std::string& artist) {
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return nullptr;
    }
    std::unique_ptr<FlacFileWriter> writer(new FlacFileWriter(file));
    // Before the first frame: the encoder writes its header with them.
    if ((!title.empty() && sf_set_string(file, SF_STR_TITLE, title.c_str()) != 0) ||
        (!artist.empty() && sf_set_string(file, SF_STR_ARTIST, artist.c_str()) != 0)) {
        return nullptr;
    }
    return writer;
}

bool FlacFileWriter::write(const int16_t* interleaved, int64_t frames) {
    return handle_ &&
           sf_writef_short(static_cast<SNDFILE*>(handle_), interleaved, frames) == frames;
}

bool FlacFileWriter::close() {
    if (!handle_) {
        return true;
    }
    auto* file = static_cast<SNDFILE*>(handle_);
    handle_ = nullptr;
    // The encoder flushes its last block here; an error then means a short file.
    sf_write_sync(file);
    const bool clean = sf_error(file) == SF_ERR_NO_ERROR;
    return sf_close(file) == 0 && clean;
}

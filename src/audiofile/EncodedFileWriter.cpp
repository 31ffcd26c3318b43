#include "EncodedFileWriter.h"

#include "SoxrResampler.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kOpusRate = 48000;
// libsndfile's compression levels (0 best .. 1 smallest): 192 kbit/s for MP3, about
// 160 kbit/s for stereo Opus.
constexpr double kMp3Level = 0.4;
constexpr double kOpusLevel = 0.704;

struct FormatRow {
    EncodedFormat format;
    const char* name;
    int sndfileFormat;
    bool lossless;
};

constexpr FormatRow kFormats[] = {
    {EncodedFormat::kWave, "wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
    {EncodedFormat::kFlac, "flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, true},
    {EncodedFormat::kOpus, "opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, false},
    {EncodedFormat::kMp3, "mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, false},
};

const FormatRow& rowOf(EncodedFormat format) {
    for (const FormatRow& row : kFormats) {
        if (row.format == format) {
            return row;
        }
    }
    return kFormats[0];
}

SNDFILE* fileOf(void* handle) {
    return static_cast<SNDFILE*>(handle);
}

} // namespace

namespace EncodedFormats {

const char* name(EncodedFormat format) {
    return rowOf(format).name;
}

std::optional<EncodedFormat> fromName(const std::string& name) {
    for (const FormatRow& row : kFormats) {
        if (name == row.name) {
            return row.format;
        }
    }
    return std::nullopt;
}

bool lossless(EncodedFormat format) {
    return rowOf(format).lossless;
}

} // namespace EncodedFormats

EncodedFileWriter::EncodedFileWriter(void* handle, EncodedFormat format, int32_t channels)
    : handle_(handle), format_(format), channels_(channels),
      floats_(static_cast<size_t>(kPiece * channels)),
      shorts_(static_cast<size_t>(kPiece * channels)) {}

EncodedFileWriter::~EncodedFileWriter() {
    close();
}

std::unique_ptr<EncodedFileWriter>
EncodedFileWriter::create(const std::string& path, EncodedFormat format, int32_t sampleRate,
                          int32_t channels, const std::string& title, const std::string& artist) {
    const bool resample = format == EncodedFormat::kOpus && sampleRate != kOpusRate;
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = resample ? kOpusRate : sampleRate;
    info.channels = channels;
    info.format = rowOf(format).sndfileFormat;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return nullptr;
    }
    std::unique_ptr<EncodedFileWriter> writer(new EncodedFileWriter(file, format, channels));
    if (format == EncodedFormat::kMp3) {
        // Constant, or the level would be a quality with a bit rate of the music's choosing.
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    }
    if (format == EncodedFormat::kOpus || format == EncodedFormat::kMp3) {
        double level = format == EncodedFormat::kMp3 ? kMp3Level : kOpusLevel;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    if (resample) {
        writer->resampler_ = SoxrResampler::create(channels, sampleRate, kOpusRate);
        // Room for a piece converted up, and the filter's own frames.
        writer->resampled_.resize(static_cast<size_t>(2 * kPiece * channels));
        if (!writer->resampler_) {
            return nullptr;
        }
    }
    // Before the first frame: the encoder writes its header with them.
    if (format == EncodedFormat::kFlac &&
        ((!title.empty() && sf_set_string(file, SF_STR_TITLE, title.c_str()) != 0) ||
         (!artist.empty() && sf_set_string(file, SF_STR_ARTIST, artist.c_str()) != 0))) {
        return nullptr;
    }
    return writer;
}

bool EncodedFileWriter::write(const int16_t* interleaved, int64_t frames) {
    if (!handle_) {
        return false;
    }
    if (EncodedFormats::lossless(format_)) {
        return sf_writef_short(fileOf(handle_), interleaved, frames) == frames;
    }
    // Lossy coders take floats: libsndfile's 16-bit path into them is not level-true.
    for (int64_t done = 0; done < frames;) {
        const int64_t piece = std::min(frames - done, kPiece);
        const int16_t* in = interleaved + done * channels_;
        for (int64_t i = 0; i < piece * channels_; ++i) {
            floats_[static_cast<size_t>(i)] = in[i] / 32768.0f;
        }
        if (!writeFile(floats_.data(), piece)) {
            return false;
        }
        done += piece;
    }
    return true;
}

bool EncodedFileWriter::write(const float* interleaved, int64_t frames) {
    if (!handle_) {
        return false;
    }
    for (int64_t done = 0; done < frames;) {
        const int64_t piece = std::min(frames - done, kPiece);
        if (!writeFloatPiece(interleaved + done * channels_, piece)) {
            return false;
        }
        done += piece;
    }
    return true;
}

bool EncodedFileWriter::writeFloatPiece(const float* interleaved, int64_t frames) {
    if (!EncodedFormats::lossless(format_)) {
        return writeFile(interleaved, frames);
    }
    dither_.quantize(interleaved, shorts_.data(), frames * channels_);
    return sf_writef_short(fileOf(handle_), shorts_.data(), frames) == frames;
}

bool EncodedFileWriter::writeFile(const float* interleaved, int64_t frames) {
    if (!resampler_) {
        return sf_writef_float(fileOf(handle_), interleaved, frames) == frames;
    }
    const auto capacity = static_cast<int64_t>(resampled_.size()) / channels_;
    for (int64_t done = 0; done < frames;) {
        int64_t consumed = 0;
        const int64_t made = resampler_->process(interleaved + done * channels_, frames - done,
                                                 consumed, resampled_.data(), capacity);
        if (made < 0 || sf_writef_float(fileOf(handle_), resampled_.data(), made) != made) {
            return false;
        }
        done += consumed;
    }
    return true;
}

bool EncodedFileWriter::drainResampler() {
    const auto capacity = static_cast<int64_t>(resampled_.size()) / channels_;
    for (;;) {
        const int64_t made = resampler_->drain(resampled_.data(), capacity);
        if (made <= 0) {
            return made == 0;
        }
        if (sf_writef_float(fileOf(handle_), resampled_.data(), made) != made) {
            return false;
        }
    }
}

bool EncodedFileWriter::close() {
    if (!handle_) {
        return true;
    }
    bool drained = !resampler_ || drainResampler();
    auto* file = fileOf(handle_);
    handle_ = nullptr;
    // The encoder flushes its last block here; an error then means a short file.
    sf_write_sync(file);
    const bool clean = sf_error(file) == SF_ERR_NO_ERROR;
    return sf_close(file) == 0 && clean && drained;
}

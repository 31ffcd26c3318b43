#include "AudioTagWriter.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <charconv>
#include <cmath>

namespace {

using TagLib::String;

String utf8(const std::string& text) {
    return String(text, String::UTF8);
}

// A number with `decimals` places and a point, whatever the locale.
std::string fixed(double value, int decimals) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, end.ptr);
}

std::string gainText(double gainDb) {
    return fixed(gainDb, 2) + " dB";
}

// The ReplayGain texts, by name: REPLAYGAIN_TRACK_GAIN, ..._PEAK, REPLAYGAIN_ALBUM_....
template <class Add> void forEachGain(const AudioTags& tags, Add&& add) {
    const std::pair<const char*, const std::optional<AudioTags::Gain>*> gains[] = {
        {"TRACK", &tags.trackGain}, {"ALBUM", &tags.albumGain}};
    for (const auto& [which, gain] : gains) {
        if (*gain) {
            add(std::string("REPLAYGAIN_") + which + "_GAIN", gainText((*gain)->gainDb));
            add(std::string("REPLAYGAIN_") + which + "_PEAK", fixed((*gain)->peak, 6));
        }
    }
}

std::string trackText(const AudioTags& tags) {
    return std::to_string(tags.track) + "/" + std::to_string(tags.trackCount);
}

TagLib::ByteVector bytesOf(const std::string& data) {
    return TagLib::ByteVector(data.data(), static_cast<unsigned int>(data.size()));
}

void fillXiph(TagLib::Ogg::XiphComment& comment, const AudioTags& tags, bool opus) {
    comment.addField("TITLE", utf8(tags.title));
    comment.addField("ARTIST", utf8(tags.artist));
    comment.addField("ALBUM", utf8(tags.album));
    comment.addField("TRACKNUMBER", String::number(tags.track));
    comment.addField("TRACKTOTAL", String::number(tags.trackCount));
    forEachGain(tags, [&](const std::string& key, const std::string& value) {
        comment.addField(utf8(key), utf8(value));
    });
    if (opus) {
        // Opus players read gains relative to −23 LUFS, in 1/256 dB (RFC 7845).
        const std::pair<const char*, const std::optional<AudioTags::Gain>*> gains[] = {
            {"R128_TRACK_GAIN", &tags.trackGain}, {"R128_ALBUM_GAIN", &tags.albumGain}};
        for (const auto& [key, gain] : gains) {
            if (*gain) {
                const auto q78 = static_cast<int>(std::lround(((*gain)->gainDb - 5.0) * 256.0));
                comment.addField(key, String::number(q78));
            }
        }
    }
}

TagLib::FLAC::Picture* flacPicture(const AudioTags& tags) {
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(utf8(tags.pictureMime));
    picture->setData(bytesOf(tags.picture));
    return picture;
}

void fillId3(TagLib::ID3v2::Tag& id3, const AudioTags& tags) {
    id3.setTitle(utf8(tags.title));
    id3.setArtist(utf8(tags.artist));
    id3.setAlbum(utf8(tags.album));
    id3.removeFrames("TRCK");
    auto* track = new TagLib::ID3v2::TextIdentificationFrame("TRCK", String::UTF8);
    track->setText(utf8(trackText(tags)));
    id3.addFrame(track);
    forEachGain(tags, [&](const std::string& key, const std::string& value) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(String::UTF8);
        frame->setDescription(utf8(key));
        frame->setText(utf8(value));
        id3.addFrame(frame);
    });
    if (!tags.picture.empty()) {
        id3.removeFrames("APIC");
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setMimeType(utf8(tags.pictureMime));
        picture->setPicture(bytesOf(tags.picture));
        id3.addFrame(picture);
    }
}

bool writeFlac(const std::string& path, const AudioTags& tags) {
    TagLib::FLAC::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    fillXiph(*file.xiphComment(true), tags, false);
    if (!tags.picture.empty()) {
        file.removePictures();
        file.addPicture(flacPicture(tags));
    }
    return file.save();
}

bool writeOpus(const std::string& path, const AudioTags& tags) {
    TagLib::Ogg::Opus::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag()) {
        return false;
    }
    fillXiph(*file.tag(), tags, true);
    if (!tags.picture.empty()) {
        file.tag()->removeAllPictures();
        file.tag()->addPicture(flacPicture(tags));
    }
    return file.save();
}

bool writeMp3(const std::string& path, const AudioTags& tags) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    fillId3(*file.ID3v2Tag(true), tags);
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
}

bool writeWave(const std::string& path, const AudioTags& tags) {
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    fillId3(*file.ID3v2Tag(), tags);
    TagLib::RIFF::Info::Tag& info = *file.InfoTag();
    info.setTitle(utf8(tags.title));
    info.setArtist(utf8(tags.artist));
    info.setAlbum(utf8(tags.album));
    info.setTrack(static_cast<unsigned int>(tags.track));
    return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripOthers,
                     TagLib::ID3v2::v4);
}

} // namespace

namespace AudioTagWriter {

bool write(const std::string& path, EncodedFormat format, const AudioTags& tags) {
    switch (format) {
    case EncodedFormat::kFlac:
        return writeFlac(path, tags);
    case EncodedFormat::kOpus:
        return writeOpus(path, tags);
    case EncodedFormat::kMp3:
        return writeMp3(path, tags);
    case EncodedFormat::kWave:
        return writeWave(path, tags);
    }
    return false;
}

std::string pictureMime(const std::string& bytes) {
    if (bytes.size() > 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) {
        return "image/jpeg";
    }
    if (bytes.size() > 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0) {
        return "image/png";
    }
    return {};
}

} // namespace AudioTagWriter

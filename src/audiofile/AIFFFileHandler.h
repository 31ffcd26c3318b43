#pragma once

#include "AudioFileHandler.h"

#include <cstdint>

// The AIFF and AIFC handler: a big-endian "FORM" file with a "COMM" chunk describing the
// format and an "SSND" chunk holding the samples, which are big-endian too (the owner's
// swap word is 1, so every transfer swaps them). 8-bit samples are signed, as the AIFF
// standard stores them. The sample rate is an 80-bit extended float. Files made here have
// a 54-byte header. An AIFC file is read only with the compression type "NONE".
//
// Every chunk is followed by a pad byte when its size is odd. The reader refuses a file
// without "COMM" and "SSND", with no channels or a sample rate that is not a positive
// number, or an offset past the 32-bit range; it never counts more frames than the "SSND"
// chunk holds. An "SSND" chunk that runs past the end of the file (a recording cut short)
// is read up to the end when "COMM" came before it: frames counts the whole frames present,
// headerFrames what the header claims.
class AIFFFileHandler : public AudioFileHandler {
public:
    explicit AIFFFileHandler(AudioFile& owner);

    bool readHeader() override;
    bool endsBeforeAudio() override;
    bool writeHeader() override;
    bool updateHeader() override;

private:
    bool readCommon(AudioFormat& format, uint32_t& frameCount);
    bool writeCommon();
};

#pragma once

#include <cstdint>
#include <string>

// What the CD layer (libcdio and cdio-paranoia underneath) tells its callers. Every
// operation that can fail gives an error code; 0 means success.
enum CddaError : int32_t {
    kCddaOk = 0,
    kCddaNoDrive = 1,      // the drive or image cannot be opened
    kCddaNoDisc = 2,       // no readable disc in the drive
    kCddaNoTrack = 3,      // no such track on the disc
    kCddaBadRange = 4,     // a copy whose start or length lies outside the disc
    kCddaReadFailed = 5,   // sectors that could not be read, even after retries
    kCddaCreateFailed = 6, // the target file cannot be created
    kCddaWriteFailed = 7,  // the target file could not be written to its end
    kCddaDiskFull = 8,     // not enough free space for the track
    kCddaStopped = 9,      // the copy was asked to stop
    kCddaNotInitialised = 10,
};

// A short English description of an error code, for logs and gleam-cli.
const char* cddaErrorText(int32_t error);

// A CD sector of audio: 1/75 second, 588 stereo frames of 16-bit samples, 2352 bytes.
constexpr int32_t kCddaSectorsPerSecond = 75;
constexpr int32_t kCddaFramesPerSector = 588;
constexpr int32_t kCddaSectorBytes = 2352;
constexpr int32_t kCddaSamplesPerSector = kCddaFramesPerSector * 2;

// One entry of the drive list.
struct CddaDriveInfo {
    int32_t id = 0;      // its position in the list
    std::string vendor;  // drive vendor, or "Image" for a CD image
    std::string product; // drive model, or the image's file name
    std::string source;  // the device or image path libcdio opens
    bool image = false;
};

enum : int32_t { kCddaAudioTrack = 0, kCddaDataTrack = 1 };

struct CddaTrackInfo {
    int32_t number = 0; // 1 for the disc's first track
    int32_t start = 0;  // first sector (logical sector number of its index 1)
    // Sectors up to the next track's index 1 (so the next track's pregap is included),
    // or to the end of the disc.
    int32_t length = 0;
    int32_t type = kCddaAudioTrack;
};

struct CddaStatus {
    bool readable = false; // a disc is in and its table of contents could be read
    int32_t tracks = 0;
};

// Where a copy delivers its audio: interleaved little-endian 16-bit stereo samples, whole
// sectors at a time. Returns an error code.
class CddaSink {
public:
    virtual ~CddaSink() = default;
    virtual int32_t writeSectors(const int16_t* samples, int32_t sectors) = 0;
};

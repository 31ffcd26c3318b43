#pragma once

#include "CddaTypes.h"

typedef struct _CdIo CdIo_t;

// One drive (or CD image) of the drive list, opened at construction. Its table of contents
// is read when asked; tracks are numbered from 1 for the disc's first track. Use it from
// one thread at a time (the copy thread borrows it while the dialog's controls are off).
class CddaDrive {
public:
    explicit CddaDrive(const CddaDriveInfo& info);
    ~CddaDrive();
    CddaDrive(const CddaDrive&) = delete;
    CddaDrive& operator=(const CddaDrive&) = delete;

    const CddaDriveInfo& info() const { return info_; }
    // 0 when the drive could be opened, else kCddaNoDrive.
    int32_t lastError() const { return lastError_; }

    // Whether a disc is in and readable, and its number of tracks.
    CddaStatus status() const;
    // Tracks on the disc (0 without a readable disc).
    int32_t trackCount() const;
    // The start, length and type of track `number`; an error code.
    int32_t readTrackInfo(int32_t number, CddaTrackInfo& track) const;

    // True when every track that sectors [start, start + length) touch holds audio.
    bool isAudioRange(int32_t start, int32_t length) const;

    // True when the drive reports that its disc was changed since the last look.
    bool mediaChanged();
    // Opens the drive again, so a changed disc's table of contents is read anew.
    void reload();
    // Keeps the disc in the drive while copying (a CD image has nothing to lock).
    void lock(bool on);

private:
    friend class CddaTrackCopy;

    void openSource();
    CdIo_t* handle() const { return cdio_; }

    CddaDriveInfo info_;
    CdIo_t* cdio_ = nullptr;
    int32_t lastError_ = kCddaNoDrive;
};

// Silences libcdio's diagnostics on standard error (they go to the run log); called by
// every entry into the layer, harmless to call again.
void cddaInitialise();

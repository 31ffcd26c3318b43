#pragma once

#include "CddaTrackCopy.h"

class AECDImport;

// The copy of one track of an import run: the CD layer's copy, its notifications passed
// to the import run (progress bar and status text).
class AECDCopy : public CddaTrackCopy {
public:
    AECDCopy(AECDImport& import, CddaDrive& drive, CddaSink& writer, int32_t start, int32_t length);

protected:
    void copyStarted() override;
    void copyProgress(float percent) override;
    void copyFinished() override;

private:
    AECDImport& import_;
};

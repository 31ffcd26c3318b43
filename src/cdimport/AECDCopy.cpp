#include "AECDCopy.h"

#include "AECDImport.h"

AECDCopy::AECDCopy(AECDImport& import, CddaDrive& drive, CddaSink& writer, int32_t start,
                   int32_t length)
    : CddaTrackCopy(drive, writer, start, length), import_(import) {}

void AECDCopy::copyStarted() {
    import_.copyStarted();
}

void AECDCopy::copyProgress(float percent) {
    import_.copyProgress(percent);
}

void AECDCopy::copyFinished() {
    import_.copyFinished();
}

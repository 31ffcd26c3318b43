#include "AEFileCopy.h"

#include "AEBusyGuard.h"
#include "AppHost.h"
#include "ProjectHost.h"

#include "FFileSystem.h"
#include "FPendingFile.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int32_t kStringDiskFull = 3008;

AEFileCopy::Result copyChunks(FFileStream& in, FFileStream& out, int64_t size, int64_t chunks) {
    std::vector<char> chunk(static_cast<size_t>(AEFileCopy::kChunkBytes));
    ProjectHost::Progress progress(chunks);
    int64_t copied = 0;
    for (;;) {
        if (ProjectHost::cancelRequested()) {
            return AEFileCopy::kCancelled;
        }
        const int64_t got = in.read(chunk.data(), AEFileCopy::kChunkBytes);
        if (got > 0 && out.write(chunk.data(), got) != got) {
            return AEFileCopy::kDiskFull;
        }
        copied += got;
        progress.advance();
        if (got < AEFileCopy::kChunkBytes) {
            break;
        }
    }
    if (!out.flush()) {
        return AEFileCopy::kDiskFull;
    }
    // Every byte that leaves must be the title's: a short read is a failed copy.
    return copied == size ? AEFileCopy::kCopied : AEFileCopy::kReadFailed;
}

} // namespace

namespace AEFileCopy {

Result copyFile(const std::string& source, const std::string& destination) {
    const int64_t size = FFileSystem::size(source);
    const int64_t chunks = size / kChunkBytes;
    if (size < 0 || chunks == 0) {
        return kTooShort;
    }
    AEBusyGuard busy;
    ProjectHost::setCancelRequested(false);
    ProjectHost::post(AppHost::kTagBusyStart);

    Result result = kOpenFailed;
    {
        FPendingFile pending(destination);
        auto in = FFileSystem::open(source, FAccessMode::kRead);
        auto out = in ? FFileSystem::create(pending.pendingPath()) : nullptr;
        if (in && out) {
            // Whole chunks straight between the files: no copy through stream buffers,
            // one call each way per chunk.
            std::setvbuf(in->handle(), nullptr, _IONBF, 0);
            std::setvbuf(out->handle(), nullptr, _IONBF, 0);
            result = copyChunks(*in, *out, size, chunks);
            out.reset();
            if (result == kCopied && !pending.commit()) {
                result = kDiskFull;
            }
        }
        // An uncommitted pending file goes with `pending`.
    }
    if (result == kDiskFull) {
        ProjectHost::showString(kStringDiskFull);
    } else if (result == kReadFailed) {
        ProjectHost::log("copying file failed: the source could not be read to its end");
    }

    busy.release();
    ProjectHost::post(AppHost::kTagBusyEnd);
    return result;
}

std::unique_ptr<AEBackgroundJob> copyFileInBackground(const std::string& source,
                                                      const std::string& destination) {
    return std::make_unique<AEBackgroundJob>(
        [source, destination] { return static_cast<int32_t>(copyFile(source, destination)); });
}

} // namespace AEFileCopy

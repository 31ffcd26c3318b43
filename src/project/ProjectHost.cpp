#include "ProjectHost.h"

#include "AppHost.h"
#include "FString.h"

namespace {

// The English texts of the strings this subsystem uses, for a process without strings.
const char* englishText(int32_t id) {
    switch (id) {
    case 3005:
        return "No CD title.";
    case 3006:
        return "No artist";
    case 3007:
        return "Title";
    case 3010:
        return "imported";
    case 3049:
        return "could not create peak file in\n 'AEFileManager::newImportFile' ";
    case 3055:
        return "recorded";
    case 3104:
        return "Some files could not be found or are shorter than 7 seconds\nand have been "
               "removed from the tracklist.";
    default:
        return "error";
    }
}

} // namespace

namespace ProjectHost {

std::string text(int32_t id) {
    AppHost* host = AppHost::current();
    return host ? std::string(host->loadString(host->stringId(id, 0))) : englishText(id);
}

void showString(int32_t id) {
    if (AppHost* host = AppHost::current()) {
        host->postAppMessage(20, host->stringId(id, 0));
    }
}

void showText(const std::string& message) {
    if (AppHost* host = AppHost::current()) {
        host->postAppMessage(20, 0, 0, FRef<FShared>::adopt(new FString(message)));
    }
}

void log(const char* line) {
    if (AppHost* host = AppHost::current()) {
        host->log(line);
    }
}

bool busy() {
    AppHost* host = AppHost::current();
    return host && host->isBusy();
}

} // namespace ProjectHost

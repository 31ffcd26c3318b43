#include "ProjectHost.h"

#include "AppHost.h"
#include "FString.h"

#include <utility>

namespace {

// The English texts of the strings this subsystem uses, for a process without strings.
const char* englishText(int32_t id) {
    switch (id) {
    case 3000:
        return "A CD cannot have more than 99 tracks!";
    case 3005:
        return "No CD title.";
    case 3006:
        return "No artist";
    case 3007:
        return "Title";
    case 3008:
        return "Not enough diskspace to complete this operation.";
    case 3010:
        return "imported";
    case 3049:
        return "could not create peak file in\n 'AEFileManager::newImportFile' ";
    case 3052:
        return "Do you want to delete this file\nfrom your hard disk (No Undo)?";
    case 3053:
        return "Do you really want\nto remove this file?";
    case 3055:
        return "recorded";
    case 3062:
        return "Tracklist of";
    case 3063:
        return "Total time";
    case 3064:
        return "Total time is greater than";
    case 3065:
        return "End of Tracklist.";
    case 3087:
        return "Some files could not be imported!\nThe Files must be at least\n7 seconds long and "
               "44.1 kHz, 16 Bit Stereo!";
    case 3104:
        return "Some titles are shorter than 7 seconds\nand have been removed from the "
               "tracklist. Their files are kept.";
    case 3173:
        return "Clicks repaired";
    case 3174:
        return "Crackles repaired";
    case 3175:
        return "Noise lowered in passages";
    case 3176:
        return "samples";
    case 3140:
        return "Audio Files|*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3|WAV Files|*.wav|FLAC "
               "Files|*.flac|Ogg Vorbis and Opus Files|*.ogg;*.oga;*.opus|MP3 Files|*.mp3|All "
               "Files|*.*|||";
    case 3141:
        return "Import Audio Files";
    case 3142:
        return "Some files could not be imported!\nThe files must be at least 7 seconds long\nand "
               "in a format the program reads:\nWAVE, FLAC, Ogg Vorbis, Opus or MP3.";
    case 3144:
        return "Export FLAC file as ...";
    case 3145:
        return "FLAC Files|*.flac|||";
    case 3146:
        return "The FLAC file could not be written!";
    case 3280:
        return "missing";
    case 3281:
        return "The audio of these titles cannot be found:\n%1\nThey stay in the project and "
               "play again once their files are back (File, Refresh).";
    case 3282:
        return "The audio file of this title is missing:\n%1";
    case 3284:
        return "shorter than 7 seconds";
    case 3285:
        return "cannot be read";
    case 3286:
        return "not an audio file";
    case 3287:
        return "in a format the program cannot read";
    case 3288:
        return "not a regular file";
    case 3289:
        return "too many files at once";
    case 3290:
        return "This file belongs to a title of the project and is not overwritten:\n%1";
    case 3291:
        return "An interrupted recording was repaired:\n%1";
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

std::string lines(const std::vector<std::string>& items) {
    constexpr size_t kShown = 10;
    std::string text;
    for (size_t i = 0; i < items.size() && i < kShown; ++i) {
        text += (i > 0 ? "\n" : "") + items[i];
    }
    return items.size() > kShown ? text + "\n..." : text;
}

std::string textWith(int32_t id, const std::string& argument) {
    std::string message = text(id);
    const size_t at = message.find("%1");
    return at == std::string::npos ? message + "\n" + argument : message.replace(at, 2, argument);
}

void showString(int32_t id) {
    if (AppHost* host = AppHost::current()) {
        host->postAppMessage(AppHost::kTagError, host->stringId(id, 0));
    }
}

void showText(const std::string& message) {
    if (AppHost* host = AppHost::current()) {
        host->postAppMessage(AppHost::kTagError, 0, 0, FRef<FShared>::adopt(new FString(message)));
    }
}

void showStatus(const std::string& message) {
    if (AppHost* host = AppHost::current()) {
        host->postAppMessage(AppHost::kTagStatus, 0, 0, FRef<FShared>::adopt(new FString(message)));
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

void setBusy(bool busy) {
    if (AppHost* host = AppHost::current()) {
        host->setBusy(busy);
    }
}

bool cancelRequested() {
    AppHost* host = AppHost::current();
    return host && host->cancelRequested();
}

void setCancelRequested(bool cancel) {
    if (AppHost* host = AppHost::current()) {
        host->setCancelRequested(cancel);
    }
}

void post(int32_t tag, int32_t data, FRef<FShared> object) {
    if (AppHost* host = AppHost::current()) {
        host->postAppMessage(tag, data, 0, std::move(object));
    }
}

bool ask(int32_t id) {
    AppHost* host = AppHost::current();
    return host && host->askYesNo(host->stringId(id, 0));
}

Progress::Progress(int64_t steps) : host_(AppHost::current()) {
    if (host_) {
        host_->progressBegin(steps);
    }
}

Progress::~Progress() {
    if (host_) {
        host_->progressEnd();
    }
}

void Progress::advance(int64_t steps) const {
    if (host_ && steps > 0) {
        host_->progressAdvance(steps);
    }
}

} // namespace ProjectHost

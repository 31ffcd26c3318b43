#include "CliAudio.h"

#include "AEApplication.h"
#include "CliCommand.h"

#include <cstdio>
#include <unistd.h>

namespace CliAudio {

bool startEngine(AEApplication& app, const std::string& command, bool needInput) {
    AEMMEDevice& device = app.device();
    if (!device.open() && needInput) {
        Cli::fail(command + ": cannot open the recording device: " + device.lastError());
        return false;
    }
    app.engine().setMetersEnabled(true);
    return app.engine().startThread();
}

std::string bar(int32_t level, int width) {
    const int filled = static_cast<int>((level * width + 98) / 99);
    std::string text = "[";
    for (int i = 0; i < width; ++i) {
        text += i < filled ? '#' : ' ';
    }
    return text + "]";
}

void status(const std::string& text, bool quiet) {
    if (quiet || !isatty(STDERR_FILENO)) {
        return;
    }
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    std::fflush(stderr);
}

void statusDone(bool quiet) {
    if (quiet || !isatty(STDERR_FILENO)) {
        return;
    }
    std::fprintf(stderr, "\n");
}

} // namespace CliAudio

#include "DirectorySettings.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

DirectorySettings::DirectorySettings() : store_(RegistryStore::kSettingsKey) {}

std::string DirectorySettings::defaultDirectory() {
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env) {
        home = env;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    } else {
        home = "/";
    }
    if (home.back() != '/') {
        home += '/';
    }
    return home;
}

void DirectorySettings::loadDirectories() {
    const std::string fallback = defaultDirectory();
    for (int i = 0; i < kCount; ++i) {
        store_.readText(kNames[i], directories_[i], fallback.c_str(), kCapacity);
    }
}

bool DirectorySettings::ensureDirectories() {
    const std::string fallback = defaultDirectory();
    for (int i = 0; i < kCount; ++i) {
        std::string scratch;
        if (!store_.readText(kNames[i], scratch, fallback.c_str(), kCapacity)) {
            store_.writeText(kNames[i], fallback.c_str());
        }
    }
    return true;
}

#include "FMessage.h"

#include <mutex>
#include <unordered_set>

void FMessage::setInt(const std::string& attribute, int32_t value) {
    for (auto& entry : ints_) {
        if (entry.first == attribute) {
            entry.second = value;
            return;
        }
    }
    ints_.emplace_back(attribute, value);
}

int32_t FMessage::getInt(const std::string& attribute) const {
    for (const auto& entry : ints_) {
        if (entry.first == attribute) {
            return entry.second;
        }
    }
    return 0;
}

bool FMessage::hasInt(const std::string& attribute) const {
    for (const auto& entry : ints_) {
        if (entry.first == attribute) {
            return true;
        }
    }
    return false;
}

namespace {

std::mutex& receiversMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<const FMessageReceiver*>& receivers() {
    static std::unordered_set<const FMessageReceiver*> set;
    return set;
}

} // namespace

FMessageReceiver::FMessageReceiver() {
    std::lock_guard lock(receiversMutex());
    receivers().insert(this);
}

FMessageReceiver::~FMessageReceiver() {
    std::lock_guard lock(receiversMutex());
    receivers().erase(this);
}

bool FMessageReceiver::isAlive(const FMessageReceiver* receiver) {
    std::lock_guard lock(receiversMutex());
    return receivers().count(receiver) != 0;
}

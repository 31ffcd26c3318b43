#include "FClassRegistry.h"

#include <map>
#include <mutex>

struct FClassRegistry::Impl {
    struct Entry {
        std::string parent;
        Factory factory;
    };
    mutable std::mutex mutex;
    std::map<std::string, Entry> classes;
};

FClassRegistry& FClassRegistry::instance() {
    static FClassRegistry registry;
    return registry;
}

FClassRegistry::FClassRegistry() : impl_(new Impl) {}

void FClassRegistry::add(const std::string& name, const std::string& parent, Factory factory) {
    std::lock_guard lock(impl_->mutex);
    impl_->classes[name] = Impl::Entry{parent, std::move(factory)};
}

bool FClassRegistry::contains(const std::string& name) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->classes.count(name) != 0;
}

std::string FClassRegistry::parentOf(const std::string& name) const {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->classes.find(name);
    return it == impl_->classes.end() ? std::string() : it->second.parent;
}

std::vector<std::string> FClassRegistry::lineage(const std::string& name) const {
    std::lock_guard lock(impl_->mutex);
    std::vector<std::string> chain;
    std::string current = name;
    // Bounded walk: a registration mistake that forms a cycle must not hang the caller.
    while (!current.empty() && chain.size() <= impl_->classes.size()) {
        chain.push_back(current);
        auto it = impl_->classes.find(current);
        if (it == impl_->classes.end()) {
            break;
        }
        current = it->second.parent;
    }
    return chain;
}

bool FClassRegistry::isKindOf(const std::string& name, const std::string& ancestor) const {
    if (!contains(name)) {
        return false;
    }
    for (const auto& cls : lineage(name)) {
        if (cls == ancestor) {
            return true;
        }
    }
    return false;
}

FShared* FClassRegistry::create(const std::string& name) const {
    Factory factory;
    {
        std::lock_guard lock(impl_->mutex);
        auto it = impl_->classes.find(name);
        if (it == impl_->classes.end() || !it->second.factory) {
            return nullptr;
        }
        factory = it->second.factory;
    }
    return factory();
}

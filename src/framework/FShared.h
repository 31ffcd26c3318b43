#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

// A reference-counted object shared between owners. It starts with one reference, held
// by whoever made it; the last release deletes it. Counting is thread-safe, so an object
// may be handed to another thread inside a message.
class FShared {
public:
    FShared() = default;
    FShared(const FShared&) = delete;
    FShared& operator=(const FShared&) = delete;

    void retain() const { refs_.fetch_add(1, std::memory_order_relaxed); }
    void release() const {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete this;
        }
    }
    int32_t refCount() const { return refs_.load(std::memory_order_acquire); }

protected:
    virtual ~FShared() = default;

private:
    mutable std::atomic<int32_t> refs_{1};
};

// Holds one reference to an FShared object. adopt() takes over the creator's reference;
// the constructor from a raw pointer adds one.
template <class T> class FRef {
public:
    FRef() = default;
    FRef(std::nullptr_t) {}
    explicit FRef(T* object) : object_(object) {
        if (object_) {
            object_->retain();
        }
    }
    FRef(const FRef& other) : FRef(other.object_) {}
    FRef(FRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <class U> FRef(const FRef<U>& other) : FRef(static_cast<T*>(other.get())) {}
    ~FRef() { reset(); }

    FRef& operator=(FRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    static FRef adopt(T* object) {
        FRef ref;
        ref.object_ = object;
        return ref;
    }
    template <class... Args> static FRef make(Args&&... args) {
        return adopt(new T(std::forward<Args>(args)...));
    }

    void reset() {
        if (object_) {
            std::exchange(object_, nullptr)->release();
        }
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

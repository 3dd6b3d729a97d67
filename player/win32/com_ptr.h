#pragma once

#include <unknwn.h>

#include <utility>

namespace win32 {

// Owns one reference to a COM object. Copying adds a reference, so every copy releases
// exactly the one it holds.
template <class T>
class com_ptr {
public:
    com_ptr() = default;
    // Takes over a reference the caller already owns (a fresh object, an out-parameter).
    static com_ptr adopt(T* object) {
        com_ptr owner;
        owner.object_ = object;
        return owner;
    }
    ~com_ptr() { reset(); }

    com_ptr(const com_ptr& other) : object_(other.object_) {
        if (object_ != nullptr) object_->AddRef();
    }
    com_ptr& operator=(const com_ptr& other) {
        if (this != &other) {
            if (other.object_ != nullptr) other.object_->AddRef();
            reset();
            object_ = other.object_;
        }
        return *this;
    }
    com_ptr(com_ptr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

    void reset() {
        if (T* old = std::exchange(object_, nullptr)) old->Release();
    }

    // For out-parameters: releases what is held first.
    T** put() {
        reset();
        return &object_;
    }

    // Another interface of the same object, or null when it does not offer it.
    template <class U>
    com_ptr<U> query(REFIID iid) const {
        com_ptr<U> other;
        if (object_ != nullptr) object_->QueryInterface(iid, reinterpret_cast<void**>(other.put()));
        return other;
    }

private:
    T* object_ = nullptr;
};

}  // namespace win32

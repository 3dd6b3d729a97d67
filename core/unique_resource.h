#pragma once

#include <utility>

namespace core {

// One owner for one resource that must be released exactly once: an OS handle, a
// library's object. Traits give the handle type, its invalid value and how to release
// it. Move-only, so a handle can never be released twice.
template <class Traits>
class unique_resource {
public:
    using handle_type = typename Traits::handle_type;

    unique_resource() = default;
    explicit unique_resource(handle_type handle) : handle_(handle) {}
    ~unique_resource() { reset(); }

    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;
    unique_resource(unique_resource&& other) noexcept : handle_(other.release()) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    handle_type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }

    handle_type release() { return std::exchange(handle_, Traits::invalid()); }

    void reset(handle_type handle = Traits::invalid()) {
        const handle_type old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }

    // For out-parameters: releases what is held first.
    handle_type* put() {
        reset();
        return &handle_;
    }

private:
    handle_type handle_ = Traits::invalid();
};

}  // namespace core

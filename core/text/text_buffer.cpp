#include "core/text/text_buffer.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace core {

TextBuffer::~TextBuffer() { std::free(data_); }

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void TextBuffer::reallocate(std::size_t capacity) {
    // realloc rather than new: shrinking a large block hands its tail back in place.
    void* moved = std::realloc(data_, capacity + 1);
    if (moved == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(moved);
    capacity_ = capacity;
}

void TextBuffer::reserve(std::size_t capacity) {
    if (capacity > capacity_ || data_ == nullptr) reallocate(capacity);
}

void TextBuffer::resize(std::size_t size) {
    if (size > capacity_ || data_ == nullptr) reallocate(size);
    size_ = size;
    data_[size_] = '\0';
}

void TextBuffer::shrink_to(std::size_t size) {
    if (data_ == nullptr || size >= size_) return;
    reallocate(size);
    size_ = size;
    data_[size_] = '\0';
}

}  // namespace core

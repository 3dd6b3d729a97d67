#pragma once

#include <cstddef>
#include <string_view>

namespace core {

// A growable text that is always followed by a NUL byte (the JSON reader's fast stream
// needs one) and that can give memory back from its end while it is still in use, so a
// large archive can be released piece by piece as its contents are taken out.
class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    char* data() { return data_; }
    const char* data() const { return data_ != nullptr ? data_ : ""; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return std::string_view(data(), size_); }

    // Makes room for at least this many bytes and the terminator; contents are kept.
    void reserve(std::size_t capacity);
    // Sets the size; new bytes are not initialised (the caller writes them). Grows the
    // allocation when needed.
    void resize(std::size_t size);
    // Cuts the text to its first size bytes and returns the memory behind them to the
    // system. The block may move: data() is valid only until the next call.
    void shrink_to(std::size_t size);

private:
    void reallocate(std::size_t capacity);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;  // bytes usable for text, the terminator not counted
};

}  // namespace core

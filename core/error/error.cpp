#include "core/error/error.h"

namespace core {

Error::Error(std::string message) : message_(std::move(message)) {}

Error::Error(std::string message, Error cause)
    : message_(std::move(message)), cause_(std::make_shared<const Error>(std::move(cause))) {}

Error Error::os(std::string text, std::uint32_t code) {
    Error error(std::move(text));
    error.os_code_ = code;
    return error;
}

std::string Error::chain() const {
    std::string text = message_;
    for (const Error* next = cause(); next != nullptr; next = next->cause()) {
        text += ": ";
        text += next->message_;
    }
    return text;
}

Error Error::context(std::string message) const& {
    return Error(std::move(message), *this);
}

}  // namespace core

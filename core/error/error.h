#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// An error value: a short English message and an optional chain of causes.
// Copying is cheap: the cause chain is shared and immutable.
class Error {
public:
    explicit Error(std::string message);
    Error(std::string message, Error cause);

    // An operating-system error: the system's own text, with its code kept for callers.
    static Error os(std::string text, std::uint32_t code);

    const std::string& message() const { return message_; }
    const Error* cause() const { return cause_.get(); }
    std::optional<std::uint32_t> os_code() const { return os_code_; }

    // "message: cause: cause ..."
    std::string chain() const;

    // Wraps this error as the cause of a new one with the given message.
    Error context(std::string message) const&;

private:
    std::string message_;
    std::shared_ptr<const Error> cause_;
    std::optional<std::uint32_t> os_code_;
};

template <class T>
using Result = std::expected<T, Error>;

using Status = std::expected<void, Error>;

inline std::unexpected<Error> fail(std::string message) {
    return std::unexpected<Error>(Error(std::move(message)));
}

inline std::unexpected<Error> fail(std::string message, Error cause) {
    return std::unexpected<Error>(Error(std::move(message), std::move(cause)));
}

inline std::unexpected<Error> fail(Error error) {
    return std::unexpected<Error>(std::move(error));
}

}  // namespace core

#pragma once
// The one shape of a result: a value, or an error with its cause and the file
// it concerns. Libraries return these; none throws across its boundary, and no
// caller reads errno after a call.

#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

namespace base {

struct Error {
    std::error_code cause;  // errno's (std::generic_category()) or a library's own category
    std::string file;       // the file it concerns; empty when none
    std::string detail;     // what the cause alone does not say (a decoder's own words); may be empty

    // "FILE: cause: detail", leaving out the parts that are empty.
    std::string Message() const {
        std::string text = file;
        auto add = [&text](const std::string& part) {
            if (part.empty())
                return;
            if (!text.empty())
                text += ": ";
            text += part;
        };
        add(cause ? cause.message() : std::string());
        add(detail);
        return text;
    }
};

// The cause an errno value names.
inline std::error_code SystemError(int error) { return {error, std::generic_category()}; }

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(state_); }
    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<Error>(state_); }
    Error& error() { return std::get<Error>(state_); }

private:
    std::variant<T, Error> state_;
};

// A result that carries no value: done, or an error.
struct Done {};
using Status = Result<Done>;

}  // namespace base

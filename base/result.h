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
    // What the cause alone does not say: what was being done ("cannot read"),
    // or a refusal in a decoder's own words. May be empty.
    std::string detail;

    // "detail: cause", leaving out a part that is empty: what a message says
    // after naming the file ("cannot read: No such file or directory").
    std::string What() const {
        const std::string said = cause ? cause.message() : std::string();
        if (detail.empty() || said.empty())
            return detail + said;
        return detail + ": " + said;
    }

    // "FILE: detail: cause", leaving out the parts that are empty.
    std::string Message() const {
        const std::string what = What();
        if (file.empty() || what.empty())
            return file + what;
        return file + ": " + what;
    }
};

// The cause an errno value names.
inline std::error_code SystemError(int error) { return {error, std::generic_category()}; }

// An error told in words alone: a refusal, a decoder's complaint.
inline Error Refusal(std::string detail, std::string file = {}) {
    return Error{{}, std::move(file), std::move(detail)};
}

// An error with its cause and what was being done when it came.
inline Error Failure(std::error_code cause, std::string detail, std::string file = {}) {
    return Error{cause, std::move(file), std::move(detail)};
}

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

// The detail of a failed result, or empty: for tests and for callers that
// only pass the words on.
template <typename T>
std::string RefusalOf(const Result<T>& result) {
    return result.ok() ? std::string() : result.error().What();
}

}  // namespace base

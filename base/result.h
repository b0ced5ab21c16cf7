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
    std::error_code cause;   // errno's (std::generic_category()) or a library's own category
    std::string file;        // the file it concerns; empty when none
    std::string detail;      // what the cause alone does not say (a decoder's own words); may be empty
    std::string doing = {};  // what was being done when it came ("cannot read"); may be empty

    // "doing: cause: detail", leaving out the parts that are empty: what a
    // message says after naming the file ("cannot read: No such file or directory").
    std::string What() const {
        std::string text;
        for (const std::string& part : {doing, cause ? cause.message() : std::string(), detail}) {
            if (part.empty())
                continue;
            if (!text.empty())
                text += ": ";
            text += part;
        }
        return text;
    }

    // "FILE: doing: cause: detail", leaving out the parts that are empty.
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

// An error with its cause and what was being done when it came ("cannot read").
inline Error Failure(std::error_code cause, std::string doing, std::string file = {}) {
    return Error{cause, std::move(file), {}, std::move(doing)};
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

// What a failed result says (its What()), or empty: for tests and for
// callers that only pass the words on.
template <typename T>
std::string RefusalOf(const Result<T>& result) {
    return result.ok() ? std::string() : result.error().What();
}

}  // namespace base

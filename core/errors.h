// Errors that travel out of a handler to the application's error display:
// as values (Error, Result) on the path the program takes, which is built
// without exceptions, and as exceptions thrown from those values by the
// throwing functions that the tests and other callers use.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace convert {

enum class ErrorKind {
    Convert,  // thrown as EConvertError
    Range,    // thrown as ERangeError
};

// What went wrong, with the message the user is shown.
struct Error {
    ErrorKind kind;
    std::u16string message;
};

// A value, or the error that stopped it from being computed. A success
// carries no error object at all: parsing is on the hot path of the tests
// and benchmarks, and most texts parse.
template <typename T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}  // implicit: `return value;`
    Result(Error error) : error_(std::move(error)) {}

    bool Failed() const { return error_.has_value(); }
    const T& Value() const { return value_; }
    const Error& GetError() const { return *error_; }

private:
    T value_{};
    std::optional<Error> error_;
};

#if __cpp_exceptions
// Base of every error the program shows to the user. The message is UTF-16
// so that a field's text (Chinese included) is quoted exactly as it was;
// what() carries the same text as UTF-8 for logs and test output.
//
// It derives from std::exception alone: std::runtime_error would link the
// runtime's copy-on-write strings, a third of the shipped program's size.
class Exception : public std::exception {
public:
    explicit Exception(std::u16string message);
    const std::u16string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::u16string message_;
    std::string utf8_;
};

// A field's text is not an integer.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A result does not fit the 32-bit fields.
class ERangeError : public Exception {
public:
    using Exception::Exception;
};

// Throws the exception class of the error's kind.
[[noreturn]] void Throw(Error error);

// The value, or its error thrown.
template <typename T>
T ValueOrThrow(const Result<T>& result) {
    if (result.Failed()) Throw(result.GetError());
    return result.Value();
}
#endif

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace convert

// Errors that travel out of a handler to the application's error display.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace convert {

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

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace convert

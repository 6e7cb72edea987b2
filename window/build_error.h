// Why the window could not be built: a description that the window's code
// does not match, or a window the system refused to create.
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <string_view>

namespace convert {

// Not std::logic_error or std::runtime_error, and no std::string: those link
// the runtime's copy-on-write strings or string code that the program does
// not otherwise need. The message is what is wrong followed by the name it
// concerns, cut to fit.
class BuildError : public std::exception {
public:
    explicit BuildError(std::string_view what, std::string_view name = {}) noexcept {
        std::size_t length = Append(0, what);
        length = Append(length, name);
        message_[length] = '\0';
    }
    const char* what() const noexcept override { return message_; }

private:
    std::size_t Append(std::size_t at, std::string_view text) noexcept {
        const std::size_t count = std::min(text.size(), sizeof message_ - 1 - at);
        std::copy_n(text.data(), count, message_ + at);
        return at + count;
    }

    char message_[128];
};

}  // namespace convert

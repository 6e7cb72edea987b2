// Why the window could not be built: a description that the window's code
// does not match, or a window the system refused to create.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace convert {

// Returned, not thrown: the program is built without exceptions. No
// std::string: the message is what is wrong followed by the name it
// concerns, cut to fit.
class BuildError {
public:
    explicit BuildError(std::string_view what, std::string_view name = {}) noexcept {
        std::size_t length = Append(0, what);
        length = Append(length, name);
        message_[length] = '\0';
    }
    const char* what() const noexcept { return message_; }

private:
    std::size_t Append(std::size_t at, std::string_view text) noexcept {
        const std::size_t count = std::min(text.size(), sizeof message_ - 1 - at);
        std::copy_n(text.data(), count, message_ + at);
        return at + count;
    }

    char message_[128];
};

}  // namespace convert

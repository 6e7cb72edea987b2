// Why the window could not be built: a description that the window's code
// does not match, or a window the system refused to create.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace convert {

// Not std::logic_error or std::runtime_error: those link the runtime's
// copy-on-write strings, a third of the shipped program's size.
class BuildError : public std::exception {
public:
    explicit BuildError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

}  // namespace convert

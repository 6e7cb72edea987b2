// Commands as the machine's users find and run them: the PATH a new process
// gets from the registry, and a tool run to its end with its output kept.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace install {

// The PATH a process started now from Explorer or a new shell gets: the
// machine's and the user's values in the registry, expanded. Not this
// process's own: an installer that adds a folder changes the registry only.
std::wstring RegistryPath();
std::wstring ProcessPath();

// NAME as a shell finds it on PATH: the first folder holding NAME with one of
// the PATHEXT extensions, tried in PATHEXT's order.
std::optional<std::filesystem::path> FindCommand(const std::wstring& name, const std::wstring& path);

struct CommandResult {
    bool finished = false;  // false: it could not start, or ran out of time and was ended
    unsigned long exit_code = 0;
    std::string output;     // its standard output and error, as written
    bool Succeeded() const { return finished && exit_code == 0; }
};

// Runs TOOL ARGUMENTS (a .cmd or .bat through cmd.exe) without a window and
// waits for it, and a while for what it started.
CommandResult Run(const std::filesystem::path& tool, const std::wstring& arguments, std::chrono::seconds timeout);

bool RunsElevated();

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

}  // namespace install

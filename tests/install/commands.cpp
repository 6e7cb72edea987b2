#include "commands.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "job.h"

namespace install {
namespace {

std::wstring RegistryValue(HKEY root, const wchar_t* key, const wchar_t* name) {
    DWORD size = 0;
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (RegGetValueW(root, key, name, flags, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, key, name, flags, nullptr, value.data(), &size) != ERROR_SUCCESS) return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    const DWORD expanded = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
    std::wstring result(expanded, L'\0');
    ExpandEnvironmentStringsW(value.c_str(), result.data(), expanded);
    result.resize(wcsnlen(result.c_str(), result.size()));
    return result;
}

std::wstring Variable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::vector<std::wstring> Split(const std::wstring& list) {
    std::vector<std::wstring> parts;
    std::wstringstream in(list);
    for (std::wstring part; std::getline(in, part, L';');) {
        if (part.size() >= 2 && part.front() == L'"' && part.back() == L'"') part = part.substr(1, part.size() - 2);
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

bool EndsWith(std::wstring text, std::wstring_view end) {
    if (text.size() < end.size()) return false;
    text = text.substr(text.size() - end.size());
    return CompareStringOrdinal(text.c_str(), -1, std::wstring(end).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring RegistryPath() {
    const std::wstring machine = RegistryValue(
        HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", L"Path");
    const std::wstring user = RegistryValue(HKEY_CURRENT_USER, L"Environment", L"Path");
    return user.empty() ? machine : machine + L";" + user;
}

std::wstring ProcessPath() { return Variable(L"PATH"); }

std::optional<std::filesystem::path> FindCommand(const std::wstring& name, const std::wstring& path) {
    std::wstring extensions = Variable(L"PATHEXT");
    if (extensions.empty()) extensions = L".COM;.EXE;.BAT;.CMD";
    for (const std::wstring& folder : Split(path)) {
        for (const std::wstring& extension : Split(extensions)) {
            const std::filesystem::path candidate = std::filesystem::path(folder) / (name + extension);
            // Asked of the entry itself: winget is an app execution alias, a
            // reparse point that cannot be opened as a file.
            const DWORD attributes = GetFileAttributesW(candidate.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return candidate;
        }
    }
    return std::nullopt;
}

CommandResult Run(const std::filesystem::path& tool, const std::wstring& arguments, std::chrono::seconds timeout) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    wchar_t log_name[MAX_PATH + 1] = {};
    GetTempFileNameW(temp, L"cit", 0, log_name);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileW(log_name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr);
    HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = log;
    startup.hStdError = log;

    const bool script = EndsWith(tool.wstring(), L".cmd") || EndsWith(tool.wstring(), L".bat");
    std::wstring command = L"\"" + tool.wstring() + L"\" " + arguments;
    if (script) command = L"cmd.exe /d /s /c \"" + command + L"\"";
    CommandResult result;
    Job job;
    PROCESS_INFORMATION process{};
    if (log != INVALID_HANDLE_VALUE &&
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                       nullptr, &startup, &process)) {
        job.Add(process.hProcess);
        ResumeThread(process.hThread);
        const auto limit = static_cast<DWORD>(std::chrono::milliseconds(timeout).count());
        result.finished = WaitForSingleObject(process.hProcess, limit) == WAIT_OBJECT_0;
        GetExitCodeProcess(process.hProcess, &result.exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // What it started may still be finishing its work; what is left
        // after that ends with the job.
        job.WaitForAllToEnd(std::chrono::seconds(30));
    } else {
        result.output = "cannot start " + Utf8(command) + " (error " + std::to_string(GetLastError()) + ")\n";
    }
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
    std::ifstream in(std::filesystem::path(log_name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    result.output += text.str();
    if (!result.finished) result.output += "\n(ended after " + std::to_string(timeout.count()) + " s)";
    DeleteFileW(log_name);
    return result;
}

bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), size);
    return result;
}

}  // namespace install

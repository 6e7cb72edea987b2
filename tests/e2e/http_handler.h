// The credit link's way out: the shell's http handler, replaced while a test
// runs, and the address recorder that stands in for the browser.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <iterator>
#include <optional>
#include <string>

#include "app_session.h"
#include "system_settings.h"

namespace e2e {

inline constexpr char kHomePageAddress[] = "http://www.chengyanshe.example/";

// The program the shell starts for http addresses, replaced while a test
// runs.
//
// Wine's classes root is the machine's classes key alone, and Wine's shell
// reads the http key's own command. Windows 10 and 11 go by the user's
// default browser where there is one (its UserChoice, which is protected by
// a hash and left alone): there the command of the ProgId that the shell
// resolves http to is replaced for this user, under HKCU\Software\Classes,
// which shadows the machine's, and then the shell is asked again.
class HttpHandler {
public:
    explicit HttpHandler(const std::wstring& command) {
        if (WineVersion()) {
            original_ = Read();
            // A run killed half-way leaves its own command behind.
            if (original_.empty() || original_.find(L"e2e") != std::wstring::npos) original_ = kWineDefault;
            registered_ = Write(command);
            return;
        }
        std::wstring prog_id = ShellAnswer(ASSOCSTR_PROGID);
        if (prog_id.empty()) prog_id = L"http";
        user_command_.emplace(HKEY_CURRENT_USER, L"Software\\Classes\\" + prog_id + L"\\shell\\open\\command",
                              nullptr);
        resolved_ = user_command_->SetString(command) ? ShellAnswer(ASSOCSTR_COMMAND) : L"";
        registered_ = resolved_ == command;
        if (!registered_) {
            explained_ = "the shell resolves http (ProgId " + Utf8(prog_id) + ") to \"" + Utf8(resolved_) + "\"";
        }
    }
    ~HttpHandler() {
        if (!user_command_) Write(original_);
    }
    HttpHandler(const HttpHandler&) = delete;
    HttpHandler& operator=(const HttpHandler&) = delete;
    bool Registered() const { return registered_; }
    // Why not, where the shell said.
    const std::string& Explained() const { return explained_; }

private:
    static constexpr wchar_t kCommandKey[] = L"Software\\Classes\\http\\shell\\open\\command";
    static constexpr wchar_t kWineDefault[] = L"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"";

    static std::wstring Read() {
        wchar_t value[1024] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
            return {};
        }
        return value;
    }
    static bool Write(const std::wstring& command) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCommandKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        const bool written = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
        return written;
    }
    // What the shell makes of http for the default verb, as ShellExecute asks.
    static std::wstring ShellAnswer(ASSOCSTR what) {
        wchar_t answer[2048] = {};
        DWORD length = static_cast<DWORD>(std::size(answer));
        if (FAILED(AssocQueryStringW(ASSOCF_IS_PROTOCOL, what, L"http", nullptr, answer, &length))) return {};
        return answer;
    }

    std::wstring original_;
    std::optional<ScopedRegistryValue> user_command_;  // Windows
    std::wstring resolved_;
    std::string explained_ = "the registry refused the command";
    bool registered_ = false;
};

inline std::wstring TempFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId()) + L".txt";
}

// The recorder as the http handler, writing to the file `record`.
inline std::wstring RecorderCommand(const std::wstring& record) {
    return L"\"" + UrlRecorderExe() + L"\" \"" + record + L"\" \"%1\"";
}

inline std::string ReadFileText(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text(4096, '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
}

}  // namespace e2e

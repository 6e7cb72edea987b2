// The credit link's way out: the shell's http handler, replaced while a test
// runs, and the address recorder that stands in for the browser.
#pragma once

#include <windows.h>

#include <string>

#include "app_session.h"

namespace e2e {

inline constexpr char kHomePageAddress[] = "http://www.chengyanshe.example/";

// The program the shell starts for http addresses, replaced while a test
// runs. Wine's classes root is the machine's classes key alone.
class HttpHandler {
public:
    explicit HttpHandler(const std::wstring& command) {
        original_ = Read();
        // A run killed half-way leaves its own command behind.
        if (original_.empty() || original_.find(L"e2e") != std::wstring::npos) original_ = kWineDefault;
        registered_ = Write(command);
    }
    ~HttpHandler() { Write(original_); }
    HttpHandler(const HttpHandler&) = delete;
    HttpHandler& operator=(const HttpHandler&) = delete;
    bool Registered() const { return registered_; }

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

    std::wstring original_;
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

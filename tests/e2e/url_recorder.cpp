// Stands in for the web browser: url_recorder OUTPUT ADDRESS writes the
// address it was asked to open, and the show command it was started with,
// to OUTPUT.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    std::string record;
    for (int i = 2; i < argc; ++i) record += "arg " + Utf8(argv[i]) + "\n";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW) record += "show " + std::to_string(startup.wShowWindow) + "\n";

    // Written aside and then renamed, so a reader never sees half of it.
    const std::wstring output = argv[1];
    const std::wstring partial = output + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), output.c_str(), MOVEFILE_REPLACE_EXISTING);
    LocalFree(argv);
    return 0;
}

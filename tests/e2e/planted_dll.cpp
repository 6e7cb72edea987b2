// Stands in for a DLL planted beside a program (in a Downloads folder, say):
// it exports nothing and only records that it was loaded, appending
// "<its own path> <- <program path>" to the file named by CONVERT_PLANTED_LOG.
#include <windows.h>

namespace {

void Append(HANDLE file, const wchar_t* text) {
    char utf8[4 * MAX_PATH];
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    DWORD written = 0;
    if (size > 1) WriteFile(file, utf8, static_cast<DWORD>(size - 1), &written, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t log[MAX_PATH], dll[MAX_PATH], program[MAX_PATH];
    if (!GetEnvironmentVariableW(L"CONVERT_PLANTED_LOG", log, MAX_PATH)) return TRUE;
    if (!GetModuleFileNameW(self, dll, MAX_PATH) || !GetModuleFileNameW(nullptr, program, MAX_PATH)) return TRUE;
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    Append(file, dll);
    Append(file, L" <- ");
    Append(file, program);
    Append(file, L"\n");
    CloseHandle(file);
    return TRUE;
}

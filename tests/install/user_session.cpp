#include "user_session.h"

#include <algorithm>
#include <vector>

#include "commands.h"
#include "wait_for.h"

namespace install {
namespace {

// This process's environment with PATH as a new process gets it.
std::wstring EnvironmentWithRegistryPath() {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry && *entry; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, L"PATH=", 5) != 0) block.append(entry).push_back(L'\0');
    }
    if (strings) FreeEnvironmentStringsW(strings);
    block.append(L"PATH=" + RegistryPath()).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

struct Search {
    std::vector<DWORD> pids;
    const wchar_t* window_class;
    HWND found = nullptr;
};

BOOL CALLBACK Look(HWND window, LPARAM lparam) {
    auto* search = reinterpret_cast<Search*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && wcscmp(name, search->window_class) == 0 &&
        std::find(search->pids.begin(), search->pids.end(), pid) != search->pids.end()) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

UserSession::UserSession(const std::wstring& command) {
    wchar_t system[MAX_PATH + 1] = {};
    GetSystemDirectoryW(system, MAX_PATH + 1);
    const std::wstring shell = std::wstring(system) + L"\\cmd.exe";
    std::wstring line = L"cmd.exe /d /c " + command;
    std::wstring environment = EnvironmentWithRegistryPath();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(shell.c_str(), line.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW | CREATE_SUSPENDED, environment.data(), nullptr,
                        &startup, &process)) {
        return;
    }
    job_.Add(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    started_ = true;
}

HWND UserSession::WaitForWindow(const wchar_t* window_class, std::chrono::milliseconds timeout) const {
    Search search{{}, window_class};
    e2e::WaitFor([&] {
        search.pids = job_.ProcessIds();
        EnumWindows(Look, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeout);
    return search.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
    return text;
}

}  // namespace install

#include "app_session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "user_input.h"
#include "wait_for.h"

namespace e2e {
namespace {

// Coordinates are physical pixels, so that the 144 DPI run measures what it sees.
const bool kDpiAware = [] {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    return true;
}();

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

struct FindByProcess {
    DWORD pid;
    const wchar_t* class_name;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lparam) {
    auto* find = reinterpret_cast<FindByProcess*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == find->pid && IsWindowVisible(hwnd) &&
        (!find->class_name || ClassOf(hwnd) == find->class_name)) {
        find->found.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> VisibleTopLevel(DWORD pid, const wchar_t* class_name) {
    FindByProcess find{pid, class_name, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

namespace {

std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SendFlags(), SendTimeoutMs(), &length)) {
        throw std::runtime_error("the window does not answer WM_GETTEXTLENGTH");
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SendFlags(), SendTimeoutMs(), &copied);
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

}  // namespace

std::wstring DosPath(std::string_view path) {
    std::wstring result(path.begin(), path.end());
    if (!result.empty() && result.front() == L'/') result.insert(0, L"Z:");
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

// The environment's path, else the one the build handed over; the test
// bundle's runner names the programs of its own folder so.
std::wstring FromEnvironment(const wchar_t* name, std::string_view built) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return DosPath(built);
        if (length < value.size()) return value.substr(0, length);
        value.resize(length);
    }
}

// CONVERT_E2E_PROGRAM in the environment runs the tests against another build.
std::wstring ConvertExe() { return FromEnvironment(L"CONVERT_E2E_PROGRAM", CONVERT_E2E_PROGRAM); }
std::wstring UrlRecorderExe() { return FromEnvironment(L"CONVERT_E2E_URL_RECORDER", CONVERT_E2E_URL_RECORDER); }

std::optional<std::string> WineVersion() {
    using GetVersionFn = const char* CDECL();
    const auto get_version = reinterpret_cast<GetVersionFn*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    if (!get_version) return std::nullopt;
    return std::string(get_version());
}

// The DOS header points at the PE signature, which the COFF header's
// machine field follows.
std::optional<WORD> ProgramMachine(const std::wstring& exe) {
    std::ifstream file(std::filesystem::path(exe), std::ios::binary);
    IMAGE_DOS_HEADER dos{};
    if (!file.read(reinterpret_cast<char*>(&dos), sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        dos.e_lfanew <= 0) {
        return std::nullopt;
    }
    DWORD signature = 0;
    IMAGE_FILE_HEADER coff{};
    if (!file.seekg(dos.e_lfanew) || !file.read(reinterpret_cast<char*>(&signature), sizeof signature) ||
        signature != IMAGE_NT_SIGNATURE || !file.read(reinterpret_cast<char*>(&coff), sizeof coff)) {
        return std::nullopt;
    }
    return coff.Machine;
}

WORD ExpectedMachine() {
    wchar_t named[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"CONVERT_E2E_MACHINE", named, 16);
    if (length == 0) {
#if defined(__x86_64__) || defined(_M_X64)
        return IMAGE_FILE_MACHINE_AMD64;
#else
        return IMAGE_FILE_MACHINE_I386;
#endif
    }
    const std::wstring name = length < 16 ? named : L"";
    if (name == L"i386") return IMAGE_FILE_MACHINE_I386;
    if (name == L"amd64") return IMAGE_FILE_MACHINE_AMD64;
    throw std::runtime_error("CONVERT_E2E_MACHINE=" + Utf8(name) + ": i386 or amd64 expected");
}

std::string MachineName(WORD machine) {
    if (machine == IMAGE_FILE_MACHINE_I386) return "i386 (32-bit)";
    if (machine == IMAGE_FILE_MACHINE_AMD64) return "amd64 (64-bit)";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", machine);
    return hex;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

namespace {
// Every program a test starts ends with the test program, even one killed
// for taking too long: they run in a job that is closed with it.
HANDLE KillOnCloseJob() {
    static const HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created) SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return created;
    }();
    return job;
}
}  // namespace

AppSession::AppSession(const std::wstring& exe, const std::wstring& folder) {
    (void)kDpiAware;
    const std::optional<WORD> machine = ProgramMachine(exe);
    if (!machine) throw std::runtime_error(Utf8(exe) + " is no Windows program (no PE header)");
    if (*machine != ExpectedMachine()) {
        throw std::runtime_error(Utf8(exe) + " is built for " + MachineName(*machine) + ", not the " +
                                 MachineName(ExpectedMachine()) + " expected (CONVERT_E2E_MACHINE)");
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_)) {
        throw std::runtime_error("cannot start " + Utf8(exe));
    }
    if (HANDLE job = KillOnCloseJob()) AssignProcessToJobObject(job, process_.hProcess);
    ResumeThread(process_.hThread);
    pid_ = process_.dwProcessId;
    const bool shown = WaitFor([&] {
        const std::vector<HWND> windows = VisibleTopLevel(pid_, L"TForm1");
        if (windows.empty()) return false;
        window_ = windows.front();
        return true;
    }, std::chrono::milliseconds(15000));
    if (!shown) throw std::runtime_error("the converter window did not appear");
    panel_ = GetDlgItem(window_, kPanel1);
    if (!panel_) throw std::runtime_error("the window has no panel");
    Activate();
}

AppSession::~AppSession() {
    if (Running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND AppSession::Control(int id) const {
    HWND control = GetDlgItem(panel_, id);
    if (!control) throw std::runtime_error("no control with ID " + std::to_string(id));
    return control;
}

std::wstring AppSession::Text(int id) const { return TextOf(Control(id)); }
std::wstring AppSession::WindowText(HWND hwnd) const { return TextOf(hwnd); }

void AppSession::SetText(int id, std::wstring_view text) const {
    const std::wstring copy(text);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()),
                        SendFlags(), SendTimeoutMs(), &ignored);
}

bool AppSession::Checked(int id) const {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(Control(id), BM_GETCHECK, 0, 0, SendFlags(), SendTimeoutMs(), &state);
    return state == BST_CHECKED;
}

HWND AppSession::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

HWND AppSession::Capture() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
    return info.hwndCapture;
}

bool AppSession::ClickControl(int id) const {
    HWND control = Control(id);
    if (!MovePointer(Center(ScreenRect(id)))) return false;
    PressLeftButton();
    const bool captured = WaitFor([&] { return Capture() == control; });
    ReleaseLeftButton();
    const bool released = WaitFor([&] { return Capture() == nullptr; });
    return released && captured;
}

RECT AppSession::ScreenRect(int id) const {
    RECT rect{};
    GetWindowRect(Control(id), &rect);
    return rect;
}

// Waits until the program itself has taken the activation: a click that
// raced with it would lose its focus and capture to the activation.
//
// Windows lets a process bring another's window to the front only under
// conditions (SetForegroundWindow's remarks), one of them that it had the
// last input. A test started from a console that a CI runner holds in front
// meets none of them, and the call is refused (it returns FALSE); input
// synthesised with SendInput is the test's own, so a refused call is
// followed by a press and release of Ctrl, which no window acts on alone, at
// most every quarter second, and made again. Wine grants the call at once,
// so nothing is pressed there.
void AppSession::Activate() const {
    ULONGLONG last_nudge = 0;
    if (!WaitFor([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (GetForegroundWindow() == window_ && GetGUIThreadInfo(process_.dwThreadId, &info) &&
                info.hwndActive == window_ && info.hwndFocus) {
                return true;
            }
            if (!SetForegroundWindow(window_) && GetTickCount64() - last_nudge >= 250) {
                last_nudge = GetTickCount64();
                PressKey(VK_CONTROL);
                SetForegroundWindow(window_);
            }
            return false;
        })) {
        throw std::runtime_error("the converter window cannot be brought to the front");
    }
}

std::optional<MessageBoxView> AppSession::WaitForMessageBox() const {
    MessageBoxView box;
    const bool shown = WaitFor([&] {
        for (HWND dialog : VisibleTopLevel(pid_, L"#32770")) {
            if (GetWindow(dialog, GW_OWNER) == window_) {
                box.hwnd = dialog;
                return true;
            }
        }
        return false;
    });
    if (!shown) return std::nullopt;
    box.caption = TextOf(box.hwnd);
    if (HWND text = GetDlgItem(box.hwnd, 0xFFFF)) box.text = TextOf(text);
    for (HWND child = GetWindow(box.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring name = ClassOf(child);
        if (name == L"Button") box.visible_buttons.push_back(GetDlgCtrlID(child));
        if (name == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            box.icon = child;
        }
    }
    return box;
}

std::vector<HWND> AppSession::OtherVisibleWindows() const {
    std::vector<HWND> windows = VisibleTopLevel(pid_, nullptr);
    std::erase(windows, window_);
    return windows;
}

bool AppSession::PressOk(const MessageBoxView& box) const {
    PostMessageW(GetDlgItem(box.hwnd, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
}

void AppSession::Close() const { PostMessageW(window_, WM_CLOSE, 0, 0); }

std::optional<DWORD> AppSession::WaitForExit(DWORD timeout_ms) const {
    if (WaitForSingleObject(process_.hProcess, timeout_ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool AppSession::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void PrintTo(const Fields& fields, std::ostream* out) {
    *out << "{\"" << Utf8(fields.cm) << "\", \"" << Utf8(fields.chi) << "\", \"" << Utf8(fields.cun)
         << "\"}";
}

Fields ReadFields(const AppSession& app) {
    return {app.Text(kEdit1), app.Text(kEdit2), app.Text(kEdit3)};
}

void WriteFields(const AppSession& app, const Fields& fields) {
    app.SetText(kEdit1, fields.cm);
    app.SetText(kEdit2, fields.chi);
    app.SetText(kEdit3, fields.cun);
}

bool WaitForFields(const AppSession& app, const Fields& expected) {
    return WaitFor([&] { return ReadFields(app) == expected; });
}

}  // namespace e2e

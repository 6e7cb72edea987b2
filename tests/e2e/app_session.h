// One run of the converter, driven from outside: started as a separate
// process, its window and controls found by class and control ID, and killed
// at the end if a test leaves it running.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// The control IDs of the converter window.
enum ControlId : int {
    kPanel1 = 100,
    kLabel1 = 101,
    kLabel2 = 102,
    kLabel3 = 103,
    kLabel4 = 104,
    kLabel8 = 108,
    kEdit1 = 111,
    kEdit2 = 112,
    kEdit3 = 113,
    kRadioGroup1 = 120,
    kRadioButton1 = 121,
    kRadioButton2 = 122,
    kButton1 = 130,
};

inline constexpr wchar_t kCaption[] = L"厘米《＝》尺、寸 转化";
inline constexpr wchar_t kArrowCmToChiCun[] = L"＝》";
inline constexpr wchar_t kArrowChiCunToCm[] = L"《＝";

// Windows form of a path handed over by the build (a Unix path under Wine).
std::wstring DosPath(std::string_view path);
std::wstring ConvertExe();
std::wstring UrlRecorderExe();
// NAME from the environment, else the build's path BUILT in its Windows form.
std::wstring FromEnvironment(const wchar_t* name, std::string_view built);

// The Wine version when the tests run under Wine (its ntdll says so), none on
// Windows: the checks that only Windows can make skip under Wine with it.
std::optional<std::string> WineVersion();

// The machine a program is built for, read from its PE header
// (IMAGE_FILE_MACHINE_I386, _AMD64, ...); none when the file is no PE image.
std::optional<WORD> ProgramMachine(const std::wstring& exe);
// What every started program must be built for: CONVERT_E2E_MACHINE (i386 or
// amd64), set by a script that drives a program of another build, else the
// machine of this test program, whose build made the program it drives.
WORD ExpectedMachine();
std::string MachineName(WORD machine);

// Visible top-level windows of a process, of one window class or (nullptr) any.
std::vector<HWND> VisibleTopLevel(DWORD pid, const wchar_t* class_name);

// A message box shown by the program.
struct MessageBoxView {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<int> visible_buttons;  // control IDs
    HWND icon = nullptr;
};

class AppSession {
public:
    // Starts the program (in `folder` as its current folder, else in this
    // process's) and waits until its window is shown and active; a program
    // built for another machine than ExpectedMachine() is not started.
    explicit AppSession(const std::wstring& exe = ConvertExe(), const std::wstring& folder = {});
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;
    ~AppSession();

    HWND Window() const { return window_; }
    HWND Control(int id) const;
    DWORD ProcessId() const { return pid_; }

    std::wstring Text(int id) const;
    std::wstring WindowText(HWND hwnd) const;
    void SetText(int id, std::wstring_view text) const;
    bool Checked(int id) const;
    HWND Focus() const;
    RECT ScreenRect(int id) const;

    // Clicks the middle of a control that captures the mouse while its button
    // is down (fields, radio buttons, the push button), and waits until it
    // lets go: a click sent earlier would land on the capturing control.
    bool ClickControl(int id) const;
    HWND Capture() const;

    // Brings the window to the front so that keyboard input reaches it.
    void Activate() const;

    // The message box owned by the window, once it is shown.
    std::optional<MessageBoxView> WaitForMessageBox() const;
    // Top-level windows of the program other than its main window.
    std::vector<HWND> OtherVisibleWindows() const;
    // Presses OK and waits until the box has gone.
    bool PressOk(const MessageBoxView& box) const;

    // Posts WM_CLOSE; the exit code once the process has ended.
    void Close() const;
    std::optional<DWORD> WaitForExit(DWORD timeout_ms = 10000) const;
    bool Running() const;

private:
    PROCESS_INFORMATION process_{};
    DWORD pid_ = 0;
    HWND window_ = nullptr;
    HWND panel_ = nullptr;
};

// Fields as a user reads them, for table-driven checks.
struct Fields {
    std::wstring cm, chi, cun;
    bool operator==(const Fields&) const = default;
};
void PrintTo(const Fields& fields, std::ostream* out);
std::string Utf8(std::wstring_view text);
Fields ReadFields(const AppSession& app);
void WriteFields(const AppSession& app, const Fields& fields);
bool WaitForFields(const AppSession& app, const Fields& expected);

}  // namespace e2e

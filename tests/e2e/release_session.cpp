// One session of a program as a user has it, for the release checks
// (dll-planting.sh, no-trace.sh): release_session MODE PROGRAM [URL_RECORD]
//   converter       start, convert, show the error box and press OK, close
//   converter-link  the same, and before closing hover over the credit link
//                   and click it; the shell's http handler writes URL_RECORD
//   bare            start the minimal window program, close it
// The program starts with its own folder as the current folder, as Explorer
// starts a program double-clicked in Downloads. Exit code 0 when the session
// went as it should.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app_session.h"
#include "user_input.h"
#include "wait_for.h"

namespace {

using namespace e2e;

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

void StartInItsFolder(const std::wstring& program) {
    const std::wstring folder = program.substr(0, program.find_last_of(L"\\/"));
    Check(SetCurrentDirectoryW(folder.c_str()) != 0, "cannot enter the program's folder");
}

void ConverterSession(const std::wstring& program, const wchar_t* url_record) {
    AppSession app(program);
    WriteFields(app, {L"100", L"0", L"0"});
    Check(app.ClickControl(kButton1), "Convert not clicked");
    Check(WaitForFields(app, {L"100", L"3", L"0"}), "100 cm did not become 3 chi 0 cun");
    std::puts("converted 100 cm to 3 chi 0 cun");

    app.SetText(kEdit1, L"99999999999");
    Check(app.ClickControl(kButton1), "Convert not clicked");
    const auto box = app.WaitForMessageBox();
    Check(box.has_value(), "no error box");
    Check(app.PressOk(*box), "the error box did not close");
    std::puts("error box shown and closed");

    if (url_record) {
        const POINT link = Center(app.ScreenRect(kLabel8));
        Check(MovePointer(link), "pointer not over the credit link");
        Sleep(300);
        Check(Click(link), "credit link not clicked");
        Check(WaitFor([&] { return GetFileAttributesW(url_record) != INVALID_FILE_ATTRIBUTES; },
                      std::chrono::milliseconds(20000)),
              "the shell did not start the http handler");
        std::puts("credit link hovered and clicked: the shell opened the address");
    }

    app.Close();
    const auto code = app.WaitForExit();
    Check(code.has_value() && *code == 0, "the program did not end with exit code 0");
    std::puts("closed, exit code 0");
}

void BareSession(const std::wstring& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + program + L"\"";
    Check(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process) != 0,
          "cannot start the bare window program");
    HWND window = nullptr;
    const bool shown = WaitFor([&] {
        const std::vector<HWND> windows = VisibleTopLevel(process.dwProcessId, nullptr);
        if (!windows.empty()) window = windows.front();
        return window != nullptr;
    }, std::chrono::milliseconds(15000));
    if (shown) PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Check(shown, "the bare window did not appear");
    Check(ended, "the bare window program did not end");
    std::puts("bare window shown and closed");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: release_session converter|converter-link|bare PROGRAM [URL_RECORD]\n", stderr);
        return 2;
    }
    const std::wstring mode = argv[1];
    const std::wstring program = argv[2];
    try {
        StartInItsFolder(program);
        if (mode == L"bare") {
            BareSession(program);
        } else if (mode == L"converter" || (mode == L"converter-link" && argc > 3)) {
            ConverterSession(program, mode == L"converter-link" ? argv[3] : nullptr);
        } else {
            std::fputs("unknown mode\n", stderr);
            return 2;
        }
    } catch (const std::exception& e) {
        std::printf("FAIL: %s\n", e.what());
        return 1;
    }
    std::fflush(stdout);
    return 0;
}

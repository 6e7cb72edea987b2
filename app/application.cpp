#include "app/application.h"

#include <commctrl.h>

#include "app/app_text.h"
#include "window/accessible.h"
#include "window/event_guard.h"
#include "window/form.h"

namespace convert {
namespace {

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HICON LoadMainIcon(int size_metric) {
    const int size = GetSystemMetrics(size_metric);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

Application::Application() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const std::wstring path = ExecutablePath();
    const std::u16string title = ApplicationTitleFromPath(std::u16string(path.begin(), path.end()));
    title_.assign(title.begin(), title.end());
    icon_ = LoadMainIcon(SM_CXICON);
    small_icon_ = LoadMainIcon(SM_CXSMICON);

    SetErrorSink({[](const void* owner, const std::u16string& message) {
                      static_cast<const Application*>(owner)->ShowError(message);
                  },
                  this});
}

// The window and its controls have gone by now: their accessible objects are
// disconnected, and COM can go.
Application::~Application() {
    ShutDownAccessibility();
    SetErrorSink({});
    if (icon_) DestroyIcon(icon_);
    if (small_icon_) DestroyIcon(small_icon_);
}

void Application::SetMainForm(Form& form) {
    if (main_form_) return;
    main_form_ = &form;
    SendMessageW(form.Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(form.Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
}

int Application::Run(int show_command) {
    if (main_form_) main_form_->Show(show_command);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (main_form_ && main_form_->DropsQueued(msg)) continue;
        // The dialog manager gives the window Tab, Shift+Tab and the arrow
        // keys between its controls.
        if (main_form_ && main_form_->Handle() && IsDialogMessageW(main_form_->Handle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// Modal to the application: the main window takes no input until OK.
void Application::ShowError(const std::u16string& message) const {
    const std::u16string text = ErrorBoxText(message);
    const std::wstring wide(text.begin(), text.end());
    HWND owner = main_form_ ? main_form_->Handle() : nullptr;
    MessageBoxW(owner, wide.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace convert

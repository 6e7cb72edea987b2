// The application object: its title and icon, the main window, the event
// loop and the display of errors that handlers let escape.
#pragma once

#include <windows.h>

#include <string>

namespace convert {

class Form;

class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // The first window handed here becomes the main window; closing it ends
    // the event loop.
    void SetMainForm(Form& form);
    // Shows the main window with the launcher's show command, then fetches
    // and dispatches messages until the main window is closed.
    int Run(int show_command);

    void ShowError(const std::u16string& message) const;

private:
    std::wstring title_;
    HICON icon_ = nullptr;
    HICON small_icon_ = nullptr;
    Form* main_form_ = nullptr;  // we don't own it
};

}  // namespace convert

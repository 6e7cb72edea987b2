// The converter's entry: the application object, then the one window, then
// the event loop until the window is closed.
#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

#include "app/application.h"
#include "window/unit1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
    convert::Application application;
    convert::TForm1 form1;
    try {
        form1.Create();
    } catch (const std::exception& e) {
        const std::string_view what = e.what();
        application.ShowError(std::u16string(what.begin(), what.end()));
        return 1;
    }
    application.SetMainForm(form1);
    return application.Run(show_command);
}

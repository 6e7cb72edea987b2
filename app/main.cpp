// The converter's entry: the application object, then the one window, then
// the event loop until the window is closed.
#include <windows.h>

#include <string>
#include <string_view>

#include "app/application.h"
#include "window/unit1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
    convert::Application application;
    convert::TForm1 form1;
    if (const auto error = form1.Create()) {
        const std::string_view what = error->what();
        application.ShowError(std::u16string(what.begin(), what.end()));
        return 1;
    }
    application.SetMainForm(form1);
    return application.Run(show_command);
}

// The window's colours as the system really sets them: the app mode written
// where Windows keeps it and announced as Windows announces it, and high
// contrast switched on and off (Windows only). What the screen shows is
// compared with the system's colours or the program's dark palette.
#include <gtest/gtest.h>
#include <windows.h>
#include <dwmapi.h>

#include <cstdio>
#include <optional>
#include <string>

#include "accessible_client.h"
#include "app_session.h"
#include "screen_pixels.h"
#include "system_settings.h"
#include "user_input.h"
#include "wait_for.h"
#include "window/colours.h"

namespace e2e {
namespace {

using convert::kDark;

// How the window is to look: the face it stands on, the labels' text, the
// fields' background (their text is the labels'), and the red arrow's colour.
struct Look {
    const char* name;
    COLORREF face, text, field, arrow;
};
Look Light() {
    return {"light", GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
            RGB(255, 0, 0)};
}
Look Dark() { return {"dark", kDark.face, kDark.text, kDark.field, RGB(255, 0, 0)}; }
// The system's colours as they are now, the arrow too.
Look HighContrast() {
    return {"high contrast", GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
            GetSysColor(COLOR_WINDOWTEXT)};
}

std::string Rgb(COLORREF colour) {
    return std::to_string(GetRValue(colour)) + "," + std::to_string(GetGValue(colour)) + "," +
           std::to_string(GetBValue(colour));
}

RECT ClientOnScreen(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// What differs from the look on the screen; empty when nothing does. The
// centimetre field has the focus, its text selected, and is left out.
std::string Difference(const AppSession& app, const Look& look) {
    const COLORREF face = MostCommonColour(CaptureScreen(ClientOnScreen(app.Window())));
    if (face != look.face) return "the face is " + Rgb(face) + ", not " + Rgb(look.face);
    const struct {
        const char* what;
        HWND hwnd;
        COLORREF background, ink;
    } parts[] = {
        {"厘米", app.Control(kLabel2), look.face, look.text},
        {"尺", app.Control(kLabel3), look.face, look.text},
        {"寸", app.Control(kLabel4), look.face, look.text},
        {"the credit", app.Control(kLabel8), look.face, look.text},
        {"the arrow", app.Control(kLabel1), look.face, look.arrow},
        {"the chi field", app.Control(kEdit2), look.field, look.text},
        {"the cun field", app.Control(kEdit3), look.field, look.text},
    };
    for (const auto& part : parts) {
        const TextLook seen = LookOfText(CaptureScreen(ClientOnScreen(part.hwnd)), part.background, part.ink);
        if (seen.background == 0 || seen.in_colour == 0 || seen.other_colours > 0) {
            return std::string(part.what) + ": " + std::to_string(seen.in_colour) + " pixels of " + Rgb(part.ink) +
                   " on " + std::to_string(seen.background) + " of " + Rgb(part.background) + ", " +
                   std::to_string(seen.other_colours) + " of other colours";
        }
    }
    return {};
}

// The look is asked for anew each time: the system's colours change a
// moment after high contrast does.
void ExpectLook(const AppSession& app, Look (*look)()) {
    std::string difference;
    EXPECT_TRUE(WaitFor([&] { return (difference = Difference(app, look())).empty(); },
                        std::chrono::milliseconds(20000)))
        << "not " << look().name << ": " << difference;
}

// The pointer far from where the window opens, before it opens: the credit
// then shows its resting look (Wine may never tell a label that the pointer
// has left it when the pointer was there as the window came up).
void PointerAway() { ASSERT_TRUE(MovePointer({40, 40})); }

// Why the title bar cannot be read back here, if it cannot.
std::optional<std::string> TitleBarUnchecked() {
    if (const auto wine = WineVersion()) return "under Wine " + *wine + ", whose DwmSetWindowAttribute does nothing";
    using GetVersionFn = LONG WINAPI(OSVERSIONINFOW*);
    const auto get_version = reinterpret_cast<GetVersionFn*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    // A version that cannot be read is checked: DWM's answer tells.
    if (!get_version || get_version(&version) != 0) return std::nullopt;
    if (version.dwMajorVersion < 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber < 19041)) {
        return "Windows build " + std::to_string(version.dwBuildNumber) +
               " (the dark title bar is documented from build 19041)";
    }
    return std::nullopt;
}

void ExpectTitleBar(const AppSession& app, bool dark) {
    constexpr DWORD kUseImmersiveDarkMode = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE
    BOOL value = -1;
    const HRESULT hr = DwmGetWindowAttribute(app.Window(), kUseImmersiveDarkMode, &value, sizeof value);
    ASSERT_EQ(hr, S_OK) << "DwmGetWindowAttribute: " << Hex(hr);
    EXPECT_EQ(value != FALSE, dark) << "the title bar is " << (value ? "dark" : "light");
}

TEST(ColourMode, DarkFromTheStartWhenAppsAreDark) {
    AppMode mode;
    ASSERT_TRUE(mode.Set(true));
    ASSERT_NO_FATAL_FAILURE(PointerAway());
    AppSession app;
    ExpectLook(app, Dark);
    const std::optional<std::string> unchecked = TitleBarUnchecked();
    if (!unchecked) ExpectTitleBar(app, true);
    if (unchecked) std::printf("note: not checked: the dark title bar (%s)\n", unchecked->c_str());
}

// Light at the start, then dark and light again while it runs, each change
// announced to every window as Windows announces it.
TEST(ColourMode, FollowsTheAppModeSwitchWhileRunning) {
    AppMode mode;
    ASSERT_TRUE(mode.Set(false));
    ASSERT_NO_FATAL_FAILURE(PointerAway());
    AppSession app;
    ExpectLook(app, Light);
    const std::optional<std::string> unchecked = TitleBarUnchecked();
    for (const bool dark : {true, false}) {
        SCOPED_TRACE(dark ? "switched to dark" : "switched to light");
        ASSERT_TRUE(mode.Set(dark));
        AppMode::Announce();
        ExpectLook(app, dark ? Dark : Light);
        if (!unchecked) ExpectTitleBar(app, dark);
    }
    if (unchecked) std::printf("note: not checked: the dark title bar (%s)\n", unchecked->c_str());
}

// The app mode is dark throughout, so that the window's own colours differ
// from the system's.
TEST(ColourMode, HighContrastOnTakesTheSystemsColoursAndOffTheWindowsOwn) {
    if (const auto wine = WineVersion()) {
        GTEST_SKIP() << "under Wine " << *wine
                     << ": SPI_SETHIGHCONTRAST fails there, and a running Wine process keeps its own copy of the "
                        "system colours";
    }
    AppMode mode;
    ASSERT_TRUE(mode.Set(true));
    HighContrastSwitch high_contrast;
    ASSERT_EQ(high_contrast.Set(false), 0u) << "SPI_SETHIGHCONTRAST (off)";
    ASSERT_NO_FATAL_FAILURE(PointerAway());
    AppSession app;
    ExpectLook(app, Dark);
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "high contrast on" : "high contrast off");
        ASSERT_EQ(high_contrast.Set(on), 0u) << "SPI_SETHIGHCONTRAST";
        ASSERT_EQ(HighContrastSwitch::On(), on);
        ExpectLook(app, on ? HighContrast : Dark);
    }
}

}  // namespace
}  // namespace e2e

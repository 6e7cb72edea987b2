// Pictures of the window for people to look at: at rest, with the error box,
// in dark mode and in high contrast, saved as PNG files in
// %CONVERT_TEST_RESULTS%\screenshots (else %TEMP%\screenshots), where a CI
// workflow picks them up.
#include <gtest/gtest.h>
#include <windows.h>
#include <dwmapi.h>

#include <cstdio>
#include <filesystem>
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

std::filesystem::path ScreenshotFolder() {
    wchar_t base[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"CONVERT_TEST_RESULTS", base, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) length = GetTempPathW(MAX_PATH, base);
    return std::filesystem::path(std::wstring(base, length)) / L"screenshots";
}

// The window as it is seen: without the invisible resize borders that
// Windows 10 and 11 count in its rectangle, where the system says so.
RECT SeenRect(HWND hwnd) {
    RECT rect{};
    if (FAILED(DwmGetWindowAttribute(hwnd, DWMWA_EXTENDED_FRAME_BOUNDS, &rect, sizeof rect)) || IsRectEmpty(&rect)) {
        GetWindowRect(hwnd, &rect);
    }
    return rect;
}

// Draws what is due now, in the program's own thread.
void DrawnNow(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

RECT ClientOnScreen(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct Shot {
    const wchar_t* file;
    bool dark, high_contrast, error_box;
};

const Shot kShots[] = {
    {L"convert-rest.png", false, false, false},
    {L"convert-error-box.png", false, false, true},
    {L"convert-dark.png", true, false, false},
    {L"convert-high-contrast.png", false, true, false},
};

TEST(Screenshots, AtRestWithTheErrorBoxDarkAndInHighContrast) {
    const std::optional<std::string> wine = WineVersion();
    const std::filesystem::path folder = ScreenshotFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    ASSERT_FALSE(error) << "cannot make " << Utf8(folder.wstring()) << ": " << error.message();
    for (const Shot& shot : kShots) {
        SCOPED_TRACE(Utf8(shot.file));
        if (shot.high_contrast && wine) {
            std::printf("note: not checked: the high-contrast screenshot (under Wine %s, which cannot switch high "
                        "contrast)\n",
                        wine->c_str());
            continue;
        }
        AppMode mode;
        ASSERT_TRUE(mode.Set(shot.dark));
        std::optional<HighContrastSwitch> high_contrast;
        if (shot.high_contrast) {
            high_contrast.emplace();
            ASSERT_EQ(high_contrast->Set(true), 0u) << "SPI_SETHIGHCONTRAST";
        }
        // Far from where the window opens, so that the credit rests.
        ASSERT_TRUE(MovePointer({40, 40}));
        AppSession app;
        const RECT window = SeenRect(app.Window());
        const COLORREF face = shot.dark ? convert::kDark.face : GetSysColor(COLOR_BTNFACE);
        EXPECT_TRUE(WaitFor([&] {
            DrawnNow(app.Window());
            return MostCommonColour(CaptureScreen(ClientOnScreen(app.Window()))) == face;
        })) << "the window was not drawn in its face colour";

        RECT pictured = window;
        if (shot.error_box) {
            app.SetText(kEdit1, L"99999999999");
            ASSERT_TRUE(app.ClickControl(kButton1));
            const auto box = app.WaitForMessageBox();
            ASSERT_TRUE(box) << "no error box";
            const HWND text = GetDlgItem(box->hwnd, 0xFFFF);
            EXPECT_TRUE(WaitFor([&] {
                DrawnNow(box->hwnd);
                const ScreenCapture shown = CaptureScreen(ClientOnScreen(text));
                return LookOfText(shown, MostCommonColour(shown), CLR_INVALID).other_colours > 0;
            })) << "the box's text was not drawn";
            const RECT box_rect = SeenRect(box->hwnd);
            UnionRect(&pictured, &window, &box_rect);
        }
        const std::wstring path = (folder / shot.file).wstring();
        const HRESULT hr = SavePng(CaptureScreen(pictured), path);
        ASSERT_EQ(hr, S_OK) << "saving " << Utf8(path) << ": " << Hex(hr);
        EXPECT_GT(std::filesystem::file_size(path, error), 0u) << Utf8(path);
        std::printf("saved %s (%ld x %ld)\n", Utf8(path).c_str(), pictured.right - pictured.left,
                    pictured.bottom - pictured.top);
    }
}

}  // namespace
}  // namespace e2e

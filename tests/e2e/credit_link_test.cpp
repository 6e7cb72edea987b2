#include <gtest/gtest.h>

#include <string>

#include "app_session.h"
#include "http_handler.h"
#include "screen_pixels.h"
#include "session_checks.h"
#include "user_input.h"
#include "wait_for.h"

namespace e2e {
namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);

TextLook LabelLook(const AppSession& app, COLORREF text) {
    return LookOfText(CaptureScreen(app.ScreenRect(kLabel8)), GetSysColor(COLOR_BTNFACE), text);
}

std::string Describe(const AppSession& app) {
    const TextLook blue = LabelLook(app, kBlue);
    const TextLook black = LabelLook(app, GetSysColor(COLOR_WINDOWTEXT));
    POINT at{};
    GetCursorPos(&at);
    const RECT label = app.ScreenRect(kLabel8);
    return "blue " + std::to_string(blue.in_colour) + ", window text " + std::to_string(black.in_colour) +
           ", other " + std::to_string(black.other_colours - blue.in_colour) + ", underline " +
           std::to_string(blue.underline) + ", pointer at " + std::to_string(at.x) + "," + std::to_string(at.y) +
           ", label " + std::to_string(label.left) + "," + std::to_string(label.top) + "-" +
           std::to_string(label.right) + "," + std::to_string(label.bottom);
}

HCURSOR CurrentCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

// A blank spot of the panel, left of the credit label and under the frame.
POINT BesideLabel(const AppSession& app) {
    const RECT label = app.ScreenRect(kLabel8);
    const RECT frame = app.ScreenRect(kRadioGroup1);
    return {frame.left + 10, (label.top + label.bottom) / 2};
}

}  // namespace

// On Windows the system cursors are shared, so the hand is known by its
// handle. Under Wine each process loads its own copies: there the hand can
// only be told from the arrow the program showed a moment before.
void CheckLinkLook(const AppSession& app) {
    app.Activate();
    const COLORREF window_text = GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_TRUE(MovePointer(BesideLabel(app)));
    ASSERT_TRUE(WaitFor([&] {
        const TextLook look = LabelLook(app, window_text);
        return look.background > 0 && look.in_colour > 0;
    })) << "label not drawn";
    EXPECT_FALSE(LabelLook(app, window_text).underline);
    ASSERT_TRUE(WaitFor([] { return CurrentCursor() != nullptr; }));
    const HCURSOR arrow = CurrentCursor();
    const bool shared_cursors = arrow == LoadCursorW(nullptr, IDC_ARROW);

    ASSERT_TRUE(MovePointer(Center(app.ScreenRect(kLabel8))));
    EXPECT_TRUE(WaitFor([&] {
        const TextLook look = LabelLook(app, kBlue);
        return look.background > 0 && look.in_colour > 0 && look.underline;
    })) << "no blue underlined text";
    const TextLook hover = LabelLook(app, kBlue);
    EXPECT_EQ(hover.other_colours, 0) << "all the text is pure blue";
    EXPECT_TRUE(hover.underline);
    EXPECT_TRUE(WaitFor([&] { return CurrentCursor() != arrow; })) << "the cursor did not change over the label";
    if (shared_cursors) {
        EXPECT_EQ(CurrentCursor(), LoadCursorW(nullptr, IDC_HAND));
    }

    // The pointer slides off and keeps moving a little beside the label, as a
    // hand on the mouse does.
    const POINT beside = BesideLabel(app);
    ASSERT_TRUE(SlidePointer(Center(app.ScreenRect(kLabel8)), beside));
    int nudge = 0;
    EXPECT_TRUE(WaitFor([&] {
        if (++nudge % 30 == 0) MovePointer({beside.x + (nudge / 30) % 2 * 3, beside.y});
        const TextLook look = LabelLook(app, window_text);
        return look.background > 0 && look.in_colour > 0 && look.other_colours == 0 && !look.underline;
    })) << "the resting look did not come back: " << Describe(app);
    EXPECT_TRUE(WaitFor([&] { return CurrentCursor() == arrow; })) << "the arrow cursor did not come back";
}

void CheckLinkClickOpensHomePage(const AppSession& app) {
    const std::wstring record = TempFile(L"convert-e2e-url-");
    DeleteFileW(record.c_str());
    HttpHandler handler(RecorderCommand(record));
    ASSERT_TRUE(handler.Registered()) << handler.Explained();

    app.Activate();
    ASSERT_TRUE(app.ClickControl(kRadioButton2));
    ASSERT_TRUE(WaitFor([&] { return app.Checked(kRadioButton2); }));
    const Fields fields{L"12", L"3", L"45"};
    WriteFields(app, fields);

    ASSERT_TRUE(Click(Center(app.ScreenRect(kLabel8))));
    ASSERT_TRUE(WaitFor([&] { return !ReadFileText(record).empty(); }, std::chrono::milliseconds(10000)))
        << "the shell did not start the http handler";
    const std::string recorded = ReadFileText(record);
    EXPECT_EQ(recorded, std::string("arg ") + kHomePageAddress + "\nshow 1\n");
    EXPECT_EQ(ReadFields(app), fields);
    EXPECT_TRUE(app.Checked(kRadioButton2));
    EXPECT_FALSE(app.Checked(kRadioButton1));
    EXPECT_EQ(app.Text(kLabel1), kArrowChiCunToCm);
    DeleteFileW(record.c_str());
}

namespace {

TEST(CreditLink, LinkLookOnlyWhileThePointerIsOver) {
    AppSession app;
    CheckLinkLook(app);
}

TEST(CreditLink, ClickOpensTheHomePageAndLeavesTheWindowAlone) {
    AppSession app;
    CheckLinkClickOpensHomePage(app);
}

// The pointer leaves the link while an error box is up, which no handler may
// answer then; the link look goes once the box has gone, wherever the
// pointer is.
TEST(CreditLink, LinkLookGoesOnceTheErrorBoxHasGone) {
    AppSession app;
    app.SetText(kEdit1, L"x");
    for (int i = 0; i < 12 && app.Focus() != app.Control(kButton1); ++i) {
        const HWND before = app.Focus();
        PressKey(VK_TAB);
        WaitFor([&] { return app.Focus() != before; });
    }
    ASSERT_EQ(app.Focus(), app.Control(kButton1));
    ASSERT_TRUE(MovePointer(Center(app.ScreenRect(kLabel8))));
    ASSERT_TRUE(WaitFor([&] { return LabelLook(app, kBlue).underline; })) << Describe(app);

    PressKey(VK_SPACE);
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    RECT window{};
    GetWindowRect(app.Window(), &window);
    ASSERT_TRUE(MovePointer({window.right + 40, window.bottom + 40}));
    Sleep(300);  // for the label's leave to arrive while the box is up
    ASSERT_TRUE(app.PressOk(*box));
    const COLORREF window_text = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_TRUE(WaitFor([&] {
        const TextLook look = LabelLook(app, window_text);
        return look.in_colour > 0 && look.other_colours == 0 && !look.underline;
    })) << "the link look stayed: " << Describe(app);
}

TEST(CreditLink, FailedLaunchReportsNothing) {
    HttpHandler handler(L"\"C:\\no-such-e2e-browser\\browser.exe\" \"%1\"");
    ASSERT_TRUE(handler.Registered()) << handler.Explained();

    AppSession app;
    app.Activate();
    WriteFields(app, {L"100", L"0", L"0"});
    ASSERT_TRUE(Click(Center(app.ScreenRect(kLabel8))));
    // Input is handled in order: once this conversion shows, the click has run.
    ASSERT_TRUE(app.ClickControl(kButton1));
    EXPECT_TRUE(WaitForFields(app, {L"100", L"3", L"0"})) << testing::PrintToString(ReadFields(app));
    EXPECT_TRUE(app.OtherVisibleWindows().empty()) << "a failed launch shows nothing";
    EXPECT_TRUE(app.Running());
}

}  // namespace
}  // namespace e2e

#include <gtest/gtest.h>

#include <memory>

#include "accessible_client.h"
#include "app_session.h"
#include "http_handler.h"
#include "session_checks.h"
#include "user_input.h"
#include "wait_for.h"

namespace e2e {
namespace {

// Chooses the direction by clicking its radio button, as a user does.
void ChooseDirection(const AppSession& app, int radio) {
    if (app.Checked(radio)) return;
    ASSERT_TRUE(app.ClickControl(radio));
    ASSERT_TRUE(WaitFor([&] { return app.Checked(radio); }));
}

void PressConvert(const AppSession& app) { ASSERT_TRUE(app.ClickControl(kButton1)); }

struct ConversionCase {
    const char* name;
    int direction;
    Fields before;
    Fields after;
};

const ConversionCase kConversions[] = {
    {"100 cm; old chi and cun ignored", kRadioButton1, {L"100", L"7", L"9"}, {L"100", L"3", L"0"}},
    {"5 cm is 1.5 cun", kRadioButton1, {L"5", L"0", L"0"}, {L"5", L"0", L"1"}},
    {"65 cm is 9.5 cun just below", kRadioButton1, {L"65", L"0", L"0"}, {L"65", L"1", L"9"}},
    {"32 cm: cun never carried", kRadioButton1, {L"32", L"0", L"0"}, {L"32", L"0", L"10"}},
    {"empty fields to cun", kRadioButton1, {L"", L"", L""}, {L"0", L"0", L"0"}},
    {"leading zeros rewritten", kRadioButton1, {L"007", L"0", L"0"}, {L"7", L"0", L"2"}},
    {"1 chi 5 cun; old cm ignored", kRadioButton2, {L"999", L"1", L"5"}, {L"50", L"1", L"5"}},
    {"15 cun kept as typed", kRadioButton2, {L"0", L"0", L"15"}, {L"50", L"0", L"15"}},
    {"empty fields to cm", kRadioButton2, {L"", L"", L""}, {L"0", L"0", L"0"}},
    {"leading zeros in chi", kRadioButton2, {L"1", L"007", L"0"}, {L"233", L"7", L"0"}},
};

}  // namespace

void CheckConversions(const AppSession& app) {
    for (const ConversionCase& c : kConversions) {
        SCOPED_TRACE(c.name);
        ChooseDirection(app, c.direction);
        WriteFields(app, c.before);
        ASSERT_EQ(ReadFields(app), c.before);
        PressConvert(app);
        EXPECT_TRUE(WaitForFields(app, c.after)) << testing::PrintToString(ReadFields(app));
        EXPECT_TRUE(app.OtherVisibleWindows().empty()) << "no box after a good conversion";
    }
}

// The box's caption is the program's title, which follows its file name.
void CheckRefusedFieldAndItsBox(const AppSession& app, std::wstring_view caption) {
    ChooseDirection(app, kRadioButton1);
    WriteFields(app, {L"", L"99999999999", L"4"});
    PressConvert(app);
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->caption, caption);
    EXPECT_EQ(box->text, L"'99999999999' is not a valid integer value.");
    EXPECT_EQ(box->visible_buttons, std::vector<int>{IDOK});
    EXPECT_NE(box->icon, nullptr) << "the box shows an icon";
    EXPECT_FALSE(IsWindowEnabled(app.Window())) << "the window takes no input while the box is shown";
    EXPECT_EQ(ReadFields(app), (Fields{L"0", L"99999999999", L"4"}));

    ASSERT_TRUE(app.PressOk(*box));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app.Window()) != FALSE; }));
    EXPECT_EQ(ReadFields(app), (Fields{L"0", L"99999999999", L"4"}));
    WriteFields(app, {L"100", L"1", L"1"});
    PressConvert(app);
    EXPECT_TRUE(WaitForFields(app, {L"100", L"3", L"0"})) << testing::PrintToString(ReadFields(app));
}

namespace {

TEST(Conversion, BothDirections) {
    AppSession app;
    CheckConversions(app);
}

// A copy named in capitals shows the title rule: first letter kept, the rest lower case.
class ConversionErrors : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"convert-e2e-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
        copy_ = dir_ + L"\\CONVERT.EXE";
        ASSERT_TRUE(CopyFileW(ConvertExe().c_str(), copy_.c_str(), FALSE)) << Utf8(copy_);
    }
    void TearDown() override {
        app_.reset();
        WaitFor([&] { return DeleteFileW(copy_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; });
        RemoveDirectoryW(dir_.c_str());
    }
    AppSession& App() {
        if (!app_) app_ = std::make_unique<AppSession>(copy_);
        return *app_;
    }

private:
    std::wstring dir_, copy_;
    std::unique_ptr<AppSession> app_;
};

TEST_F(ConversionErrors, ElevenNinesNamedThenWindowConvertsAgain) {
    CheckRefusedFieldAndItsBox(App(), L"Convert");
}

// Waits until the program has handled everything posted to it before: the
// caret placed by a message posted now comes back.
bool HandledPosted(const AppSession& app, int caret) {
    const HWND field = app.Control(kEdit3);
    PostMessageW(field, EM_SETSEL, static_cast<WPARAM>(caret), caret);
    return WaitFor([&] {
        DWORD_PTR selection = 0;
        SendMessageTimeoutW(field, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &selection);
        return LOWORD(selection) == caret && HIWORD(selection) == caret;
    });
}

std::size_t BoxesOf(const AppSession& app) {
    std::size_t boxes = 0;
    for (HWND window : app.OtherVisibleWindows()) boxes += GetWindow(window, GW_OWNER) == app.Window();
    return boxes;
}

// Clicks by every route a program has besides the mouse and keyboard of the
// person at the screen (the disabled window takes none of theirs), and what a
// screen reader's default action on the link posts.
void PostClicks(const AppSession& app) {
    const HWND button = app.Control(kButton1), radio = app.Control(kRadioButton2), panel = GetParent(button);
    for (int i = 0; i < 20; ++i) PostMessageW(button, BM_CLICK, 0, 0);
    PostMessageW(radio, BM_CLICK, 0, 0);
    PostMessageW(radio, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(radio, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PostMessageW(panel, WM_COMMAND, MAKEWPARAM(kButton1, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    PostMessageW(panel, WM_COMMAND, MAKEWPARAM(kLabel8, STN_CLICKED),
                 reinterpret_cast<LPARAM>(app.Control(kLabel8)));
}

// Runs `queue` while the program's thread is held still, as on a busy
// machine: everything it posts or sends is waiting at once when it resumes.
template <typename Queue>
void WhileHeld(const AppSession& app, Queue queue) {
    const HANDLE thread =
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(app.Window(), nullptr));
    ASSERT_TRUE(thread);
    ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
    queue();
    ResumeThread(thread);
    CloseHandle(thread);
}

void ExpectUntouched(const AppSession& app, const Fields& fields) {
    EXPECT_EQ(ReadFields(app), fields);
    EXPECT_TRUE(app.Checked(kRadioButton1));
    EXPECT_FALSE(app.Checked(kRadioButton2));
    EXPECT_EQ(app.Text(kLabel1), kArrowCmToChiCun);
}

// While the box is up nothing acts on the window, and nothing posted to it
// then runs once the box has gone: one box, the same fields and direction,
// no browser; then the window works as before.
TEST_F(ConversionErrors, NothingActsBehindTheBoxNorAfterIt) {
    const ComApartment com;
    const std::wstring record = TempFile(L"convert-e2e-box-url-");
    DeleteFileW(record.c_str());
    HttpHandler handler(RecorderCommand(record));
    ASSERT_TRUE(handler.Registered()) << handler.Explained();
    AppSession& app = App();
    const ComPtr<IAccessible> link = ObjectOf(app.Control(kLabel8));
    ASSERT_TRUE(link);
    const Fields refused{L"x", L"2", L"12345678"};
    WriteFields(app, refused);

    PostClicks(app);
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    PostClicks(app);
    EXPECT_EQ(link->accDoDefaultAction(Self()), S_OK);
    ASSERT_TRUE(HandledPosted(app, 1));
    EXPECT_EQ(BoxesOf(app), 1u);
    EXPECT_FALSE(IsWindowEnabled(app.Window()));
    ExpectUntouched(app, refused);

    // OK, sent, is taken ahead of the clicks queued before it.
    WhileHeld(app, [&] {
        PostClicks(app);
        SendNotifyMessageW(GetDlgItem(box->hwnd, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box->hwnd); }));
    ASSERT_TRUE(HandledPosted(app, 2));
    ASSERT_TRUE(IsWindowEnabled(app.Window())) << "a click queued behind the box opened another";
    EXPECT_EQ(BoxesOf(app), 0u);
    ExpectUntouched(app, refused);
    EXPECT_FALSE(WaitFor([&] { return !ReadFileText(record).empty(); }, std::chrono::milliseconds(3000)))
        << "the link was followed";

    WriteFields(app, {L"100", L"1", L"1"});
    PressConvert(app);
    EXPECT_TRUE(WaitForFields(app, {L"100", L"3", L"0"})) << testing::PrintToString(ReadFields(app));
    ChooseDirection(app, kRadioButton2);
    EXPECT_TRUE(WaitFor([&] { return app.Text(kLabel1) == kArrowChiCunToCm; }));
    EXPECT_EQ(link->accDoDefaultAction(Self()), S_OK);
    EXPECT_TRUE(WaitFor([&] { return !ReadFileText(record).empty(); }, std::chrono::milliseconds(10000)))
        << "the link does not open the home page after the box";
    DeleteFileW(record.c_str());
}

TEST_F(ConversionErrors, TooLargeLengthWritesNothing) {
    AppSession& app = App();
    ChooseDirection(app, kRadioButton2);
    const Fields before{L"123", L"64424509", L"5"};
    WriteFields(app, before);
    PressConvert(app);
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->caption, L"Convert");
    EXPECT_EQ(box->text, L"The length is too large to convert.");
    EXPECT_EQ(ReadFields(app), before);
    ASSERT_TRUE(app.PressOk(*box));
    EXPECT_EQ(ReadFields(app), before);
}

}  // namespace
}  // namespace e2e

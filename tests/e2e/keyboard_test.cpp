#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "app_session.h"
#include "session_checks.h"
#include "user_input.h"
#include "wait_for.h"

namespace e2e {
namespace {

// Puts the caret at the end of a field by clicking it, as a user would.
void ClickIntoField(const AppSession& app, int id) {
    ASSERT_TRUE(app.ClickControl(id));
    ASSERT_TRUE(WaitFor([&] { return app.Focus() == app.Control(id); }));
    PressKey(VK_END);
}

// Keys that change nothing are followed by a digit: once the digit shows,
// the key before it has been handled.
void ExpectKeyChangesNothing(const AppSession& app, int id, const std::function<void()>& press) {
    const Fields before = ReadFields(app);
    const std::wstring text = app.Text(id);
    press();
    TypeText(L"5");
    EXPECT_TRUE(WaitFor([&] { return app.Text(id) == text + L"5"; }))
        << "field reads " << Utf8(app.Text(id));
    PressKey(VK_BACK);
    EXPECT_TRUE(WaitFor([&] { return app.Text(id) == text; }));
    EXPECT_EQ(ReadFields(app), before);
    EXPECT_TRUE(app.OtherVisibleWindows().empty());
}

bool PutOnClipboard(const std::wstring& text) {
    if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; })) return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    return put;
}

}  // namespace

void CheckTabOrder(const AppSession& app) {
    app.Activate();
    if (!app.Checked(kRadioButton1)) {
        ASSERT_TRUE(app.ClickControl(kRadioButton1));
        ASSERT_TRUE(WaitFor([&] { return app.Checked(kRadioButton1); }));
    }
    ClickIntoField(app, kEdit1);
    const int first_direction[] = {kEdit2, kRadioButton1, kEdit3, kButton1, kEdit1};
    for (int id : first_direction) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == app.Control(id); })) << "expected control " << id;
    }

    ASSERT_TRUE(app.ClickControl(kRadioButton2));
    ASSERT_TRUE(WaitFor([&] { return app.Checked(kRadioButton2); }));
    ClickIntoField(app, kEdit2);
    const int second_direction[] = {kRadioButton2, kEdit3};
    for (int id : second_direction) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == app.Control(id); })) << "expected control " << id;
    }
}

void CheckOnlyDigitsAreTyped(const AppSession& app) {
    app.Activate();
    app.SetText(kEdit1, L"");
    ClickIntoField(app, kEdit1);
    TypeText(L"1a2-3");
    EXPECT_TRUE(WaitFor([&] { return app.Text(kEdit1) == L"123"; })) << Utf8(app.Text(kEdit1));
    PressKey(VK_BACK);
    EXPECT_TRUE(WaitFor([&] { return app.Text(kEdit1) == L"12"; })) << "backspace deletes";
    TypeText(L"0123456789");
    EXPECT_TRUE(WaitFor([&] { return app.Text(kEdit1) == L"120123456789"; })) << "no length limit";
}

namespace {

TEST(Keyboard, TabOrderFollowsCheckedRadioButton) {
    AppSession app;
    CheckTabOrder(app);
}

TEST(Keyboard, TabIntoFieldSelectsAllItsText) {
    AppSession app;
    app.Activate();
    WriteFields(app, {L"12", L"345", L"6789"});
    ClickIntoField(app, kEdit1);
    const struct {
        int id;
        int length;
    } fields[] = {{kEdit2, 3}, {kEdit3, 4}};
    for (const auto& field : fields) {
        while (app.Focus() != app.Control(field.id)) {
            PressKey(VK_TAB);
            ASSERT_TRUE(WaitFor([&] { return app.Focus() != nullptr; }));
            if (app.Focus() == app.Control(kButton1)) FAIL() << "tabbed past control " << field.id;
            WaitFor([&] { return app.Focus() == app.Control(field.id); }, std::chrono::milliseconds(300));
        }
        DWORD_PTR selection = 0;
        SendMessageTimeoutW(app.Control(field.id), EM_GETSEL, 0, 0, SendFlags(), SendTimeoutMs(), &selection);
        EXPECT_EQ(LOWORD(selection), 0) << "control " << field.id;
        EXPECT_EQ(HIWORD(selection), field.length) << "control " << field.id;
    }
    TypeText(L"7");
    EXPECT_TRUE(WaitFor([&] { return app.Text(kEdit3) == L"7"; })) << "the digit replaces the selection";
}

TEST(Keyboard, EnterInAFieldDoesNotConvert) {
    AppSession app;
    app.Activate();
    WriteFields(app, {L"100", L"0", L"0"});
    for (int id : {kEdit1, kEdit2, kEdit3}) {
        SCOPED_TRACE(id);
        ClickIntoField(app, id);
        ExpectKeyChangesNothing(app, id, [] { PressKey(VK_RETURN); });
    }
    EXPECT_EQ(ReadFields(app), (Fields{L"100", L"0", L"0"}));
}

TEST(Keyboard, OnlyDigitsAreTyped) {
    AppSession app;
    CheckOnlyDigitsAreTyped(app);
}

TEST(Keyboard, RejectedKeysChangeNothing) {
    AppSession app;
    app.Activate();
    ASSERT_TRUE(PutOnClipboard(L"77"));
    WriteFields(app, {L"12", L"3", L"4"});
    const struct {
        const char* name;
        std::function<void()> press;
    } keys[] = {
        {"Enter", [] { PressKey(VK_RETURN); }},
        {"Escape", [] { PressKey(VK_ESCAPE); }},
        {"space", [] { TypeText(L" "); }},
        {"minus", [] { TypeText(L"-"); }},
        {"plus", [] { TypeText(L"+"); }},
        {"decimal point", [] { TypeText(L"."); }},
        {"letter", [] { TypeText(L"x"); }},
        {"Ctrl+V", [] { PressChord(VK_CONTROL, 'V'); }},
    };
    for (int id : {kEdit1, kEdit2, kEdit3}) {
        ClickIntoField(app, id);
        for (const auto& key : keys) {
            SCOPED_TRACE(std::string(key.name) + " in control " + std::to_string(id));
            ExpectKeyChangesNothing(app, id, key.press);
        }
    }
    EXPECT_EQ(ReadFields(app), (Fields{L"12", L"3", L"4"}));
}

// The context menu's Paste is not typing: the text gets in, and Convert refuses it.
TEST(Keyboard, PastedTextIsRefusedByConvert) {
    AppSession app;
    app.Activate();
    ASSERT_TRUE(PutOnClipboard(L"12 "));
    WriteFields(app, {L"", L"3", L"4"});
    ClickIntoField(app, kEdit1);
    ASSERT_TRUE(RightClick(Center(app.ScreenRect(kEdit1))));
    const bool menu = WaitFor([&] {
        HWND popup = FindWindowW(L"#32768", nullptr);
        return popup && IsWindowVisible(popup);
    });
    ASSERT_TRUE(menu) << "the field's context menu did not open";
    TypeText(L"p");  // the menu's Paste
    ASSERT_TRUE(WaitFor([&] { return app.Text(kEdit1) == L"12 "; })) << Utf8(app.Text(kEdit1));

    ASSERT_TRUE(app.ClickControl(kButton1));
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->text, L"'12 ' is not a valid integer value.");
    EXPECT_EQ(ReadFields(app), (Fields{L"12 ", L"3", L"4"})) << "nothing is written";
    EXPECT_TRUE(app.PressOk(*box));
}

}  // namespace
}  // namespace e2e

#include <gtest/gtest.h>

#include <memory>

#include "app_session.h"
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

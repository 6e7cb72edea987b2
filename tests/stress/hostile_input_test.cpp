#include <gtest/gtest.h>

#include <array>

#include "app_session.h"
#include "hostile_texts.h"
#include "wait_for.h"

namespace stress {
namespace {

using e2e::AppSession;
using e2e::Fields;

// Parsable texts that the program rewrites whenever it writes a field: a
// write of any of them shows.
const Fields kOthers{L"007", L"+1", L"05"};

void ChooseDirection(const AppSession& app, int radio) {
    if (app.Checked(radio)) return;
    ASSERT_TRUE(app.ClickControl(radio));
    ASSERT_TRUE(e2e::WaitFor([&] { return app.Checked(radio); }));
}

std::wstring& FieldOf(Fields& fields, int id) {
    return id == e2e::kEdit1 ? fields.cm : id == e2e::kEdit2 ? fields.chi : fields.cun;
}

// One refused text in one field: the box quotes it whole, no field is
// written, and after OK the window converts again.
void ExpectRefusedThenConvertsAgain(const AppSession& app, const HostileText& hostile, int field,
                                    int direction) {
    ChooseDirection(app, direction);
    Fields before = kOthers;
    e2e::WriteFields(app, before);
    ASSERT_TRUE(InsertText(app, field, hostile.text, hostile.insert)) << "the field did not take the text";
    FieldOf(before, field) = hostile.text;

    ASSERT_TRUE(app.ClickControl(e2e::kButton1));
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_TRUE(QuotesWholeText(box->text, hostile.text));
    EXPECT_EQ(box->visible_buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(e2e::ReadFields(app) == before) << "a field was written";
    ASSERT_TRUE(app.PressOk(*box));
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(app.Window()) != FALSE; }));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(e2e::ReadFields(app) == before) << "a field was written";
    EXPECT_TRUE(app.OtherVisibleWindows().empty()) << "a second box";

    const bool to_chi_cun = direction == e2e::kRadioButton1;
    e2e::WriteFields(app, to_chi_cun ? Fields{L"100", L"9", L"9"} : Fields{L"9", L"3", L"0"});
    ASSERT_TRUE(app.ClickControl(e2e::kButton1));
    EXPECT_TRUE(e2e::WaitForFields(app, {L"100", L"3", L"0"}))
        << testing::PrintToString(e2e::ReadFields(app));
    EXPECT_TRUE(app.OtherVisibleWindows().empty());
}

// The texts take the three fields and the two directions by turns, so that
// refusals are seen in the first field checked and in the later ones.
TEST(HostileInput, RefusedWholeNothingWrittenThenConverts) {
    AppSession app;
    constexpr std::array kFields{e2e::kEdit1, e2e::kEdit2, e2e::kEdit3};
    constexpr std::array kDirections{e2e::kRadioButton1, e2e::kRadioButton2};
    int turn = 0;
    for (const HostileText& hostile : HostileTexts()) {
        const int field = kFields[static_cast<std::size_t>(turn % 3)];
        const int direction = kDirections[static_cast<std::size_t>(turn / 3 % 2)];
        ++turn;
        SCOPED_TRACE(testing::Message() << hostile.name << " in field " << field << ", direction "
                                        << direction);
        ExpectRefusedThenConvertsAgain(app, hostile, field, direction);
        if (HasFatalFailure() || !app.Running()) return;
    }
}

// The long text in every field and direction: a field after a refused one
// must not be touched either, and the first field must not hide the others.
TEST(HostileInput, ThirtyThousandDigitsInEveryField) {
    AppSession app;
    const HostileText digits = HostileTexts().front();
    for (const int direction : {e2e::kRadioButton1, e2e::kRadioButton2}) {
        for (const int field : {e2e::kEdit1, e2e::kEdit2, e2e::kEdit3}) {
            SCOPED_TRACE(testing::Message() << "field " << field << ", direction " << direction);
            ExpectRefusedThenConvertsAgain(app, digits, field, direction);
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
}  // namespace stress

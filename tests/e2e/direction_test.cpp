#include <gtest/gtest.h>

#include "app_session.h"
#include "session_checks.h"
#include "user_input.h"
#include "wait_for.h"

namespace e2e {

void CheckArrowFollowsDirection(const AppSession& app) {
    const Fields fields{L"12", L"3", L"45"};
    WriteFields(app, fields);
    const struct {
        int click;
        int unchecked;
        const wchar_t* arrow;
    } steps[] = {
        {kRadioButton2, kRadioButton1, kArrowChiCunToCm},
        {kRadioButton1, kRadioButton2, kArrowCmToChiCun},
        {kRadioButton2, kRadioButton1, kArrowChiCunToCm},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.click);
        ASSERT_TRUE(app.ClickControl(step.click));
        EXPECT_TRUE(WaitFor([&] { return app.Text(kLabel1) == step.arrow; })) << Utf8(app.Text(kLabel1));
        EXPECT_TRUE(app.Checked(step.click));
        EXPECT_FALSE(app.Checked(step.unchecked));
        EXPECT_EQ(ReadFields(app), fields) << "switching never converts";
    }
}

namespace {

TEST(Direction, ArrowFollowsTheCheckedButtonAndFieldsStay) {
    AppSession app;
    CheckArrowFollowsDirection(app);
}

// The arrow is overwritten from outside: a handler run by the click would
// put the arrow back.
TEST(Direction, ClickingTheCheckedButtonCallsNothing) {
    AppSession app;
    app.Activate();
    const Fields fields{L"12", L"3", L"45"};
    WriteFields(app, fields);
    for (int radio : {kRadioButton1, kRadioButton2}) {
        SCOPED_TRACE(radio);
        if (!app.Checked(radio)) {
            ASSERT_TRUE(app.ClickControl(radio));
            ASSERT_TRUE(WaitFor([&] { return app.Checked(radio); }));
        }
        app.SetText(kLabel1, L"x");
        ASSERT_TRUE(app.ClickControl(radio));
        // A later click shows when this one has been handled.
        ASSERT_TRUE(app.ClickControl(kEdit3));
        ASSERT_TRUE(WaitFor([&] { return app.Focus() == app.Control(kEdit3); }));
        EXPECT_EQ(app.Text(kLabel1), L"x");
        EXPECT_TRUE(app.Checked(radio));
        EXPECT_EQ(ReadFields(app), fields);
    }
}

}  // namespace
}  // namespace e2e

#include <gtest/gtest.h>

#include "app_session.h"
#include "session_checks.h"

namespace e2e {

void CheckFirstShowState(const AppSession& app) {
    EXPECT_EQ(ReadFields(app), (Fields{L"0", L"0", L"0"}));
    EXPECT_TRUE(app.Checked(kRadioButton1));
    EXPECT_FALSE(app.Checked(kRadioButton2));
    EXPECT_EQ(app.Text(kLabel1), kArrowCmToChiCun);
}

void CheckFirstShowTexts(const AppSession& app) {
    EXPECT_EQ(app.WindowText(app.Window()), kCaption);
    const struct {
        int id;
        const wchar_t* text;
    } rows[] = {
        {kLabel2, L"厘米"},
        {kLabel3, L"尺"},
        {kLabel4, L"寸"},
        {kLabel8, L"澄岩社 荣誉出品"},
        {kRadioButton1, L"厘米转化为尺、寸"},
        {kRadioButton2, L"尺、寸转化为厘米"},
        {kButton1, L"转化"},
        {kRadioGroup1, L""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(app.Text(row.id), row.text) << "control " << row.id;
    }
}

void CheckDesignedPlace(const AppSession& app) {
    RECT window{}, client{}, panel{};
    GetWindowRect(app.Window(), &window);
    GetClientRect(app.Window(), &client);
    GetClientRect(GetDlgItem(app.Window(), kPanel1), &panel);
    EXPECT_EQ(window.left, 384);
    EXPECT_EQ(window.top, 279);
    EXPECT_EQ(client.right, 256);
    EXPECT_EQ(client.bottom, 112);
    EXPECT_EQ(panel.right, 256) << "the panel fills the client area";
    EXPECT_EQ(panel.bottom, 112);
}

namespace {

TEST(FirstShow, FieldsDirectionAndArrow) {
    AppSession app;
    CheckFirstShowState(app);
}

TEST(FirstShow, Texts) {
    AppSession app;
    CheckFirstShowTexts(app);
}

TEST(FirstShow, DesignedPlaceAndClientSize) {
    AppSession app;
    CheckDesignedPlace(app);
}

}  // namespace
}  // namespace e2e

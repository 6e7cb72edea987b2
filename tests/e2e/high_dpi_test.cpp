#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app_session.h"

namespace e2e {
namespace {

// The control's rectangle in the panel's client coordinates.
RECT InPanel(const AppSession& app, int id) {
    RECT rect = app.ScreenRect(id);
    MapWindowPoints(nullptr, GetDlgItem(app.Window(), kPanel1), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

int ClientHeight(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return rect.bottom;
}

// The extent of a label's text in the window font at this resolution, in the
// first Chinese UI face that has all its characters.
SIZE TextExtent(const std::wstring& text, int dpi) {
    HDC dc = GetDC(nullptr);
    SIZE extent{};
    for (const wchar_t* face : {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", L"NSimSun", L"SimHei"}) {
        LOGFONTW lf{};
        lf.lfHeight = MulDiv(-11, dpi, 96);
        lf.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        HFONT font = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        const bool covers = std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
        if (covers) GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, old);
        DeleteObject(font);
        if (covers) break;
    }
    ReleaseDC(nullptr, dc);
    return extent;
}

TEST(HighDpi, ScaledByAboutOneAndAHalfWithNothingClipped) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // The ctest entry e2e_HighDpi fails when it skips.
    if (dpi != 144) {
        GTEST_SKIP() << "needs a screen at 144 DPI; this one is at " << dpi
                     << " (under Wine the ctest entry e2e_HighDpi runs it in a prefix set so)";
    }

    AppSession app;
    RECT client{};
    GetClientRect(app.Window(), &client);
    EXPECT_NEAR(client.right / 256.0, 1.5, 0.15) << "client width " << client.right;
    EXPECT_NEAR(client.bottom / 112.0, 1.5, 0.15) << "client height " << client.bottom;

    RECT panel{};
    GetClientRect(GetDlgItem(app.Window(), kPanel1), &panel);
    EXPECT_EQ(panel.right, client.right);
    EXPECT_EQ(panel.bottom, client.bottom);
    const int all[] = {kLabel1, kLabel2, kLabel3, kLabel4, kLabel8, kEdit1, kEdit2, kEdit3,
                       kRadioGroup1, kRadioButton1, kRadioButton2, kButton1};
    for (int id : all) EXPECT_TRUE(Inside(InPanel(app, id), panel)) << "control " << id << " leaves the panel";

    // The top row, left to right, without overlaps.
    const int top_row[] = {kEdit1, kLabel2, kLabel1, kEdit2, kLabel3, kEdit3, kLabel4};
    for (std::size_t i = 1; i < std::size(top_row); ++i) {
        EXPECT_LE(InPanel(app, top_row[i - 1]).right, InPanel(app, top_row[i]).left)
            << "control " << top_row[i - 1] << " overlaps control " << top_row[i];
    }
    const RECT frame = InPanel(app, kRadioGroup1);
    for (int id : {kRadioButton1, kRadioButton2, kButton1}) {
        EXPECT_TRUE(Inside(InPanel(app, id), frame)) << "control " << id << " leaves the frame";
    }
    EXPECT_LE(frame.bottom, InPanel(app, kLabel8).top) << "the credit label is under the frame";
    EXPECT_LE(InPanel(app, kEdit1).bottom, frame.top) << "the fields are above the frame";

    for (int id : {kLabel1, kLabel2, kLabel3, kLabel4, kLabel8}) {
        const SIZE extent = TextExtent(app.Text(id), dpi);
        const RECT label = InPanel(app, id);
        EXPECT_GE(label.right - label.left, extent.cx) << "text of control " << id << " is cut";
        EXPECT_GE(label.bottom - label.top, extent.cy) << "text of control " << id << " is cut";
    }
    // Text of the window font's height fits inside the fields and buttons.
    const int text_height = InPanel(app, kLabel2).bottom - InPanel(app, kLabel2).top;
    for (int id : {kEdit1, kEdit2, kEdit3, kRadioButton1, kRadioButton2, kButton1}) {
        EXPECT_GE(ClientHeight(app.Control(id)), text_height) << "control " << id << " is too low for its text";
    }
}

}  // namespace
}  // namespace e2e

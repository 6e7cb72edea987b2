// The window laid out again for another DPI (WM_DPICHANGED, on a move to a
// monitor of another resolution): it is made in place for the system's DPI,
// so this is the only path that lays out a window that already exists.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "window/dpi.h"
#include "window/unit1.h"

namespace convert {
namespace {

BOOL CALLBACK AddPlace(HWND child, LPARAM out) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    reinterpret_cast<std::vector<RECT>*>(out)->push_back(rect);
    return TRUE;
}

// The window's size, then every child's place in its parent, in z-order.
std::vector<RECT> Snapshot(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    std::vector<RECT> rects{{0, 0, frame.right - frame.left, frame.bottom - frame.top}};
    EnumChildWindows(window, AddPlace, reinterpret_cast<LPARAM>(&rects));
    return rects;
}

std::vector<RECT> AtDpi(HWND window, int dpi) {
    RECT suggested{};
    GetWindowRect(window, &suggested);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return Snapshot(window);
}

TEST(FormLayout, GrowsWithTheDpiAndComesBackExactly) {
    TForm1 form;
    ASSERT_FALSE(form.Create());
    const int dpi = DpiForWindow(form.Handle());
    const std::vector<RECT> before = Snapshot(form.Handle());
    const std::vector<RECT> doubled = AtDpi(form.Handle(), dpi * 2);
    const std::vector<RECT> after = AtDpi(form.Handle(), dpi);
    ASSERT_EQ(before.size(), 14u);  // the window, the panel and the 12 controls on it
    ASSERT_EQ(doubled.size(), before.size());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_GT(doubled[i].right - doubled[i].left, before[i].right - before[i].left) << "child " << i;
        EXPECT_GT(doubled[i].bottom - doubled[i].top, before[i].bottom - before[i].top) << "child " << i;
        EXPECT_TRUE(EqualRect(&after[i], &before[i])) << "child " << i;
    }
}

// The link look, read from the label's font.
bool Underlined(const Label& label) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label.Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfUnderline != 0;
}

void MoveOnto(const Control& control) { SendMessageW(control.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1)); }

// What each window of the program reports: the window the pointer is over.
void ReportPointerOver(HWND window, HWND over) {
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(over), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// A window that goes while its link is hovered leaves nothing behind for a
// window made after it in the same process.
TEST(FormHover, AWindowGoneWhileHoveredLeavesTheNextAlone) {
    auto first = std::make_unique<TForm1>();
    ASSERT_FALSE(first->Create());
    MoveOnto(*first->Label8);
    ASSERT_TRUE(Underlined(*first->Label8));
    first.reset();

    TForm1 second;
    ASSERT_FALSE(second.Create());
    EXPECT_FALSE(Underlined(*second.Label8));
    ReportPointerOver(second.Handle(), second.Handle());
    MoveOnto(*second.Label8);
    EXPECT_TRUE(Underlined(*second.Label8)) << "the link look on entering";
    ReportPointerOver(second.Label2->Handle(), second.Label2->Handle());
    EXPECT_FALSE(Underlined(*second.Label8)) << "the resting look once the pointer is elsewhere";
    MoveOnto(*second.Label8);
    MoveOnto(*second.Label2);
    EXPECT_FALSE(Underlined(*second.Label8)) << "the resting look once the pointer is on another label";
}

}  // namespace
}  // namespace convert

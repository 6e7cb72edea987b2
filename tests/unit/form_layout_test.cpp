// The window laid out again for another DPI (WM_DPICHANGED, when it moves to
// a monitor of another resolution). It is made in place for the system's DPI,
// so this is the only path that lays out a window that already exists.
#include <gtest/gtest.h>

#include <vector>

#include "window/dpi.h"
#include "window/unit1.h"

namespace convert {
namespace {

struct Placed {
    int id;
    RECT rect;  // in the parent's client coordinates
};

BOOL CALLBACK Record(HWND child, LPARAM lparam) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    reinterpret_cast<std::vector<Placed>*>(lparam)->push_back({GetDlgCtrlID(child), rect});
    return TRUE;
}

// The window's size, then every child's place, in z-order.
std::vector<Placed> Snapshot(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    std::vector<Placed> placed{{0, {0, 0, frame.right - frame.left, frame.bottom - frame.top}}};
    EnumChildWindows(window, Record, reinterpret_cast<LPARAM>(&placed));
    return placed;
}

void ChangeDpi(HWND window, int dpi) {
    RECT suggested{};
    GetWindowRect(window, &suggested);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST(FormLayout, GrowsWithTheDpiAndComesBackExactly) {
    TForm1 form;
    ASSERT_FALSE(form.Create());
    const int dpi = DpiForWindow(form.Handle());
    const std::vector<Placed> before = Snapshot(form.Handle());
    ASSERT_EQ(before.size(), 14u);  // the window, the panel and the 12 controls on it

    ChangeDpi(form.Handle(), dpi * 2);
    const std::vector<Placed> doubled = Snapshot(form.Handle());
    ASSERT_EQ(doubled.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const RECT& was = before[i].rect;
        const RECT& now = doubled[i].rect;
        EXPECT_EQ(doubled[i].id, before[i].id);
        EXPECT_GT(now.right - now.left, was.right - was.left) << "child " << i << ", ID " << before[i].id;
        EXPECT_GT(now.bottom - now.top, was.bottom - was.top) << "child " << i << ", ID " << before[i].id;
    }

    ChangeDpi(form.Handle(), dpi);
    const std::vector<Placed> after = Snapshot(form.Handle());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_TRUE(EqualRect(&after[i].rect, &before[i].rect)) << "child " << i << ", ID " << before[i].id;
    }
}

}  // namespace
}  // namespace convert

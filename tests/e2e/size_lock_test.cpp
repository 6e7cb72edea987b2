#include <gtest/gtest.h>

#include <optional>

#include "app_session.h"
#include "session_checks.h"
#include "user_input.h"
#include "wait_for.h"

namespace e2e {
namespace {

RECT WindowRect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

SIZE SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

LRESULT HitTest(HWND hwnd, POINT screen) {
    DWORD_PTR hit = HTNOWHERE;
    SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y), SendFlags(), SendTimeoutMs(), &hit);
    return static_cast<LRESULT>(hit);
}

// A point on the frame's bottom-right corner, found by asking the window.
std::optional<POINT> SizingCorner(HWND hwnd) {
    const RECT rect = WindowRect(hwnd);
    for (int inset = 1; inset <= 6; ++inset) {
        const POINT corner{rect.right - inset, rect.bottom - inset};
        if (HitTest(hwnd, corner) == HTBOTTOMRIGHT) return corner;
    }
    return std::nullopt;
}

POINT OnCaption(HWND hwnd) {
    const RECT rect = WindowRect(hwnd);
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT client_origin{0, 0};
    ClientToScreen(hwnd, &client_origin);
    return {rect.left + 40, (rect.top + client_origin.y) / 2};
}

}  // namespace

void CheckFrameDragKeepsSize(const AppSession& app) {
    app.Activate();
    const RECT before = WindowRect(app.Window());

    const auto corner = SizingCorner(app.Window());
    ASSERT_TRUE(corner) << "no sizing corner on the frame";
    ASSERT_TRUE(Drag(app.Window(), *corner, {corner->x + 80, corner->y + 60}));

    // Moving by the caption: once the move shows, the drag before it is over.
    const POINT caption = OnCaption(app.Window());
    ASSERT_EQ(HitTest(app.Window(), caption), HTCAPTION);
    ASSERT_TRUE(Drag(app.Window(), caption, {caption.x - 50, caption.y + 30}));
    EXPECT_TRUE(WaitFor([&] { return WindowRect(app.Window()).left == before.left - 50; }))
        << "the window did not move";
    const RECT after = WindowRect(app.Window());
    EXPECT_EQ(after.top, before.top + 30);
    EXPECT_EQ(SizeOf(after).cx, SizeOf(before).cx);
    EXPECT_EQ(SizeOf(after).cy, SizeOf(before).cy);
}

void CheckMaximiseKeepsSize(const AppSession& app) {
    const SIZE before = SizeOf(WindowRect(app.Window()));
    PostMessageW(app.Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(app.Window()) != FALSE; }));
    const SIZE after = SizeOf(WindowRect(app.Window()));
    EXPECT_EQ(after.cx, before.cx);
    EXPECT_EQ(after.cy, before.cy);
}

namespace {

TEST(SizeLock, FrameDragKeepsSizeAndMoveWorks) {
    AppSession app;
    CheckFrameDragKeepsSize(app);
}

TEST(SizeLock, MaximiseKeepsSize) {
    AppSession app;
    CheckMaximiseKeepsSize(app);
}

}  // namespace
}  // namespace e2e

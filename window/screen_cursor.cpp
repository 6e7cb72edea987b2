#include "window/screen_cursor.h"

namespace convert {
namespace {

// Asks the window under the pointer to set its own cursor again.
void RefreshCursorUnderPointer() {
    POINT point;
    if (!GetCursorPos(&point)) return;
    HWND hwnd = WindowFromPoint(point);
    if (!hwnd) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return;
    const LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

}  // namespace

void CursorOverride::Set(ScreenCursor cursor) {
    if (cursor == current_) return;
    current_ = cursor;
    if (cursor == ScreenCursor::HandPoint) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
    } else {
        RefreshCursorUnderPointer();
    }
}

bool CursorOverride::Apply(LPARAM lparam) const {
    if (current_ == ScreenCursor::Default || LOWORD(lparam) != HTCLIENT) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

}  // namespace convert

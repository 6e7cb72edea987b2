#include "window/panel.h"

namespace convert {

bool Panel::Register() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TPanel";
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

DWORD Panel::Style() const { return WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN; }

namespace {

// The raised one-pixel bevel in the dark palette: light above and left,
// dark below and right.
void DrawDarkBevel(HDC dc, const RECT& rect) {
    FillSolid(dc, {rect.left, rect.top, rect.right, rect.top + 1}, kDark.bevel_light);
    FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, kDark.bevel_light);
    FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, kDark.bevel_dark);
    FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, kDark.bevel_dark);
}

}  // namespace

LRESULT Panel::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wparam, lparam, result)) return result;
    const bool dark = State().palette.Dark();
    if (msg == WM_ERASEBKGND && dark) {
        RECT rect;
        GetClientRect(Handle(), &rect);
        FillRect(reinterpret_cast<HDC>(wparam), &rect, State().palette.FaceBrush());
        return 1;
    }
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT rect;
        GetClientRect(Handle(), &rect);
        if (dark) {
            DrawDarkBevel(dc, rect);
        } else {
            DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert

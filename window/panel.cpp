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

LRESULT Panel::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wparam, lparam, result)) return result;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT rect;
        GetClientRect(Handle(), &rect);
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        EndPaint(Handle(), &ps);
        return 0;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert

#include "window/dpi.h"

#include "window/gdi.h"
#include "window/system_library.h"

namespace convert {
namespace {

// user32 is loaded in every window program: nothing is searched for here.
template <typename Fn>
Fn* User32Function(const char* name) {
    return ProcAddress<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

}  // namespace

int SystemDpi() {
    using GetDpiForSystemFn = UINT WINAPI();
    static const auto get_dpi_for_system = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (get_dpi_for_system) return static_cast<int>(get_dpi_for_system());
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int DpiForWindow(HWND hwnd) {
    using GetDpiForWindowFn = UINT WINAPI(HWND);
    static const auto get_dpi_for_window = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (hwnd && get_dpi_for_window) {
        const UINT dpi = get_dpi_for_window(hwnd);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi) {
    using AdjustFn = BOOL WINAPI(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust_for_dpi = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
    if (adjust_for_dpi && adjust_for_dpi(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
}

}  // namespace convert

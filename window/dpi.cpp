#include "window/dpi.h"

#include "window/gdi.h"
#include "window/system_functions.h"

namespace convert {

// Each lookup is made once; its result never changes.

int SystemDpi() {
    static const auto get_dpi_for_system = MappedFunction(kGetDpiForSystem);
    if (get_dpi_for_system) return static_cast<int>(get_dpi_for_system());
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int DpiForWindow(HWND hwnd) {
    static const auto get_dpi_for_window = MappedFunction(kGetDpiForWindow);
    if (hwnd && get_dpi_for_window) {
        const UINT dpi = get_dpi_for_window(hwnd);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi) {
    static const auto adjust_for_dpi = MappedFunction(kAdjustWindowRectExForDpi);
    if (adjust_for_dpi && adjust_for_dpi(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
}

}  // namespace convert

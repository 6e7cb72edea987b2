// DPI functions of newer Windows versions, loaded at run time with fallbacks
// for older systems.
#pragma once

#include <windows.h>

namespace convert {

// The DPI the window is shown at; the system DPI where per-window DPI is unknown.
int DpiForWindow(HWND hwnd);
int SystemDpi();
// Grows a client rectangle to the window rectangle for the style at a DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi);

}  // namespace convert

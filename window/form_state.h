// What the window holds on behalf of all its controls: the fonts and their
// face, the colours they are drawn in (high contrast, the app mode), the
// label under the pointer and the cursor override. The window owns it; each control points at it.
#pragma once

#include <windows.h>

#include "window/colours.h"
#include "window/gdi.h"
#include "window/hover.h"
#include "window/screen_cursor.h"

namespace convert {

struct FormState {
    Fonts fonts;
    Hover hover;
    CursorOverride cursor;
    Palette palette;

    // WM_SETCURSOR, in the window and in every control: the hover hears
    // where the pointer is, then the override may set the cursor (true:
    // handled).
    bool SetCursor(WPARAM wparam, LPARAM lparam) {
        hover.PointerOver(reinterpret_cast<HWND>(wparam));
        return cursor.Apply(lparam);
    }
};

}  // namespace convert

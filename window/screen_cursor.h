// The application-wide cursor: while set, it shows over the client areas of
// all the program's windows, whatever their own cursor.
#pragma once

#include <windows.h>

namespace convert {

enum class ScreenCursor { Default, HandPoint };

void SetScreenCursor(ScreenCursor cursor);

// For WM_SETCURSOR in every window of the program: true when the override
// has set the cursor and the message is handled.
bool ApplyScreenCursor(LPARAM lparam);

}  // namespace convert

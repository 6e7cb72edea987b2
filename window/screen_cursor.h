// The application-wide cursor: while set, it shows over the client areas of
// all the window's controls, whatever their own cursor.
#pragma once

#include <windows.h>

namespace convert {

enum class ScreenCursor { Default, HandPoint };

class CursorOverride {
public:
    void Set(ScreenCursor cursor);
    // For WM_SETCURSOR: true when the override has set the cursor and the
    // message is handled.
    bool Apply(LPARAM lparam) const;

private:
    ScreenCursor current_ = ScreenCursor::Default;
};

}  // namespace convert

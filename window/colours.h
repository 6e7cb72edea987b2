// The colours the window draws in. In light mode they are the system's,
// resolved when drawing, so a change of the system's colours shows at once.
// System colours do not follow the app mode, so in dark mode the window
// draws in a dark palette of its own. High contrast comes first: while it is
// on, the window draws only in the theme's colours, whatever the app mode.
#pragma once

#include <windows.h>

#include "window/form_description.h"
#include "window/gdi.h"

namespace convert {

COLORREF ToColorRef(ColorDesc color);

// What the system says about the colours the window is to draw in. The
// window asks at start and again whenever the system's settings, colours or
// theme change.
struct ColourMode {
    bool high_contrast = false;
    bool dark_apps = false;  // the user's app mode is dark
    bool Dark() const { return dark_apps && !high_contrast; }
    bool operator==(const ColourMode&) const = default;
};
ColourMode SystemColourMode();

// The two questions SystemColourMode asks, answered by the system unless a
// test has put its own answers in their place (Wine can switch neither high
// contrast nor, for a running program, the system's colours); the previous
// ones are returned, for the test to put back.
struct ColourQueries {
    bool (*high_contrast)();
    bool (*dark_apps)();
};
ColourQueries ReplaceColourQueries(ColourQueries queries);
// The system's own answers. Dark only when AppsUseLightTheme is 0: Windows
// before 10 has no such value, and anything unreadable means light.
bool SystemHighContrast();
bool SystemAppsDark();

// The dark palette, after Windows 11's own dark windows. Against what it
// stands on, every text reads at 4.5:1 or more (white on the face 16.3:1, on
// the fields 13.8:1, on the button at its lightest 8.1:1; the link 6.3:1) and
// the red arrow, a symbol, at 4.1:1; the frames at 3.7:1.
struct DarkColours {
    COLORREF face;        // form, panel, labels, group frame inside, radio buttons
    COLORREF text;
    COLORREF field;
    COLORREF frame;       // group frame, button border, radio circle
    COLORREF link;        // the credit under the pointer
    COLORREF button, button_hot, button_pressed;
    COLORREF bevel_light, bevel_dark;  // the panel's raised edge
};
inline constexpr DarkColours kDark{RGB(32, 32, 32),    RGB(255, 255, 255), RGB(45, 45, 45),
                                   RGB(120, 120, 120), RGB(99, 162, 255),  RGB(60, 60, 60),
                                   RGB(80, 80, 80),    RGB(40, 40, 40),    RGB(64, 64, 64),
                                   RGB(16, 16, 16)};

// Makes the window's title bar dark or light again, where Windows documents
// how (Windows 10 build 19041 and later); elsewhere it does nothing.
void UseDarkTitleBar(HWND hwnd, bool dark);

// The colours one window draws in now, with the brushes its controls are
// painted with.
class Palette {
public:
    // Takes the system's answer; true when the window must be drawn again.
    bool Set(ColourMode mode);
    bool HighContrast() const { return mode_.high_contrast; }
    bool Dark() const { return mode_.Dark(); }

    // A described colour as it is drawn now.
    COLORREF Colour(ColorDesc color) const;
    // The background of the form, the panel, the labels and the frame.
    HBRUSH FaceBrush() const;
    HBRUSH FieldBrush() const { return field_.get(); }  // dark mode only
    // A label's text: its font colour (the described one, or the one a
    // handler gave it), unless high contrast is on (then the theme's text
    // colour, or its link colour for a link under the pointer) or the mode is
    // dark (then the link under the pointer takes the palette's link blue).
    COLORREF LabelText(ColorDesc font_color, bool link_hovered) const;

private:
    ColourMode mode_;
    Brush face_, field_;  // made once dark mode is first needed
};

}  // namespace convert

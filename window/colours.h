// The colours the window draws in. System colours are resolved when drawing,
// so a change of the system's colours shows at once.
#pragma once

#include <windows.h>

#include "window/form_description.h"

namespace convert {

COLORREF ToColorRef(ColorDesc color);

// Whether the user's high-contrast theme is on, asked of the system. The
// window asks at start and again whenever the system's settings or colours
// change; while it is on, the window draws only in the theme's colours.
bool SystemHighContrast();

// The colour a label's text is drawn in: its font colour (the described one,
// or the one a handler gave it), unless high contrast is on; then the link
// look (a link under the pointer) takes the theme's link colour and every
// other text the theme's text colour.
COLORREF LabelTextColor(ColorDesc font_color, bool link_hovered, bool high_contrast);

}  // namespace convert

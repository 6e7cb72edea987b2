#include "window/colours.h"

namespace convert {

COLORREF ToColorRef(ColorDesc color) {
    switch (color.kind) {
        case ColorKind::BtnFace: return GetSysColor(COLOR_BTNFACE);
        case ColorKind::WindowText: return GetSysColor(COLOR_WINDOWTEXT);
        case ColorKind::Rgb: break;
    }
    return color.rgb;
}

bool SystemHighContrast() {
    HIGHCONTRASTW info{};
    info.cbSize = sizeof info;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof info, &info, 0) &&
           (info.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF LabelTextColor(ColorDesc font_color, bool link_hovered, bool high_contrast) {
    if (!high_contrast) return ToColorRef(font_color);
    return GetSysColor(link_hovered ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT);
}

}  // namespace convert

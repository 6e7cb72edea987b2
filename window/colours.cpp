#include "window/colours.h"

#include "window/system_functions.h"

namespace convert {
namespace {

ColourQueries queries{SystemHighContrast, SystemAppsDark};

}  // namespace

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

bool SystemAppsDark() {
    DWORD light = 1, size = sizeof light;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                        L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size) == ERROR_SUCCESS &&
           light == 0;
}

ColourQueries ReplaceColourQueries(ColourQueries replacement) {
    const ColourQueries previous = queries;
    queries = replacement;
    return previous;
}

ColourMode SystemColourMode() { return {queries.high_contrast(), queries.dark_apps()}; }

void UseDarkTitleBar(HWND hwnd, bool dark) {
    // DWMWA_USE_IMMERSIVE_DARK_MODE; earlier builds gave the number no such
    // meaning.
    constexpr DWORD kUseImmersiveDarkMode = 20;
    static const bool documented = [] {
        const auto get_version = MappedFunction(kRtlGetVersion);
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        return get_version && get_version(&version) == 0 &&
               (version.dwMajorVersion > 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber >= 19041));
    }();
    if (!documented) return;
    static const auto set_attribute = LoadedFunction(kDwmSetWindowAttribute);
    const BOOL value = dark;
    if (set_attribute) set_attribute(hwnd, kUseImmersiveDarkMode, &value, sizeof value);
}

bool Palette::Set(ColourMode mode) {
    if (mode.Dark() && !face_.get()) {
        face_ = Brush(kDark.face);
        field_ = Brush(kDark.field);
    }
    const bool changed = mode != mode_;
    mode_ = mode;
    return changed;
}

COLORREF Palette::Colour(ColorDesc color) const {
    if (Dark()) {
        if (color.kind == ColorKind::BtnFace) return kDark.face;
        if (color.kind == ColorKind::WindowText) return kDark.text;
    }
    return ToColorRef(color);
}

HBRUSH Palette::FaceBrush() const { return Dark() ? face_.get() : GetSysColorBrush(COLOR_BTNFACE); }

COLORREF Palette::LabelText(ColorDesc font_color, bool link_hovered) const {
    if (HighContrast()) return GetSysColor(link_hovered ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT);
    if (Dark() && link_hovered) return kDark.link;
    return Colour(font_color);
}

}  // namespace convert

// Tiny owners for GDI objects and device contexts.
#pragma once

#include <windows.h>

#include <utility>

namespace convert {

// Owns an HFONT and deletes it.
class Font {
public:
    Font() = default;
    explicit Font(HFONT font) : font_(font) {}
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    Font(Font&& other) noexcept : font_(std::exchange(other.font_, nullptr)) {}
    Font& operator=(Font&& other) noexcept {
        std::swap(font_, other.font_);
        return *this;
    }
    ~Font();
    HFONT get() const { return font_; }

private:
    HFONT font_ = nullptr;
};

// A window's DC, released on scope exit.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC for the scope; the DC and object are not ours.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;
    ~SelectObjectScope() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Makes a font. Fonts are counted while they live, so that tests can see that
// nothing leaks (Wine reports no GDI handle counts).
Font MakeFont(const LOGFONTW& logfont);
long LiveFontCount();

}  // namespace convert

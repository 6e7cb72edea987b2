// Tiny owners for GDI objects and device contexts, and the window's fonts.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "window/form_description.h"

namespace convert {

class Fonts;

// Owns an HFONT and deletes it; counted by the Fonts that made it, which
// outlives it.
class Font {
public:
    Font() = default;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    Font(Font&& other) noexcept
        : font_(std::exchange(other.font_, nullptr)), owner_(std::exchange(other.owner_, nullptr)) {}
    Font& operator=(Font&& other) noexcept {
        std::swap(font_, other.font_);
        std::swap(owner_, other.owner_);
        return *this;
    }
    ~Font();
    HFONT get() const { return font_; }

private:
    friend class Fonts;
    Font(HFONT font, Fonts* owner) : font_(font), owner_(font ? owner : nullptr) {}

    HFONT font_ = nullptr;
    Fonts* owner_ = nullptr;  // not ours
};

// The fonts of one window: the face they are made in, and how many live, so
// that tests can see that nothing leaks (Wine reports no GDI handle counts).
class Fonts {
public:
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // Where the designed face has no glyphs for the window's Chinese texts,
    // every font is made in this face instead; empty keeps the designed face.
    void SetDisplayFace(std::wstring face) { display_face_ = std::move(face); }
    // A described font at a DPI, in the display face.
    LOGFONTW LogFont(const FontDesc& font, int dpi) const;
    Font Make(const LOGFONTW& logfont);
    Font Make(const FontDesc& font, int dpi) { return Make(LogFont(font, dpi)); }
    long Live() const { return live_; }

private:
    friend class Font;

    std::wstring display_face_;
    long live_ = 0;
};

// Owns a solid brush and deletes it.
class Brush {
public:
    Brush() = default;
    explicit Brush(COLORREF colour) : brush_(CreateSolidBrush(colour)) {}
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    Brush& operator=(Brush&& other) noexcept {
        std::swap(brush_, other.brush_);
        return *this;
    }
    ~Brush() {
        if (brush_) DeleteObject(brush_);
    }
    HBRUSH get() const { return brush_; }

private:
    HBRUSH brush_ = nullptr;
};

// Plain colour with the DC's own brush: nothing to make or delete while drawing.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
void FrameSolid(HDC dc, const RECT& rect, COLORREF colour);

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

}  // namespace convert

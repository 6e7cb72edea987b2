// What a window description holds: every control, its place, text, font,
// colour, tab order and the handlers its events are bound to, as constant
// data (the converter's own is in form1_description.h).
#pragma once

#include <cstdint>
#include <span>

namespace convert {

enum class ControlKind { Panel, Label, Edit, RadioGroup, RadioButton, Button };

// Colours: a plain RGB value, or one of the system colours.
enum class ColorKind : std::uint8_t { Rgb, BtnFace, WindowText };
struct ColorDesc {
    ColorKind kind = ColorKind::WindowText;
    std::uint32_t rgb = 0;  // 0x00BBGGRR when kind is Rgb
};
inline constexpr ColorDesc clBtnFace{ColorKind::BtnFace, 0};
inline constexpr ColorDesc clWindowText{ColorKind::WindowText, 0};
inline constexpr ColorDesc clRed{ColorKind::Rgb, 0x0000FF};
inline constexpr ColorDesc clBlue{ColorKind::Rgb, 0xFF0000};

inline constexpr std::uint8_t kDefaultCharset = 1;  // DEFAULT_CHARSET

struct FontDesc {
    const wchar_t* face = L"MS Sans Serif";
    int height = -11;  // negative: character height in pixels at 96 DPI
    std::uint8_t charset = kDefaultCharset;
    ColorDesc color = clWindowText;
    bool underline = false;
};

enum class Align : std::uint8_t { None, Client, Custom };

// What a screen reader is told a control is, where its standard accessible
// object says something else.
enum class AccessibleRole : std::uint8_t { Standard, Link };

// An event and the name of the window's method that handles it.
struct EventBinding {
    const char* event = nullptr;  // "OnClick", "OnKeyPress", "OnMouseEnter", ...
    const char* handler = nullptr;
};

struct ControlDesc {
    const char* name;
    ControlKind kind;
    int id;  // control identifier, for the window and for tools that drive it
    int left, top, width, height;  // 96-DPI design units, relative to the parent
    const wchar_t* text;           // nullptr: no caption
    int tab_order;                 // -1: not in the tab order
    bool own_font = false;         // false: the parent's font
    FontDesc font = {};
    ColorDesc color = clBtnFace;
    Align align = Align::None;
    bool checked = false;
    bool tab_stop = true;
    std::span<const EventBinding> events = {};
    // The label whose own text names this control for screen readers, as
    // HTML's <label for> does; nullptr: the control's standard name.
    const char* labelled_by = nullptr;
    AccessibleRole role = AccessibleRole::Standard;
};

struct FormDesc {
    const char* name;
    const char* class_name;
    int left, top;                   // the designed place on the screen
    int width, height;               // the designed outer size
    int client_width, client_height;
    const wchar_t* caption;
    ColorDesc color;
    FontDesc font;
    int pixels_per_inch;
    int text_height;  // height of the window font's text at design
    std::span<const EventBinding> events;
    const ControlDesc* panel;  // the one child; every other control is its child
    std::span<const ControlDesc> controls;  // creation (and stacking) order
};

}  // namespace convert

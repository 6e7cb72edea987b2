// The stored description of the converter window, TFORM1: every control, its
// place, text, font, colour, tab order and the handlers its events are bound
// to, as constant data. The window is built from this table at start-up;
// adding a control means adding a row here and a member to TForm1. The
// handler names are checked against TForm1's methods when unit1.cpp is
// compiled.
#pragma once

#include "window/form_description.h"

namespace convert::form1 {

inline constexpr FontDesc kSansSerif{L"MS Sans Serif", -11, kDefaultCharset, clWindowText, false};
inline constexpr FontDesc kRedSansSerif{L"MS Sans Serif", -11, kDefaultCharset, clRed, false};

inline constexpr EventBinding kFormEvents[] = {{"OnShow", "FormShow"}};
inline constexpr EventBinding kLabel8Events[] = {
    {"OnClick", "Label8Click"},
    {"OnMouseEnter", "Label8MouseEnter"},
    {"OnMouseLeave", "Label8MouseLeave"},
};
inline constexpr EventBinding kEdit1Events[] = {{"OnKeyPress", "Edit1KeyPress"}};
inline constexpr EventBinding kEdit2Events[] = {{"OnKeyPress", "Edit2KeyPress"}};
inline constexpr EventBinding kEdit3Events[] = {{"OnKeyPress", "Edit3KeyPress"}};
inline constexpr EventBinding kRadioButton1Events[] = {{"OnClick", "RadioButton1Click"}};
inline constexpr EventBinding kRadioButton2Events[] = {{"OnClick", "RadioButton2Click"}};
inline constexpr EventBinding kButton1Events[] = {{"OnClick", "Button1Click"}};

inline constexpr ControlDesc kPanel1{.name = "Panel1", .kind = ControlKind::Panel, .id = 100,
                              .left = 0, .top = 0, .width = 256, .height = 112, .text = nullptr,
                              .tab_order = 0, .align = Align::Client, .tab_stop = false};

// name, kind, id, left, top, width, height, text, tab order, then the rest by name.
inline constexpr ControlDesc kControls[] = {
    {"Label1", ControlKind::Label, 101, 96, 11, 24, 13, L"＝》", -1, true, kRedSansSerif},
    {"Label2", ControlKind::Label, 102, 64, 11, 24, 13, L"厘米", -1},
    {"Label3", ControlKind::Label, 103, 168, 11, 12, 13, L"尺", -1},
    {"Label4", ControlKind::Label, 104, 232, 11, 12, 13, L"寸", -1},
    {.name = "Label8", .kind = ControlKind::Label, .id = 108, .left = 160, .top = 93, .width = 87,
     .height = 13, .text = L"澄岩社 荣誉出品", .tab_order = -1, .own_font = true, .font = kSansSerif,
     .events = kLabel8Events, .role = AccessibleRole::Link},
    {.name = "Edit1", .kind = ControlKind::Edit, .id = 111, .left = 8, .top = 8, .width = 49,
     .height = 21, .text = L"0", .tab_order = 0, .events = kEdit1Events,
     .labelled_by = "Label2"},
    {.name = "Edit2", .kind = ControlKind::Edit, .id = 112, .left = 120, .top = 8, .width = 41,
     .height = 21, .text = L"0", .tab_order = 1, .events = kEdit2Events,
     .labelled_by = "Label3"},
    {.name = "RadioGroup1", .kind = ControlKind::RadioGroup, .id = 120, .left = 8, .top = 29,
     .width = 241, .height = 60, .text = nullptr, .tab_order = 2, .align = Align::Custom,
     .tab_stop = false},
    {.name = "RadioButton1", .kind = ControlKind::RadioButton, .id = 121, .left = 16, .top = 40,
     .width = 113, .height = 17, .text = L"厘米转化为尺、寸", .tab_order = 3, .checked = true,
     .tab_stop = true, .events = kRadioButton1Events},
    {.name = "RadioButton2", .kind = ControlKind::RadioButton, .id = 122, .left = 16, .top = 64,
     .width = 113, .height = 17, .text = L"尺、寸转化为厘米", .tab_order = 4, .tab_stop = false,
     .events = kRadioButton2Events},
    {.name = "Edit3", .kind = ControlKind::Edit, .id = 113, .left = 184, .top = 8, .width = 41,
     .height = 21, .text = L"0", .tab_order = 5, .events = kEdit3Events,
     .labelled_by = "Label4"},
    {.name = "Button1", .kind = ControlKind::Button, .id = 130, .left = 152, .top = 56, .width = 75,
     .height = 25, .text = L"转化", .tab_order = 6, .events = kButton1Events},
};

inline constexpr FormDesc kForm1{
    .name = "Form1",
    .class_name = "TForm1",
    .left = 384,
    .top = 279,
    .width = 264,
    .height = 142,
    .client_width = 256,
    .client_height = 112,
    .caption = L"厘米《＝》尺、寸 转化",
    .color = clBtnFace,
    .font = kSansSerif,
    .pixels_per_inch = 96,
    .text_height = 13,
    .events = kFormEvents,
    .panel = &kPanel1,
    .controls = kControls,
};

}  // namespace convert::form1

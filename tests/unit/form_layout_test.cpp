// The window laid out again for another DPI (WM_DPICHANGED, on a move to a
// monitor of another resolution): it is made in place for the system's DPI,
// so this is the only path that lays out a window that already exists.
// And the colours the window is drawn in, light and dark, with high contrast
// on and off, as the system answers at start and after a change.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "window/dpi.h"
#include "window/form1_description.h"
#include "window/unit1.h"

namespace convert {
namespace {

BOOL CALLBACK AddPlace(HWND child, LPARAM out) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    reinterpret_cast<std::vector<RECT>*>(out)->push_back(rect);
    return TRUE;
}

// The window's place and size on the screen, then every child's place in its
// parent, in z-order.
std::vector<RECT> Snapshot(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    std::vector<RECT> rects{frame};
    EnumChildWindows(window, AddPlace, reinterpret_cast<LPARAM>(&rects));
    return rects;
}

std::vector<RECT> AtDpi(HWND window, int dpi, POINT place) {
    RECT suggested{};
    GetWindowRect(window, &suggested);
    OffsetRect(&suggested, place.x - suggested.left, place.y - suggested.top);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return Snapshot(window);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Counts the fonts a control lets go of after they were deleted: a control
// repainted before it had its new font would have drawn with a deleted one.
int dead_fonts_replaced = 0;
LRESULT CALLBACK WatchFonts(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_SETFONT) {
        auto* current = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        if (current && GetObjectType(current) != OBJ_FONT) ++dead_fonts_replaced;
    }
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}
BOOL CALLBACK WatchChildFonts(HWND child, LPARAM) {
    SetWindowSubclass(child, WatchFonts, 77, 0);
    return TRUE;
}

BOOL CALLBACK AddChild(HWND child, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
    return TRUE;
}

// What every control holds once the layout is done, read back from it: a
// font that still exists, of its described height at this DPI. The panel
// draws no text.
void ExpectLiveFontsAt(HWND window, int dpi) {
    std::vector<HWND> children;
    EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        const Control* control = Control::FromHandle(child);
        ASSERT_NE(control, nullptr);
        const ControlDesc& desc = control->Desc();
        if (desc.kind == ControlKind::Panel) continue;
        const FontDesc& described = desc.own_font ? desc.font : form1::kForm1.font;
        auto* held = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        LOGFONTW font{};
        if (GetObjectType(held) != OBJ_FONT || GetObjectW(held, sizeof font, &font) == 0) {
            ADD_FAILURE() << desc.name << " holds no live font at " << dpi << " DPI";
            continue;
        }
        EXPECT_EQ(font.lfHeight, MulDiv(described.height, dpi, 96)) << desc.name << " at " << dpi << " DPI";
    }
}

// Hidden, and shown: showing runs FormShow, which locks the window's size.
TEST(FormLayout, GrowsWithTheDpiAndComesBackExactly) {
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "shown" : "hidden");
        TForm1 form;
        ASSERT_FALSE(form.Create());
        if (shown) form.Show(SW_SHOWNOACTIVATE);
        EnumChildWindows(form.Handle(), WatchChildFonts, 0);
        dead_fonts_replaced = 0;
        const int dpi = DpiForWindow(form.Handle());
        const std::vector<RECT> before = Snapshot(form.Handle());
        const POINT moved{before[0].left + 40, before[0].top + 20};
        const std::vector<RECT> doubled = AtDpi(form.Handle(), dpi * 2, moved);
        ExpectLiveFontsAt(form.Handle(), dpi * 2);
        const int doubled_width = form.Width(), doubled_height = form.Height();

        // The size lock follows: the user still cannot resize the window.
        if (shown) {
            EXPECT_EQ(form.Constraints.min_width, doubled_width);
            EXPECT_EQ(form.Constraints.max_width, doubled_width);
            EXPECT_EQ(form.Constraints.min_height, doubled_height);
            EXPECT_EQ(form.Constraints.max_height, doubled_height);
            SetWindowPos(form.Handle(), nullptr, 0, 0, doubled_width + 50, doubled_height + 50,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_EQ(form.Width(), doubled_width);
            EXPECT_EQ(form.Height(), doubled_height);
        }
        RECT client{};
        GetClientRect(form.Handle(), &client);
        const std::vector<RECT> after = AtDpi(form.Handle(), dpi, {before[0].left, before[0].top});
        ExpectLiveFontsAt(form.Handle(), dpi);
        EXPECT_EQ(dead_fonts_replaced, 0) << "a control held a deleted font";

        ASSERT_EQ(before.size(), 14u);  // the window, the panel and the 12 controls on it
        ASSERT_EQ(doubled.size(), before.size());
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(doubled[0].left, moved.x) << "the window goes where the system suggests";
        EXPECT_EQ(doubled[0].top, moved.y);
        // Nothing is cut off: the panel fills the client area and holds every control.
        EXPECT_TRUE(EqualRect(&doubled[1], &client));
        for (std::size_t i = 2; i < doubled.size(); ++i) {
            EXPECT_TRUE(Inside(doubled[i], doubled[1])) << "child " << i << " leaves the panel";
        }
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_GT(doubled[i].right - doubled[i].left, before[i].right - before[i].left) << "child " << i;
            EXPECT_GT(doubled[i].bottom - doubled[i].top, before[i].bottom - before[i].top) << "child " << i;
            EXPECT_TRUE(EqualRect(&after[i], &before[i])) << "child " << i;
        }
    }
}

// ---- Colours ----

// The text colour and background a control is given when it is drawn.
struct Drawn {
    COLORREF text;
    COLORREF background;
};

// What the parent answers the control's WM_CTLCOLOR* message with.
Drawn DrawnColours(const Control& control, UINT message = WM_CTLCOLORSTATIC) {
    HDC dc = CreateCompatibleDC(nullptr);
    auto* brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control.Handle()), message,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(control.Handle())));
    LOGBRUSH look{};
    GetObjectW(brush, sizeof look, &look);
    const Drawn drawn{GetTextColor(dc), look.lbColor};
    DeleteDC(dc);
    return drawn;
}

// How many of a window's pixels on the screen have each colour; what other
// windows cover is left out.
std::map<COLORREF, int> PixelColours(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    HDC dc = GetDC(hwnd);
    std::map<COLORREF, int> counts;
    for (int y = 0; y < rect.bottom; ++y) {
        for (int x = 0; x < rect.right; ++x) {
            if (const COLORREF pixel = GetPixel(dc, x, y); pixel != CLR_INVALID) ++counts[pixel];
        }
    }
    ReleaseDC(hwnd, dc);
    return counts;
}

int PixelsOf(HWND hwnd, COLORREF colour) {
    const std::map<COLORREF, int> counts = PixelColours(hwnd);
    const auto found = counts.find(colour);
    return found == counts.end() ? 0 : found->second;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Sets system colours in this process (the system tells the window) and puts
// the old ones back at the end.
class SystemColours {
public:
    SystemColours(std::array<int, 3> elements, std::array<COLORREF, 3> colours) : elements_(elements) {
        for (std::size_t i = 0; i < elements_.size(); ++i) old_[i] = GetSysColor(elements_[i]);
        set_ = SetSysColors(3, elements_.data(), colours.data()) != 0;
    }
    ~SystemColours() {
        if (set_) SetSysColors(3, elements_.data(), old_.data());
    }
    bool Set() const { return set_; }

private:
    std::array<int, 3> elements_;
    std::array<COLORREF, 3> old_{};
    bool set_ = false;
};

// What the system answers the window about its colours, for the length of a
// test: Wine can switch neither high contrast nor its app mode for a running
// program, so the test answers in the system's place.
ColourMode answer;
class SystemAnswers {
public:
    explicit SystemAnswers(ColourMode start)
        : previous_(ReplaceColourQueries({[] { return answer.high_contrast; }, [] { return answer.dark_apps; }})) {
        answer = start;
    }
    SystemAnswers(const SystemAnswers&) = delete;
    SystemAnswers& operator=(const SystemAnswers&) = delete;
    ~SystemAnswers() { ReplaceColourQueries(previous_); }

private:
    ColourQueries previous_;
};

// The system telling every window of a change, as it does.
void Announce(HWND window, UINT message) {
    if (message == WM_SETTINGCHANGE) {
        SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    } else {
        SendMessageW(window, message, 0, 0);
    }
}

std::string LookName(ColourMode mode) {
    return std::string(mode.dark_apps ? "dark" : "light") + (mode.high_contrast ? ", high contrast" : "");
}

// The window takes the system's answers when it is made and again whenever
// it is told of a change, and draws itself again when they changed.
TEST(FormColours, TakeTheSystemsAnswerAtStartAndOnEveryChange) {
    const ColourMode looks[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const ColourMode start : looks) {
        SCOPED_TRACE("at start: " + LookName(start));
        const SystemAnswers answers(start);
        TForm1 form;
        ASSERT_FALSE(form.Create());
        form.Show(SW_SHOWNOACTIVATE);
        EXPECT_EQ(form.HighContrast(), start.high_contrast);
        EXPECT_EQ(DrawnColours(*form.Label2).background, start.Dark() ? kDark.face : GetSysColor(COLOR_BTNFACE));
        for (const UINT message : {UINT{WM_SETTINGCHANGE}, UINT{WM_SYSCOLORCHANGE}, UINT{WM_THEMECHANGED}}) {
            SCOPED_TRACE(message == WM_SETTINGCHANGE ? "WM_SETTINGCHANGE"
                         : message == WM_SYSCOLORCHANGE ? "WM_SYSCOLORCHANGE" : "WM_THEMECHANGED");
            for (const ColourMode next : looks) {
                if (next == answer) continue;
                SCOPED_TRACE("then: " + LookName(next));
                PumpMessages();
                answer = next;
                Announce(form.Handle(), message);
                EXPECT_EQ(form.HighContrast(), next.high_contrast);
                EXPECT_EQ(DrawnColours(*form.Label2).background,
                          next.Dark() ? kDark.face : GetSysColor(COLOR_BTNFACE));
                RECT update{};
                EXPECT_TRUE(GetUpdateRect(form.Label8->Handle(), &update, FALSE)) << "nothing is drawn again";
            }
        }
    }
}

// Every control in every look: the colours it is given, and what its pixels
// show once drawn. The window starts dark and then goes light while it runs.
TEST(FormColours, EveryControlInEveryLook) {
    const SystemAnswers answers({false, true});
    TForm1 form;
    ASSERT_FALSE(form.Create());
    form.Show(SW_SHOWNOACTIVATE);
    PumpMessages();

    enum class Expect { Red, Blue, Text, Link, DarkText, DarkLink };
    struct LabelCase {
        const char* what;
        Label* label;
        bool hovered;
        Expect light, dark, high_contrast;
    };
    const LabelCase labels[] = {
        {"arrow", form.Label1, false, Expect::Red, Expect::Red, Expect::Text},
        {"resting credit", form.Label8, false, Expect::Text, Expect::DarkText, Expect::Text},
        {"hovered credit", form.Label8, true, Expect::Blue, Expect::DarkLink, Expect::Link},
        {"centimetre", form.Label2, false, Expect::Text, Expect::DarkText, Expect::Text},
        {"chi", form.Label3, false, Expect::Text, Expect::DarkText, Expect::Text},
        {"cun", form.Label4, false, Expect::Text, Expect::DarkText, Expect::Text},
    };
    auto expected = [](Expect e) {
        switch (e) {
            case Expect::Red: return RGB(255, 0, 0);
            case Expect::Blue: return RGB(0, 0, 255);
            case Expect::Text: return GetSysColor(COLOR_WINDOWTEXT);
            case Expect::Link: return GetSysColor(COLOR_HOTLIGHT);
            case Expect::DarkText: return kDark.text;
            case Expect::DarkLink: break;
        }
        return kDark.link;
    };
    // On the screen, in light mode and in high contrast: a colour of the
    // system's that must show, and one of the dark palette's that must not.
    // In dark mode: a colour that must show, and no pixel in any colour
    // outside the palette (a themed control leaves the theme's: on Windows
    // a themed radio button's text is black whatever the window says).
    struct Ink {
        COLORREF shown, absent;
    };
    struct PaintedCase {
        const char* what;
        Control* control;
        Ink light;
        COLORREF dark;
    };
    const COLORREF palette[] = {kDark.face,   kDark.text,       kDark.field,           kDark.frame,
                                kDark.link,   kDark.button,     kDark.button_hot,      kDark.button_pressed,
                                kDark.bevel_light, kDark.bevel_dark, RGB(255, 0, 0)};
    auto outside_palette = [&](HWND hwnd) {
        int count = 0;
        for (const auto& [colour, pixels] : PixelColours(hwnd)) {
            if (std::find(std::begin(palette), std::end(palette), colour) == std::end(palette)) count += pixels;
        }
        return count;
    };
    const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF field = GetSysColor(COLOR_WINDOW);
    const PaintedCase painted[] = {
        {"panel", form.Panel1, {face, kDark.face}, kDark.bevel_light},
        {"centimetre label", form.Label2, {text, kDark.face}, kDark.text},
        {"centimetre field", form.Edit1, {field, kDark.field}, kDark.field},
        {"chi field", form.Edit2, {field, kDark.field}, kDark.field},
        {"cun field", form.Edit3, {field, kDark.field}, kDark.field},
        {"group frame", form.RadioGroup1, {face, kDark.frame}, kDark.frame},
        {"first radio button", form.RadioButton1, {text, kDark.face}, kDark.text},
        {"second radio button", form.RadioButton2, {text, kDark.face}, kDark.text},
        {"button", form.Button1, {text, kDark.button}, kDark.button},
    };

    // Each step is announced with another of the messages that make the
    // window ask again.
    const struct Step {
        ColourMode mode;
        UINT message;
    } steps[] = {
        {{false, true}, 0},  // as made
        {{false, false}, WM_SETTINGCHANGE},
        {{false, true}, WM_SYSCOLORCHANGE},
        {{true, true}, WM_THEMECHANGED},
        {{true, false}, WM_SETTINGCHANGE},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(LookName(step.mode));
        answer = step.mode;
        if (step.message) Announce(form.Handle(), step.message);
        PumpMessages();
        const bool dark = step.mode.Dark();
        for (const LabelCase& c : labels) {
            SCOPED_TRACE(c.what);
            if (c.hovered) SendMessageW(c.label->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
            const Drawn drawn = DrawnColours(*c.label);
            if (c.hovered) SendMessageW(c.label->Handle(), WM_MOUSELEAVE, 0, 0);
            EXPECT_EQ(drawn.text, expected(step.mode.high_contrast ? c.high_contrast : dark ? c.dark : c.light));
            EXPECT_EQ(drawn.background, dark ? kDark.face : face);
        }
        for (const Edit* edit : {form.Edit1.get(), form.Edit2.get(), form.Edit3.get()}) {
            const Drawn drawn = DrawnColours(*edit, WM_CTLCOLOREDIT);
            EXPECT_EQ(drawn.text, dark ? kDark.text : text);
            EXPECT_EQ(drawn.background, dark ? kDark.field : field);
        }
        PumpMessages();
        for (const PaintedCase& c : painted) {
            SCOPED_TRACE(c.what);
            EXPECT_GT(PixelsOf(c.control->Handle(), dark ? c.dark : c.light.shown), 0);
            if (dark) {
                EXPECT_EQ(outside_palette(c.control->Handle()), 0);
            } else {
                EXPECT_EQ(PixelsOf(c.control->Handle(), c.light.absent), 0);
            }
        }
    }
}

// In light mode the system's colours are looked up whenever a label is
// drawn, and a change of them shows at once.
TEST(FormColours, LightLabelsFollowTheSystemColours) {
    const SystemAnswers answers({false, false});
    TForm1 form;
    ASSERT_FALSE(form.Create());
    form.Show(SW_SHOWNOACTIVATE);
    PumpMessages();
    const COLORREF old_text = GetSysColor(COLOR_WINDOWTEXT);
    constexpr COLORREF kLight = RGB(250, 250, 250);
    const SystemColours changed({COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_HOTLIGHT},
                                {kLight, RGB(32, 32, 40), RGB(255, 255, 0)});
    ASSERT_TRUE(changed.Set());
    ASSERT_EQ(GetSysColor(COLOR_WINDOWTEXT), kLight);
    PumpMessages();
    EXPECT_GT(PixelsOf(form.Label2->Handle(), kLight), 0) << "no text in the new colour";
    EXPECT_EQ(PixelsOf(form.Label2->Handle(), old_text), 0) << "text left in the old colour";
    for (const bool high_contrast : {false, true}) {
        SCOPED_TRACE(high_contrast ? "high contrast" : "no high contrast");
        answer.high_contrast = high_contrast;
        Announce(form.Handle(), WM_SETTINGCHANGE);
        SendMessageW(form.Label8->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        EXPECT_EQ(DrawnColours(*form.Label8).text, high_contrast ? RGB(255, 255, 0) : RGB(0, 0, 255));
        SendMessageW(form.Label8->Handle(), WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(DrawnColours(*form.Label1).text, high_contrast ? kLight : RGB(255, 0, 0));
        EXPECT_EQ(DrawnColours(*form.Label2).text, kLight);
        EXPECT_EQ(DrawnColours(*form.Label2).background, RGB(32, 32, 40));
    }
}

// The link look, read from the label's font.
bool Underlined(const Label& label) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label.Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfUnderline != 0;
}

void MoveOnto(const Control& control) { SendMessageW(control.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1)); }

// What each window of the program reports: the window the pointer is over.
void ReportPointerOver(HWND window, HWND over) {
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(over), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// A window that goes while its link is hovered leaves nothing behind for a
// window made after it in the same process.
TEST(FormHover, AWindowGoneWhileHoveredLeavesTheNextAlone) {
    auto first = std::make_unique<TForm1>();
    ASSERT_FALSE(first->Create());
    MoveOnto(*first->Label8);
    ASSERT_TRUE(Underlined(*first->Label8));
    first.reset();

    TForm1 second;
    ASSERT_FALSE(second.Create());
    EXPECT_FALSE(Underlined(*second.Label8));
    ReportPointerOver(second.Handle(), second.Handle());
    MoveOnto(*second.Label8);
    EXPECT_TRUE(Underlined(*second.Label8)) << "the link look on entering";
    ReportPointerOver(second.Label2->Handle(), second.Label2->Handle());
    EXPECT_FALSE(Underlined(*second.Label8)) << "the resting look once the pointer is elsewhere";
    MoveOnto(*second.Label8);
    MoveOnto(*second.Label2);
    EXPECT_FALSE(Underlined(*second.Label8)) << "the resting look once the pointer is on another label";
}

// Whether the window, told the pointer is over it, shows the hand cursor.
bool ShowsHand(HWND window) {
    SetCursor(nullptr);
    ReportPointerOver(window, window);
    return GetCursor() == LoadCursorW(nullptr, IDC_HAND);
}

// A label that goes while hovered is left while it still has its window,
// so that what entering it set (the hand cursor) goes with it; nothing that
// happens in the window afterwards reaches the label that has gone.
TEST(FormHover, ALabelGoneWhileHoveredIsLeftOnceAndForgotten) {
    const UINT fonts_query = RegisterWindowMessageW(L"Convert.LiveFontCount");
    TForm1 form;
    ASSERT_FALSE(form.Create());
    form.Show(SW_SHOWNOACTIVATE);
    std::vector<HWND> leaves;  // the label's window at each leave
    form.Label8->OnMouseLeave = [&, leave = form.Label8->OnMouseLeave](Control& sender) {
        leaves.push_back(sender.Handle());
        leave(sender);
    };
    const LRESULT fonts = SendMessageW(form.Handle(), fonts_query, 0, 0);
    MoveOnto(*form.Label8);
    ASSERT_TRUE(ShowsHand(form.Label8->Handle()));
    HWND label = form.Label8->Handle();
    ASSERT_TRUE(DestroyWindow(label));
    EXPECT_EQ(leaves, std::vector<HWND>{label}) << "left once, as it went";

    ReportPointerOver(form.Handle(), form.Handle());
    ReportPointerOver(form.Label2->Handle(), form.Label2->Handle());
    MoveOnto(*form.Label2);
    SendMessageW(form.Label2->Handle(), WM_MOUSELEAVE, 0, 0);
    SendMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PumpMessages();
    EXPECT_EQ(leaves, std::vector<HWND>{label}) << "no leave after the label had gone";
    EXPECT_FALSE(ShowsHand(form.Handle())) << "the hand cursor outlived the label";
    EXPECT_FALSE(ShowsHand(form.Label2->Handle()));
    EXPECT_EQ(SendMessageW(form.Handle(), fonts_query, 0, 0), fonts) << "the window answers, holding its fonts";
}

// ---- What each window owns ----

// A window of the converter's description with one more member, pointing at
// a control by name; every handler it is asked for exists.
template <typename Kind>
class OneMoreMember final : public Form {
public:
    explicit OneMoreMember(const char* name) : Form(form1::kForm1), member(*this, name) {}
    ControlRef<Kind> member;

private:
    NotifyEvent NotifyHandler(std::string_view) override { return [](Control&) {}; }
    KeyPressEvent KeyPressHandler(std::string_view) override { return [](Control&, wchar_t&) {}; }
};

template <typename Kind>
std::string BuildMessage(const char* name) {
    OneMoreMember<Kind> form(name);
    const std::optional<BuildError> error = form.Build();
    if (error) return error->what();
    return form.member.get() == form.Find(name) ? "" : "the member points elsewhere";
}

// A member names its control; a name the description lacks, or a control of
// another kind, stops the build with what is wrong.
TEST(FormMembers, FindTheirControlByNameAndKind) {
    struct Case {
        std::string message, expected;
    };
    const Case cases[] = {
        {BuildMessage<Label>("Label8"), ""},
        {BuildMessage<RadioButton>("RadioButton2"), ""},
        {BuildMessage<Panel>("Panel1"), ""},
        {BuildMessage<Label>("Label9"), "no control named Label9"},
        {BuildMessage<Edit>("Label1"), "control of another kind: Label1"},
        {BuildMessage<RadioGroup>("RadioButton1"), "control of another kind: RadioButton1"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.message, c.expected);
}

// Each window counts its own fonts, the number the soak test asks for: a
// second window, or the first one going, leaves a window's count alone.
TEST(FormFonts, EachWindowCountsItsOwn) {
    const UINT query = RegisterWindowMessageW(L"Convert.LiveFontCount");
    auto first = std::make_unique<TForm1>();
    ASSERT_FALSE(first->Create());
    const LRESULT alone = SendMessageW(first->Handle(), query, 0, 0);
    EXPECT_GT(alone, 0);
    TForm1 second;
    ASSERT_FALSE(second.Create());
    EXPECT_EQ(SendMessageW(first->Handle(), query, 0, 0), alone);
    EXPECT_EQ(SendMessageW(second.Handle(), query, 0, 0), alone);
    MoveOnto(*second.Label8);  // the link look: the credit's font is made again, underlined
    EXPECT_EQ(SendMessageW(second.Handle(), query, 0, 0), alone);
    first.reset();
    EXPECT_EQ(SendMessageW(second.Handle(), query, 0, 0), alone);
}

}  // namespace
}  // namespace convert

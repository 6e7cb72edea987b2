// The window's layout: the face its texts are drawn in, its font and the
// scale of its controls for a DPI, and laying it out again when the DPI or
// the system's colours or colour mode change.
#include <string>
#include <vector>

#include "window/dpi.h"
#include "window/form.h"

namespace convert {
namespace {

// True when the font has a glyph for every character of the text.
bool FontCovers(HDC dc, HFONT font, const std::wstring& text) {
    SelectObjectScope select(dc, font);
    std::vector<WORD> glyphs(text.size());
    if (GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        return false;
    }
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF) return false;
    }
    return true;
}

}  // namespace

// The designed face may have no Chinese glyphs (it has none on most
// systems): then every font is made in the first Simplified-Chinese UI face
// that shows all the window's texts.
void Form::ChooseDisplayFace() {
    std::wstring texts = desc_.caption;
    for (const ControlDesc& row : desc_.controls) {
        if (row.text) texts += row.text;
    }
    texts += L"《＝";

    WindowDC dc(nullptr);  // the screen's: the window is not made yet
    const wchar_t* faces[] = {desc_.font.face, L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun",
                              L"NSimSun", L"SimHei"};
    for (const wchar_t* face : faces) {
        state_.fonts.SetDisplayFace(face);
        const Font font = state_.fonts.Make(desc_.font, 96);
        if (font.get() && FontCovers(dc.get(), font.get(), texts)) return;
    }
    state_.fonts.SetDisplayFace(desc_.font.face);  // none has them all: the system's font linking may
}

LayoutScale Form::MakeFontAndScale(int dpi) {
    font_ = state_.fonts.Make(desc_.font, dpi);

    // The controls scale with the height of the designed face's text.
    LayoutScale scale{desc_.text_height, desc_.text_height};
    LOGFONTW designed{};
    designed.lfHeight = MulDiv(desc_.font.height, dpi, 96);
    designed.lfCharSet = desc_.font.charset;
    wcsncpy(designed.lfFaceName, desc_.font.face, LF_FACESIZE - 1);
    const Font measure = state_.fonts.Make(designed);
    WindowDC dc(nullptr);
    SelectObjectScope select(dc.get(), measure.get());
    SIZE size{};
    if (GetTextExtentPoint32W(dc.get(), L"0", 1, &size) && size.cy > 0) scale.text_height = size.cy;
    // MS Sans Serif is a bitmap face of a few sizes, and above 96 DPI its text
    // may grow less than the resolution; the Chinese texts, drawn in faces
    // that scale, grow with it. The controls grow at least as much as they
    // do, or the credit would leave the panel (at 192 DPI the face's 20-pixel
    // text would scale the window by 1.54 and the texts by 2).
    if (static_cast<long long>(scale.text_height) * 96 < static_cast<long long>(scale.design_text_height) * dpi) {
        scale = {dpi, 96};
    }
    return scale;
}

SIZE Form::WindowSize(const LayoutScale& scale, int dpi) const {
    RECT rect{0, 0, scale(desc_.client_width), scale(desc_.client_height)};
    AdjustWindowRectForDpi(rect, Style(), ExStyle(), dpi);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The old font lives until every control has the new one: a control repainted
// in between would otherwise draw with a deleted font.
void Form::ApplyLayout(int dpi, const POINT* place) {
    const Font old_font = std::move(font_);
    const LayoutScale scale = MakeFontAndScale(dpi);
    const SIZE size = WindowSize(scale, dpi);
    // A size lock holds the window at its size for the old DPI: it follows to
    // the new size first, or the window could not take it.
    const int old_width = Width(), old_height = Height();
    if (Constraints.min_width == old_width && Constraints.max_width == old_width) {
        Constraints.min_width = Constraints.max_width = size.cx;
    }
    if (Constraints.min_height == old_height && Constraints.max_height == old_height) {
        Constraints.min_height = Constraints.max_height = size.cy;
    }
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!place) flags |= SWP_NOMOVE;
    SetWindowPos(hwnd_, nullptr, place ? place->x : 0, place ? place->y : 0, size.cx, size.cy, flags);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    panel_->Layout(scale, dpi, font_.get());
    for (const auto& control : controls_) control->Layout(scale, dpi, font_.get());
}

bool Form::TakeColourMode() {
    const bool was_dark = state_.palette.Dark();
    if (!state_.palette.Set(SystemColourMode())) return false;
    if (state_.palette.Dark() != was_dark) UseDarkTitleBar(hwnd_, state_.palette.Dark());
    return true;
}

// After a change of the system's colours or high contrast the whole window is
// drawn again; the controls are told, as the system tells only top-level
// windows.
void Form::Repaint(bool colours_changed) {
    if (colours_changed) {
        SendMessageW(panel_->Handle(), WM_SYSCOLORCHANGE, 0, 0);
        for (const auto& control : controls_) SendMessageW(control->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace convert

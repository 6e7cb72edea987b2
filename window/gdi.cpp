#include "window/gdi.h"

#include <cwchar>

namespace convert {

Font::~Font() {
    if (font_) {
        DeleteObject(font_);
        --owner_->live_;
    }
}

LOGFONTW Fonts::LogFont(const FontDesc& font, int dpi) const {
    LOGFONTW lf{};
    lf.lfHeight = MulDiv(font.height, dpi, 96);
    lf.lfWeight = FW_NORMAL;
    lf.lfUnderline = font.underline ? TRUE : FALSE;
    lf.lfCharSet = font.charset;
    lf.lfQuality = NONANTIALIASED_QUALITY;  // crisp, exact colours, like the classic 8-point face
    const wchar_t* face = display_face_.empty() ? font.face : display_face_.c_str();
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

Font Fonts::Make(const LOGFONTW& logfont) {
    HFONT font = CreateFontIndirectW(&logfont);
    if (font) ++live_;
    return Font(font, this);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace convert

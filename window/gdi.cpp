#include "window/gdi.h"

namespace convert {
namespace {
long live_fonts = 0;  // one thread runs the whole program
}

Font::~Font() {
    if (font_) {
        DeleteObject(font_);
        --live_fonts;
    }
}

Font MakeFont(const LOGFONTW& logfont) {
    HFONT font = CreateFontIndirectW(&logfont);
    if (font) ++live_fonts;
    return Font(font);
}

long LiveFontCount() { return live_fonts; }

}  // namespace convert

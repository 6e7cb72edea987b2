#include "screen_pixels.h"

#include <map>

namespace e2e {

ScreenCapture CaptureScreen(const RECT& rect) {
    ScreenCapture capture;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    if (capture.width <= 0 || capture.height <= 0) return capture;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();

    const auto* bgrx = static_cast<const DWORD*>(bits);
    capture.pixels.reserve(static_cast<std::size_t>(capture.width * capture.height));
    for (int i = 0; i < capture.width * capture.height; ++i) {
        const DWORD p = bgrx[i];
        capture.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

COLORREF MostCommonColour(const ScreenCapture& capture) {
    std::map<COLORREF, int> counts;
    for (const COLORREF pixel : capture.pixels) ++counts[pixel];
    COLORREF most = 0;
    int count = 0;
    for (const auto& [colour, pixels] : counts) {
        if (pixels > count) {
            most = colour;
            count = pixels;
        }
    }
    return most;
}

TextLook LookOfText(const ScreenCapture& capture, COLORREF background, COLORREF text) {
    TextLook look;
    for (int y = 0; y < capture.height; ++y) {
        int run = 0, longest = 0;
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF p = capture.At(x, y);
            if (p == background) {
                ++look.background;
                run = 0;
                continue;
            }
            longest = run + 1 > longest ? run + 1 : longest;
            ++run;
            if (p == text) {
                ++look.in_colour;
            } else {
                ++look.other_colours;
            }
        }
        // Glyphs leave gaps between characters and at the space; only an
        // underline runs through them.
        if (longest * 4 >= capture.width * 3) look.underline = true;
    }
    return look;
}

}  // namespace e2e

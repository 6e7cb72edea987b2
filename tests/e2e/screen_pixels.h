// What the screen shows in a rectangle, read back from the display.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct ScreenCapture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // row by row, top first
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

ScreenCapture CaptureScreen(const RECT& rect);
// The colour most of the capture shows (a background); black when empty.
COLORREF MostCommonColour(const ScreenCapture& capture);
// Writes the capture as a PNG file through the system's codecs (WIC): S_OK,
// or the error of the step that failed.
HRESULT SavePng(const ScreenCapture& capture, const std::wstring& path);

// How a line of text looks against its background.
struct TextLook {
    int background = 0;     // none when nothing has been drawn there yet
    int in_colour = 0;      // pixels of exactly the expected text colour
    int other_colours = 0;  // pixels of neither the background nor that colour
    bool underline = false; // a row of unbroken ink across most of the width
};

TextLook LookOfText(const ScreenCapture& capture, COLORREF background, COLORREF text);

}  // namespace e2e

// Real keyboard and mouse input, through the system's input queue, as a
// user produces it.
#pragma once

#include <windows.h>

#include <string_view>

namespace e2e {

void PressKey(WORD vk);
// The key pressed while the modifier is held, e.g. Ctrl+V, Alt+F4.
void PressChord(WORD modifier, WORD vk);
// Each character by the key (and Shift) that types it on the keyboard layout.
void TypeText(std::wstring_view text);

POINT Center(const RECT& rect);
// Moves the pointer there; false if it did not arrive.
bool MovePointer(POINT screen);
// Moves the pointer by moving the display's own pointer, so that the window
// system sees the motion as it sees a real mouse's.
bool WarpPointer(POINT screen);
// Moves the display's pointer there in steps, as a hand on the mouse does.
bool SlidePointer(POINT from, POINT to);
bool Click(POINT screen);
void PressLeftButton();
void ReleaseLeftButton();
bool RightClick(POINT screen);
// Presses the left button at one point, moves in steps, releases at another;
// true when the window was seen in its move or size loop meanwhile (the drag
// reached its frame or caption).
bool Drag(HWND window, POINT from, POINT to);

}  // namespace e2e

#include "user_input.h"

#include <vector>

#include "wait_for.h"

namespace e2e {
namespace {

INPUT KeyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT MouseInput(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

// Absolute coordinates are in 1/65536 of the screen; rounding up lands on the
// intended pixel.
LONG Normalised(LONG pixel, int extent) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
}

INPUT AbsoluteMove(POINT screen) {
    INPUT move = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    move.mi.dx = Normalised(screen.x, GetSystemMetrics(SM_CXSCREEN));
    move.mi.dy = Normalised(screen.y, GetSystemMetrics(SM_CYSCREEN));
    return move;
}

// Where the pointer is once it has stayed put for a moment.
POINT RestingPointer() {
    POINT last{};
    GetCursorPos(&last);
    ULONGLONG since = GetTickCount64();
    WaitFor([&] {
        POINT at{};
        GetCursorPos(&at);
        if (at.x != last.x || at.y != last.y) {
            last = at;
            since = GetTickCount64();
            return false;
        }
        return GetTickCount64() - since >= 120;
    });
    return last;
}

}  // namespace

void PressKey(WORD vk) { Send({KeyInput(vk, false), KeyInput(vk, true)}); }

void PressChord(WORD modifier, WORD vk) {
    Send({KeyInput(modifier, false), KeyInput(vk, false), KeyInput(vk, true), KeyInput(modifier, true)});
}

void TypeText(std::wstring_view text) {
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        const WORD vk = static_cast<WORD>(scan & 0xFF);
        if (scan & 0x100) {
            PressChord(VK_SHIFT, vk);
        } else {
            PressKey(vk);
        }
    }
}

POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// The X server echoes pointer moves back to Wine, sometimes late enough to
// drag the pointer to where it was before; so the pointer must stay put for a
// moment, and is moved again if it is pulled away.
bool MovePointer(POINT screen, bool warp) {
    const INPUT move = AbsoluteMove(screen);
    const auto go = [&] {
        if (warp) {
            SetCursorPos(screen.x, screen.y);
        } else {
            Send({move});
        }
    };
    go();
    ULONGLONG settled_since = 0;
    return WaitFor([&] {
        POINT at{};
        GetCursorPos(&at);
        if (at.x != screen.x || at.y != screen.y) {
            settled_since = 0;
            go();
            return false;
        }
        if (settled_since == 0) settled_since = GetTickCount64();
        return GetTickCount64() - settled_since >= 120;
    });
}

bool MovePointer(POINT screen) { return MovePointer(screen, false); }
bool WarpPointer(POINT screen) { return MovePointer(screen, true); }

bool SlidePointer(POINT from, POINT to) {
    constexpr int kSteps = 6;
    for (int step = 0; step <= kSteps; ++step) {
        if (!WarpPointer({from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps})) {
            return false;
        }
    }
    return true;
}

bool Click(POINT screen) {
    if (!MovePointer(screen)) return false;
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)});
    return true;
}

void PressLeftButton() { Send({MouseInput(MOUSEEVENTF_LEFTDOWN)}); }
void ReleaseLeftButton() { Send({MouseInput(MOUSEEVENTF_LEFTUP)}); }

bool RightClick(POINT screen) {
    if (!MovePointer(screen)) return false;
    Send({MouseInput(MOUSEEVENTF_RIGHTDOWN), MouseInput(MOUSEEVENTF_RIGHTUP)});
    return true;
}

namespace {

bool DragOnce(HWND window, POINT from, POINT to) {
    if (!MovePointer(from)) return false;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    bool seen = false;
    const auto in_move_size = [&] {
        return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE) && info.hwndMoveSize == window;
    };
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN)});
    constexpr int kSteps = 8;
    // The window's move or size loop may hold the pointer back (a locked
    // size does): each step is sent and given a moment, not waited for.
    for (int step = 1; step <= kSteps; ++step) {
        const POINT via{from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps};
        Send({AbsoluteMove(via)});
        Sleep(20);
        seen = seen || in_move_size();
    }
    // The loop may start only once the moves have been read.
    seen = seen || WaitFor(in_move_size, std::chrono::milliseconds(1000));
    // Under load the X server's late echo of an earlier step can pull the
    // pointer back, and the loop would end there: the last step is sent
    // again until the pointer rests at the end, or where the loop holds it.
    POINT at = RestingPointer();
    for (int tries = 0; tries < 5 && (at.x != to.x || at.y != to.y); ++tries) {
        Send({AbsoluteMove(to)});
        const POINT now = RestingPointer();
        if (now.x == at.x && now.y == at.y) break;
        at = now;
    }
    Send({MouseInput(MOUSEEVENTF_LEFTUP)});
    return seen;
}

}  // namespace

bool Drag(HWND window, POINT from, POINT to) {
    // Under load a late echo of an earlier pointer position can take the
    // press away from the starting point, and no move or size loop starts:
    // tried again while the window has stayed where it was.
    RECT before{};
    GetWindowRect(window, &before);
    for (int tries = 0; tries < 3; ++tries) {
        if (DragOnce(window, from, to)) return true;
        RECT now{};
        GetWindowRect(window, &now);
        if (!EqualRect(&now, &before)) return false;
    }
    return false;
}

}  // namespace e2e

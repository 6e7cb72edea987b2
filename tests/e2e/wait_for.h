// Polling until a condition holds: the program under test runs in another
// process, so every observation waits for it instead of sleeping blindly.
#pragma once

#include <windows.h>

#include <chrono>
#include <cwchar>

namespace e2e {

inline constexpr std::chrono::milliseconds kDefaultWait{5000};

// CONVERT_E2E_TIME_SCALE=N makes every wait N times longer: a program run
// through an instruction-set emulator answers many times slower, and a
// wait that runs out there reports a fault the program does not have.
inline long long TimeScale() {
    static const long long scale = [] {
        wchar_t text[16] = {};
        if (GetEnvironmentVariableW(L"CONVERT_E2E_TIME_SCALE", text, 16) == 0) return 1LL;
        const long long value = std::wcstoll(text, nullptr, 10);
        return value >= 1 && value <= 1000 ? value : 1LL;
    }();
    return scale;
}

// Messages sent to the program wait as long, and under emulation even for a
// program that looks hung: loading a library there can keep it from its
// messages for longer than the system's five seconds.
inline UINT SendTimeoutMs() { return static_cast<UINT>(3000 * TimeScale()); }
inline UINT SendFlags() { return TimeScale() > 1 ? SMTO_NORMAL : SMTO_ABORTIFHUNG; }

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = kDefaultWait) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count() * TimeScale());
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

}  // namespace e2e

// Polling until a condition holds: the program under test runs in another
// process, so every observation waits for it instead of sleeping blindly.
#pragma once

#include <windows.h>

#include <chrono>

namespace e2e {

inline constexpr std::chrono::milliseconds kDefaultWait{5000};

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = kDefaultWait) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

}  // namespace e2e

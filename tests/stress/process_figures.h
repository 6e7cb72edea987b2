// What the program under test holds, read from outside while it runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace stress {

// -1 where a figure cannot be had.
struct ProcessFigures {
    std::int64_t private_bytes = -1;
    std::int64_t handles = -1;
    std::int64_t fonts = -1;         // as the program counts them
    std::int64_t gdi_objects = -1;   // GetGuiResources
    std::int64_t user_objects = -1;
};

class ProcessProbe {
public:
    ProcessProbe(DWORD pid, HWND window);
    ProcessProbe(const ProcessProbe&) = delete;
    ProcessProbe& operator=(const ProcessProbe&) = delete;
    ~ProcessProbe();

    ProcessFigures Sample() const;

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

// Wine's GetGuiResources is a stub that answers 0, which a process with a
// window never really has: then it is unavailable, not a pass.
bool GuiResourcesAvailable(const ProcessFigures& figures);
std::string GuiResourcesLine(const ProcessFigures& figures);

}  // namespace stress

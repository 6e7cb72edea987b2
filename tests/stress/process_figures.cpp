#include "process_figures.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace stress {

ProcessProbe::ProcessProbe(DWORD pid, HWND window)
    : process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)), window_(window) {}

ProcessProbe::~ProcessProbe() {
    if (process_) CloseHandle(process_);
}

namespace {

// The system's process list carries a handle count even where the per-process
// query answers 0 for another process (Wine).
std::int64_t HandlesFromProcessList(DWORD pid) {
    std::vector<unsigned char> buffer(1 << 20);
    ULONG size = 0;
    if (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                 &size) != 0) {
        return -1;
    }
    for (std::size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == pid) return entry->HandleCount;
        if (!entry->NextEntryOffset) return -1;
        at += entry->NextEntryOffset;
    }
}

}  // namespace

ProcessFigures ProcessProbe::Sample() const {
    ProcessFigures figures;
    if (process_) {
        // Private bytes are the commit charge; for another process Wine fills
        // only the page-file figure, which is the same quantity there.
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
            const SIZE_T bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
            if (bytes) figures.private_bytes = static_cast<std::int64_t>(bytes);
        }
        DWORD handles = 0;
        if (GetProcessHandleCount(process_, &handles) && handles > 0) {
            figures.handles = handles;
        } else {
            figures.handles = HandlesFromProcessList(GetProcessId(process_));
        }
        if (const DWORD gdi = GetGuiResources(process_, GR_GDIOBJECTS)) figures.gdi_objects = gdi;
        if (const DWORD user = GetGuiResources(process_, GR_USEROBJECTS)) figures.user_objects = user;
    }
    static const UINT live_fonts_query = RegisterWindowMessageW(L"Convert.LiveFontCount");
    DWORD_PTR fonts = 0;
    if (SendMessageTimeoutW(window_, live_fonts_query, 0, 0, SMTO_ABORTIFHUNG, 5000, &fonts)) {
        figures.fonts = static_cast<std::int64_t>(fonts);
    }
    return figures;
}

bool GuiResourcesAvailable(const ProcessFigures& figures) {
    return figures.gdi_objects > 0 && figures.user_objects > 0;
}

std::string GuiResourcesLine(const ProcessFigures& figures) {
    if (!GuiResourcesAvailable(figures)) {
        return "GetGuiResources: unavailable (answers 0 for a process with a window, as Wine's stub does); "
               "not checked. GDI objects are followed by the program's live font count instead.";
    }
    return "GetGuiResources: available; GDI and USER object counts are checked.";
}

}  // namespace stress

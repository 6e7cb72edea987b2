// The process's entry point, ahead of the C runtime's: before the runtime
// starts (its static initialisers included), DLLs are searched for in the
// system folder only, so a DLL planted beside convert.exe (a Downloads
// folder) is never loaded by it. Only the loader and the runtime's TLS
// callbacks, which load nothing, run earlier.
#include <windows.h>

#include "window/system_functions.h"

extern "C" int WinMainCRTStartup();  // the MinGW-w64 runtime's entry for WIN32 programs

namespace {

void SearchSystemFolderOnly() {
    // kernel32 is mapped into every process: no search happens here.
    const auto set_default_dll_directories = convert::MappedFunction(convert::kSetDefaultDllDirectories);
    if (set_default_dll_directories && set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Windows 7 without KB2533623: at least the current folder leaves the search.
    SetDllDirectoryW(L"");
}

}  // namespace

// Windows keeps only 4-byte stack alignment at a 32-bit entry point.
extern "C" __attribute__((force_align_arg_pointer)) int ConvertEntry() {
    SearchSystemFolderOnly();
    return WinMainCRTStartup();
}

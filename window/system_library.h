// DLLs the program loads itself come from the system folder only, never from
// the folder the program sits in (a Downloads folder may hold anything).
#pragma once

#include <windows.h>

namespace convert {

// Loads a system DLL by name; nullptr when it cannot be loaded. The module
// stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a loaded module, as the function type Fn; nullptr when the
// module or the function is missing (older Windows versions).
template <typename Fn>
Fn* ProcAddress(HMODULE module, const char* name) {
    // The cast is how GetProcAddress results are used.
    return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace convert

// DLLs the program loads itself come from the system folder only, never from
// the folder the program sits in (a Downloads folder may hold anything).
#pragma once

#include <windows.h>

namespace convert {

// Loads a system DLL by name; nullptr when it cannot be loaded. The module
// stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace convert

// Every function the program looks up at run time instead of importing it:
// those newer than Windows 7, and those of DLLs loaded only when first needed
// (loading them at start-up costs time under Wine). Each type is written
// once, here: the SDK's own declaration where the Windows 7 SDK has one,
// spelled out where it has not (the program compiles for Windows 7, where a
// direct call to a newer function does not compile).
//
// No constructors run for these entries: app/entry.cpp uses them before the
// C runtime has started.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleacc.h>
#include <oleauto.h>
#include <shellapi.h>

#include "window/system_library.h"

namespace convert {

template <typename Fn>
struct SystemFunction {
    const wchar_t* module;
    const char* name;
};

// kernel32: Windows 8, and Windows 7 with KB2533623.
inline constexpr SystemFunction<decltype(SetDefaultDllDirectories)> kSetDefaultDllDirectories{
    L"kernel32.dll", "SetDefaultDllDirectories"};

// user32, per-monitor DPI: Windows 10 1607 (not declared for Windows 7).
inline constexpr SystemFunction<UINT WINAPI()> kGetDpiForSystem{L"user32.dll", "GetDpiForSystem"};
inline constexpr SystemFunction<UINT WINAPI(HWND)> kGetDpiForWindow{L"user32.dll", "GetDpiForWindow"};
inline constexpr SystemFunction<BOOL WINAPI(LPRECT, DWORD, BOOL, DWORD, UINT)> kAdjustWindowRectExForDpi{
    L"user32.dll", "AdjustWindowRectExForDpi"};

// The Windows version, for what only some builds document (ntdll: mapped
// into every process). The SDK declares it for drivers only.
inline constexpr SystemFunction<LONG WINAPI(OSVERSIONINFOW*)> kRtlGetVersion{L"ntdll.dll", "RtlGetVersion"};

// A dark title bar (Windows Vista and later; the attribute it is used with
// is documented from Windows 10 build 19041), loaded in dark mode only.
inline constexpr SystemFunction<HRESULT WINAPI(HWND, DWORD, LPCVOID, DWORD)> kDwmSetWindowAttribute{
    L"dwmapi.dll", "DwmSetWindowAttribute"};

// What the accessible objects need, loaded at a screen reader's first request.
inline constexpr SystemFunction<decltype(CreateStdAccessibleObject)> kCreateStdAccessibleObject{
    L"oleacc.dll", "CreateStdAccessibleObject"};
inline constexpr SystemFunction<decltype(LresultFromObject)> kLresultFromObject{L"oleacc.dll",
                                                                                 "LresultFromObject"};
inline constexpr SystemFunction<decltype(CoInitializeEx)> kCoInitializeEx{L"ole32.dll", "CoInitializeEx"};
inline constexpr SystemFunction<decltype(CoUninitialize)> kCoUninitialize{L"ole32.dll", "CoUninitialize"};
inline constexpr SystemFunction<decltype(SysAllocStringLen)> kSysAllocStringLen{L"oleaut32.dll",
                                                                                 "SysAllocStringLen"};

// The shell, loaded at the first click on the credit link.
inline constexpr SystemFunction<decltype(ShellExecuteW)> kShellExecuteW{L"shell32.dll", "ShellExecuteW"};

// A function of a module that every window program has mapped (ntdll,
// kernel32, user32): nothing is searched for or loaded. nullptr on a system without it.
template <typename Fn>
Fn* MappedFunction(const SystemFunction<Fn>& function) {
    return ProcAddress<Fn>(GetModuleHandleW(function.module), function.name);
}

// A function of a DLL loaded from the system folder only. nullptr when the
// DLL or the function is missing.
template <typename Fn>
Fn* LoadedFunction(const SystemFunction<Fn>& function) {
    return ProcAddress<Fn>(LoadSystemLibrary(function.module), function.name);
}

}  // namespace convert

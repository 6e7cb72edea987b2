// Settings of the user's system that a test changes while it runs, each put
// back as it was when the test ends, also when it fails: the machine may be
// someone's own.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// One registry value, changed for the length of a test and then restored
// exactly: its old type and data, or no value at all; the keys that had to
// be made for it are removed again.
class ScopedRegistryValue {
public:
    // `name` nullptr is the key's default value.
    ScopedRegistryValue(HKEY root, std::wstring path, const wchar_t* name);
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
    ~ScopedRegistryValue();

    bool SetDword(DWORD value);
    bool SetString(const std::wstring& value);

private:
    bool Set(DWORD type, const void* data, DWORD size);

    HKEY root_;
    std::wstring path_;
    std::optional<std::wstring> name_;
    // What was there before the first change.
    std::optional<DWORD> old_type_;
    std::vector<BYTE> old_data_;
    // The keys this value needed that did not exist, outermost first.
    std::vector<std::wstring> made_;
    bool changed_ = false;
};

// The app mode as Windows keeps it (Settings > Personalisation > Colours:
// AppsUseLightTheme), for the length of a test.
class AppMode {
public:
    AppMode();
    bool Set(bool dark) { return value_.SetDword(dark ? 0 : 1); }
    // Tells every window of the change, as Windows does when the user makes it.
    static void Announce();

private:
    ScopedRegistryValue value_;
};

// High contrast, switched as the Settings app switches it; the user's own
// setting, with its scheme, comes back at the end.
class HighContrastSwitch {
public:
    HighContrastSwitch();
    HighContrastSwitch(const HighContrastSwitch&) = delete;
    HighContrastSwitch& operator=(const HighContrastSwitch&) = delete;
    ~HighContrastSwitch();

    // 0, or the error that SystemParametersInfo gave.
    DWORD Set(bool on);
    static bool On();

private:
    DWORD Apply(DWORD flags, const std::wstring& scheme);

    bool read_ = false;
    DWORD flags_ = 0;
    std::wstring scheme_;
    bool changed_ = false;
};

}  // namespace e2e

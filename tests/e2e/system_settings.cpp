#include "system_settings.h"

#include "wait_for.h"

namespace e2e {
namespace {

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::wstring path, const wchar_t* name)
    : root_(root), path_(std::move(path)) {
    if (name) name_ = name;
    for (std::size_t end = path_.find(L'\\'); ; end = path_.find(L'\\', end + 1)) {
        const std::wstring key = path_.substr(0, end);
        if (!KeyExists(root_, key)) made_.push_back(key);
        if (end == std::wstring::npos) break;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    DWORD type = 0, size = 0;
    const wchar_t* value_name = name_ ? name_->c_str() : nullptr;
    if (RegQueryValueExW(key, value_name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        old_data_.resize(size);
        if (RegQueryValueExW(key, value_name, nullptr, &type, old_data_.data(), &size) == ERROR_SUCCESS) {
            old_data_.resize(size);
            old_type_ = type;
        }
    }
    RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue() {
    if (!changed_) return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        const wchar_t* value_name = name_ ? name_->c_str() : nullptr;
        if (old_type_) {
            RegSetValueExW(key, value_name, 0, *old_type_, old_data_.data(), static_cast<DWORD>(old_data_.size()));
        } else {
            RegDeleteValueW(key, value_name);
        }
        RegCloseKey(key);
    }
    // Innermost first; a key that meanwhile holds anything else stays.
    for (auto made = made_.rbegin(); made != made_.rend(); ++made) RegDeleteKeyW(root_, made->c_str());
}

bool ScopedRegistryValue::Set(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    changed_ = true;
    const bool written = RegSetValueExW(key, name_ ? name_->c_str() : nullptr, 0, type,
                                        static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

bool ScopedRegistryValue::SetDword(DWORD value) { return Set(REG_DWORD, &value, sizeof value); }

bool ScopedRegistryValue::SetString(const std::wstring& value) {
    return Set(REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

AppMode::AppMode()
    : value_(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
             L"AppsUseLightTheme") {}

void AppMode::Announce() {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                        SMTO_ABORTIFHUNG, SendTimeoutMs(), &ignored);
}

HighContrastSwitch::HighContrastSwitch() {
    HIGHCONTRASTW info{};
    info.cbSize = sizeof info;
    read_ = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof info, &info, 0) != 0;
    if (!read_) return;
    flags_ = info.dwFlags;
    // The system's buffer: copied before anything else asks.
    if (info.lpszDefaultScheme) scheme_ = info.lpszDefaultScheme;
}

HighContrastSwitch::~HighContrastSwitch() {
    if (changed_) Apply(flags_, scheme_);
}

DWORD HighContrastSwitch::Set(bool on) {
    if (!read_) return ERROR_INVALID_FUNCTION;
    changed_ = true;
    if (on) return Apply(flags_ | HCF_HIGHCONTRASTON, L"High Contrast Black");
    return Apply(flags_ & ~DWORD{HCF_HIGHCONTRASTON}, scheme_);
}

bool HighContrastSwitch::On() {
    HIGHCONTRASTW info{};
    info.cbSize = sizeof info;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof info, &info, 0) &&
           (info.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

DWORD HighContrastSwitch::Apply(DWORD flags, const std::wstring& scheme) {
    std::wstring copy = scheme;
    HIGHCONTRASTW info{};
    info.cbSize = sizeof info;
    info.dwFlags = flags;
    info.lpszDefaultScheme = copy.empty() ? nullptr : copy.data();
    if (SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof info, &info, SPIF_SENDCHANGE)) return 0;
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

}  // namespace e2e

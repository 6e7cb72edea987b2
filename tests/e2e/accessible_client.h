// A screen reader's view of a window from another process: the accessible
// object a control answers for its client area, and what it says.
#pragma once

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <cstdio>
#include <optional>
#include <string>

namespace e2e {

using Microsoft::WRL::ComPtr;

// A screen reader is a client in an apartment of its own.
class ComApartment {
public:
    ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (started_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool started_;
};

inline VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

inline std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// A text answer, or the error the object gave.
struct Answer {
    HRESULT hr = E_FAIL;
    std::wstring text;
};
using TextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
inline Answer AskText(IAccessible* object, TextGetter getter) {
    BSTR text = nullptr;
    Answer answer;
    answer.hr = (object->*getter)(Self(), &text);
    if (text) answer.text.assign(text, SysStringLen(text));
    SysFreeString(text);
    return answer;
}
inline Answer NameOf(IAccessible* object) { return AskText(object, &IAccessible::get_accName); }
inline Answer ValueOf(IAccessible* object) { return AskText(object, &IAccessible::get_accValue); }
inline Answer DefaultActionOf(IAccessible* object) { return AskText(object, &IAccessible::get_accDefaultAction); }

inline std::optional<long> NumberOf(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, VARIANT*)) {
    VARIANT result{};
    const HRESULT hr = (object->*getter)(Self(), &result);
    const bool number = SUCCEEDED(hr) && result.vt == VT_I4;
    const long value = number ? result.lVal : 0;
    VariantClear(&result);
    return number ? std::optional<long>(value) : std::nullopt;
}
inline std::optional<long> RoleOf(IAccessible* object) { return NumberOf(object, &IAccessible::get_accRole); }
inline std::optional<long> StateOf(IAccessible* object) { return NumberOf(object, &IAccessible::get_accState); }

inline RECT LocationOf(IAccessible* object) {
    LONG left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, Self()))) return {};
    return {left, top, left + width, top + height};
}

// What a screen reader gets for the control: the program's answer to
// WM_GETOBJECT, or the standard object where it gives none.
inline ComPtr<IAccessible> ObjectOf(HWND control) {
    ComPtr<IAccessible> object;
    AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

// The system's own object for the control, made here without asking it.
inline ComPtr<IAccessible> StandardObjectOf(HWND control) {
    ComPtr<IAccessible> object;
    CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                              reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

}  // namespace e2e

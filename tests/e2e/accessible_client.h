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

// UI Automation's client side, as far as the tests call it (the MinGW-w64
// headers declare none of it): the methods before those called hold their
// places in the table. COM objects are released, never deleted: their
// interfaces have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IUIAutomationElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** id) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int scope, IUnknown* condition, IUIAutomationElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int scope, IUnknown* condition, IUnknown** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int scope, IUnknown* condition, IUnknown* cache,
                                                          IUIAutomationElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int scope, IUnknown* condition, IUnknown* cache,
                                                        IUnknown** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUnknown* cache, IUIAutomationElement** updated) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int property, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int property, BOOL ignore_default, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int property, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int property, BOOL ignore_default, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int pattern, REFIID riid, void** object) = 0;
};

struct IUIAutomation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(IUIAutomationElement* a, IUIAutomationElement* b,
                                                      BOOL* same) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY* a, SAFEARRAY* b, BOOL* same) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUIAutomationElement** root) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND hwnd, IUIAutomationElement** element) = 0;
};

struct IUIAutomationInvokePattern : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
#pragma GCC diagnostic pop

// CLSID_CUIAutomation, and UIA_InvokePatternId.
inline constexpr GUID kCuiAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
inline constexpr int kUiaInvokePattern = 10000;

}  // namespace e2e

__CRT_UUID_DECL(e2e::IUIAutomationElement, 0xd22108aa, 0x8ac5, 0x49a5, 0x83, 0x7b, 0x37, 0xbb, 0xb3, 0xd7, 0x59, 0x1e)
__CRT_UUID_DECL(e2e::IUIAutomation, 0x30cbe57d, 0xd9d0, 0x452a, 0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee)
__CRT_UUID_DECL(e2e::IUIAutomationInvokePattern, 0xfb377fbe, 0x8ea6, 0x46d5, 0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d, 0x30,
                0x59)

#include "window/accessible.h"

#include <oleacc.h>

#include <iterator>
#include <new>
#include <string>
#include <utility>

#include "window/system_functions.h"

namespace convert {
namespace {

// The Windows Chinese name of a link's action.
constexpr wchar_t kLinkAction[] = L"跳转";

struct Runtime {
    decltype(LoadedFunction(kCreateStdAccessibleObject)) create_standard = nullptr;
    decltype(LoadedFunction(kLresultFromObject)) lresult_from_object = nullptr;
    decltype(LoadedFunction(kCoInitializeEx)) co_initialize_ex = nullptr;
    decltype(LoadedFunction(kCoUninitialize)) co_uninitialize = nullptr;
    decltype(LoadedFunction(kSysAllocStringLen)) sys_alloc_string_len = nullptr;
    bool com_started = false;
};

Runtime& TheRuntime() {
    static Runtime runtime;
    return runtime;
}

// Loads what the accessible objects need, once; nullptr when something is
// missing. Objects handed to other processes are marshalled, which needs COM
// on this thread: a single-threaded apartment, so that their calls arrive
// through the message loop like any other input and never on another thread.
const Runtime* LoadRuntime() {
    Runtime& r = TheRuntime();
    static const bool loaded = [&r] {
        r.create_standard = LoadedFunction(kCreateStdAccessibleObject);
        r.lresult_from_object = LoadedFunction(kLresultFromObject);
        r.sys_alloc_string_len = LoadedFunction(kSysAllocStringLen);
        r.co_initialize_ex = LoadedFunction(kCoInitializeEx);
        r.co_uninitialize = LoadedFunction(kCoUninitialize);
        return r.create_standard && r.lresult_from_object && r.sys_alloc_string_len && r.co_initialize_ex &&
               r.co_uninitialize;
    }();
    if (!loaded) return nullptr;
    // S_FALSE too: the thread already was such an apartment, and each success
    // is undone once. A multithreaded apartment here is refused.
    if (!r.com_started) r.com_started = SUCCEEDED(r.co_initialize_ex(nullptr, COINIT_APARTMENTTHREADED));
    return r.com_started ? &r : nullptr;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

}  // namespace

// The standard object with a different name, role, state and default action;
// everything else is the standard object's answer. A COM object deletes
// itself in Release, never through an interface pointer, so the interfaces'
// destructors need not be virtual.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class AccessibleObject final : public IAccessible, public IOleWindow {
public:
    AccessibleObject(HWND control, IAccessible* standard, const AccessibleTraits& traits)
        : control_(control), standard_(standard), traits_(traits) {}
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    void Disconnect() {
        control_ = nullptr;
        traits_ = {};
        if (standard_) std::exchange(standard_, nullptr)->Release();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleWindow: which window the object stands for.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = control_;
        return control_ ? S_OK : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override {
        return control_ ? E_NOTIMPL : RPC_E_DISCONNECTED;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_ ? standard_->GetTypeInfoCount(count) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return standard_ ? standard_->GetTypeInfo(index, lcid, info) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return standard_ ? standard_->GetIDsOfNames(iid, names, count, lcid, ids) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* error, UINT* bad_argument) override {
        return standard_ ? standard_->Invoke(id, iid, lcid, flags, params, result, error, bad_argument)
                         : RPC_E_DISCONNECTED;
    }

    // IAccessible: what changes.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        if (!IsSelf(child) || !traits_.labelled_by) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        // The label's text as it is now: the name is never a second copy.
        const int length = GetWindowTextLengthW(traits_.labelled_by);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(traits_.labelled_by, text.data(), length + 1);
        *name = TheRuntime().sys_alloc_string_len(text.data(), static_cast<UINT>(copied > 0 ? copied : 0));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        if (!IsSelf(child) || !IsLink()) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        const HRESULT hr = standard_->get_accState(child, state);
        if (SUCCEEDED(hr) && IsSelf(child) && IsLink() && state->vt == VT_I4) state->lVal |= STATE_SYSTEM_LINKED;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        if (!IsSelf(child) || !IsLink()) return standard_->get_accDefaultAction(child, action);
        if (!action) return E_POINTER;
        *action = TheRuntime().sys_alloc_string_len(kLinkAction, static_cast<UINT>(std::size(kLinkAction) - 1));
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    // The link is followed as a click follows it: the label's own click
    // notification to its parent, handled later on the message loop, not
    // inside the caller's request.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        if (!IsSelf(child) || !IsLink()) return standard_->accDoDefaultAction(child);
        const WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control_)), STN_CLICKED);
        return PostMessageW(GetParent(control_), WM_COMMAND, command, reinterpret_cast<LPARAM>(control_))
                   ? S_OK
                   : HRESULT_FROM_WIN32(GetLastError());
    }

    // IAccessible: the standard answers.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_ ? standard_->get_accParent(parent) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_ ? standard_->get_accChildCount(count) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_ ? standard_->get_accChild(child, object) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_ ? standard_->get_accValue(child, value) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return standard_ ? standard_->get_accDescription(child, description) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_ ? standard_->get_accHelp(child, help) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_ ? standard_->get_accHelpTopic(file, child, topic) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_ ? standard_->get_accKeyboardShortcut(child, shortcut) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_ ? standard_->get_accFocus(focus) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_ ? standard_->get_accSelection(selection) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_ ? standard_->accSelect(flags, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_ ? standard_->accLocation(left, top, width, height, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_ ? standard_->accNavigate(direction, start, end) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return standard_ ? standard_->accHitTest(left, top, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_ ? standard_->put_accName(child, name) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_ ? standard_->put_accValue(child, value) : RPC_E_DISCONNECTED;
    }

private:
    ~AccessibleObject() { Disconnect(); }
    bool IsLink() const { return traits_.role == AccessibleRole::Link; }

    LONG references_ = 1;
    HWND control_;           // we don't own it
    IAccessible* standard_;  // one reference, until disconnected
    AccessibleTraits traits_;
};
#pragma GCC diagnostic pop

bool Accessible::Answer(HWND control, const AccessibleTraits& traits, WPARAM wparam, LPARAM lparam,
                        LRESULT& result) {
    // The object identifier is a 32-bit value, whatever the width of lParam.
    if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
    const Runtime* runtime = LoadRuntime();
    if (!runtime) return false;
    if (!object_) {
        IAccessible* standard = nullptr;
        if (FAILED(runtime->create_standard(control, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standard)))) {
            return false;
        }
        object_ = new (std::nothrow) AccessibleObject(control, standard, traits);
        if (!object_) {
            standard->Release();
            return false;
        }
    }
    const LRESULT answer = runtime->lresult_from_object(__uuidof(IAccessible), wparam,
                                                        static_cast<IAccessible*>(object_));
    if (answer < 0) return false;  // a failure code
    result = answer;
    return true;
}

void Accessible::Disconnect() {
    if (!object_) return;
    object_->Disconnect();
    std::exchange(object_, nullptr)->Release();
}

void ShutDownAccessibility() {
    Runtime& runtime = TheRuntime();
    if (runtime.com_started) {
        runtime.com_started = false;
        runtime.co_uninitialize();
    }
}

}  // namespace convert

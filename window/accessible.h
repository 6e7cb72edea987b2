// What a screen reader is told about a control whose description names it by
// a label or gives it a role of its own. The control answers WM_GETOBJECT
// with the system's standard accessible object for it, wrapped so that only
// the name, role, state and default action change.
//
// The accessibility libraries are loaded at the first request, from the
// system folder only, so that a user who never runs a screen reader never
// loads them.
#pragma once

#include <windows.h>

#include "window/form_description.h"

namespace convert {

class AccessibleObject;

struct AccessibleTraits {
    HWND labelled_by = nullptr;  // whose text is the name; we don't own it
    AccessibleRole role = AccessibleRole::Standard;
};

// A control's one reference to its accessible object. Clients in other
// processes may hold the object longer: once disconnected, every call they
// make fails with RPC_E_DISCONNECTED.
class Accessible {
public:
    Accessible() = default;
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;
    ~Accessible() { Disconnect(); }

    // The answer to WM_GETOBJECT for the control's client area; false for any
    // other object, or when the libraries cannot be had (the system's
    // standard answer then stands).
    bool Answer(HWND control, const AccessibleTraits& traits, WPARAM wparam, LPARAM lparam, LRESULT& result);
    // When the control goes.
    void Disconnect();

private:
    AccessibleObject* object_ = nullptr;
};

// At the end of the program, once every control has gone: lets go of COM if
// the accessible objects started it.
void ShutDownAccessibility();

}  // namespace convert

// The accessible object of a control, in the control's own process: the name
// follows the label, and once the control has gone every call fails cleanly.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <utility>

#include "window/accessible.h"

namespace convert {
namespace {

VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::wstring NameOf(IAccessible* object) {
    BSTR name = nullptr;
    if (FAILED(object->get_accName(Self(), &name)) || !name) return L"(none)";
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

class AccessibleTest : public testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr, nullptr, nullptr);
        label_ = CreateWindowExW(0, L"Static", L"厘米", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, parent_, nullptr,
                                 nullptr, nullptr);
        control_ = CreateWindowExW(0, L"Static", L"澄岩社 荣誉出品", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 50, 0, 100,
                                   20, parent_, reinterpret_cast<HMENU>(108), nullptr, nullptr);
        ASSERT_TRUE(parent_ && label_ && control_);
    }
    void TearDown() override {
        accessible_.Disconnect();
        if (object_) object_->Release();
        if (parent_) DestroyWindow(parent_);
        ShutDownAccessibility();
    }

    // What WM_GETOBJECT answers, as a client in this process takes it.
    void Take(const AccessibleTraits& traits) {
        LRESULT answer = 0;
        ASSERT_TRUE(accessible_.Answer(control_, traits, 0, OBJID_CLIENT, answer));
        ASSERT_EQ(ObjectFromLresult(answer, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&object_)), S_OK);
    }

    HWND parent_ = nullptr, label_ = nullptr, control_ = nullptr;
    Accessible accessible_;
    IAccessible* object_ = nullptr;
};

TEST_F(AccessibleTest, AnswersOnlyForTheClientArea) {
    LRESULT answer = 0;
    constexpr LONG kUiaRootObjectId = -25;  // what UI Automation asks for
    for (const LONG id : {OBJID_WINDOW, OBJID_CARET, OBJID_VSCROLL, kUiaRootObjectId}) {
        EXPECT_FALSE(accessible_.Answer(control_, {label_, AccessibleRole::Link}, 0, id, answer)) << id;
    }
}

TEST_F(AccessibleTest, NameIsTheLabelsTextWhenAsked) {
    ASSERT_NO_FATAL_FAILURE(Take({label_, AccessibleRole::Standard}));
    EXPECT_EQ(NameOf(object_), L"厘米");
    SetWindowTextW(label_, L"寸");
    EXPECT_EQ(NameOf(object_), L"寸");
}

TEST_F(AccessibleTest, EveryCallFailsOnceTheControlHasGone) {
    ASSERT_NO_FATAL_FAILURE(Take({nullptr, AccessibleRole::Link}));
    EXPECT_EQ(NameOf(object_), L"澄岩社 荣誉出品");
    DestroyWindow(std::exchange(parent_, nullptr));
    accessible_.Disconnect();  // as the control does at WM_NCDESTROY

    VARIANT out{};
    BSTR text = nullptr;
    LONG number = 0;
    IDispatch* dispatch = nullptr;
    const std::pair<const char*, std::function<HRESULT()>> calls[] = {
        {"name", [&] { return object_->get_accName(Self(), &text); }},
        {"value", [&] { return object_->get_accValue(Self(), &text); }},
        {"role", [&] { return object_->get_accRole(Self(), &out); }},
        {"state", [&] { return object_->get_accState(Self(), &out); }},
        {"default action", [&] { return object_->get_accDefaultAction(Self(), &text); }},
        {"do default action", [&] { return object_->accDoDefaultAction(Self()); }},
        {"location", [&] { return object_->accLocation(&number, &number, &number, &number, Self()); }},
        {"parent", [&] { return object_->get_accParent(&dispatch); }},
        {"child count", [&] { return object_->get_accChildCount(&number); }},
    };
    for (const auto& [what, call] : calls) EXPECT_EQ(call(), RPC_E_DISCONNECTED) << what;
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(dispatch, nullptr);
}

}  // namespace
}  // namespace convert

// Texts that reach a field without being typed, and how to put them there.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app_session.h"

namespace stress {

enum class Insert {
    Paste,    // the clipboard, as Ctrl+V or the context menu's Paste
    SetText,  // WM_SETTEXT, for what a single-line paste cuts off (a line break)
};

struct HostileText {
    const char* name;
    std::wstring text;
    Insert insert;
};

// Every one of these is refused by Convert.
std::vector<HostileText> HostileTexts();

// Whether the field now holds exactly the text.
bool InsertText(const e2e::AppSession& app, int field, const std::wstring& text, Insert insert);

// The error box's text is the refusal of exactly this field text. On a
// mismatch says where the two first differ, not the 30,000 characters.
testing::AssertionResult QuotesWholeText(const std::wstring& box_text, const std::wstring& field_text);

}  // namespace stress

#include "hostile_texts.h"

#include <cstring>

#include "wait_for.h"

namespace stress {
namespace {

// An upper bound, not a pause: a paste of 30,000 digits through Wine's
// clipboard on a busy machine has taken more than five seconds.
constexpr UINT kSendTimeoutMs = 30000;

// Digits in a repeating run, so that a lost or doubled stretch shows.
std::wstring ManyDigits(std::size_t count) {
    std::wstring text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i) text += static_cast<wchar_t>(L'0' + (i + 1) % 10);
    return text;
}

bool PutOnClipboard(const std::wstring& text) {
    if (!e2e::WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, std::chrono::milliseconds(kSendTimeoutMs))) {
        return false;
    }
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool put = false;
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!put) GlobalFree(memory);
    }
    CloseClipboard();
    return put;
}

bool Send(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

}  // namespace

std::vector<HostileText> HostileTexts() {
    return {
        {"30,000 digits", ManyDigits(30000), Insert::Paste},
        {"full-width digits", L"\uFF11\uFF12", Insert::Paste},
        {"Chinese text", L"\u4E00\u767E\u4E8C\u5341\u5398\u7C73", Insert::Paste},
        {"printf directives", L"%s%n%x%d", Insert::Paste},
        {"tabs", L"\t12\t", Insert::Paste},
        {"control characters", L"\x01\x02\x1B[31m12\x7F\b", Insert::Paste},
        {"carriage return", L"12\r", Insert::Paste},
        {"line break", L"1\r\n2", Insert::SetText},
        {"lone minus", L"-", Insert::Paste},
        {"lone dollar", L"$", Insert::Paste},
        {"lone 0x", L"0x", Insert::Paste},
        {"Arabic-Indic digits", L"\u0661\u0662", Insert::Paste},
        {"dotless i, low byte '1'", L"\u0131", Insert::Paste},
        {"emoji after digits", L"12\U0001F600", Insert::Paste},
        {"quote and ampersand", L"'1'&&2", Insert::Paste},
        {"one past the largest", L"2147483648", Insert::Paste},
        {"nine hexadecimal digits", L"$100000000", Insert::Paste},
    };
}

bool InsertText(const e2e::AppSession& app, int field, const std::wstring& text, Insert insert) {
    const HWND edit = app.Control(field);
    if (insert == Insert::SetText) {
        app.SetText(field, text);
    } else {
        if (!PutOnClipboard(text)) return false;
        // The paste replaces the selection: all of the field.
        if (!Send(edit, EM_SETSEL, 0, -1) || !Send(edit, WM_PASTE, 0, 0)) return false;
    }
    return app.Text(field) == text;
}

testing::AssertionResult QuotesWholeText(const std::wstring& box_text, const std::wstring& field_text) {
    const std::wstring expected = L"'" + field_text + L"' is not a valid integer value.";
    if (box_text == expected) return testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < box_text.size() && at < expected.size() && box_text[at] == expected[at]) ++at;
    const auto excerpt = [&](const std::wstring& s) {
        return e2e::Utf8(s.substr(at > 20 ? at - 20 : 0, 60));
    };
    return testing::AssertionFailure() << "box text of " << box_text.size() << " characters, expected "
                                       << expected.size() << "; first difference at " << at << ": box \""
                                       << excerpt(box_text) << "\", expected \"" << excerpt(expected) << "\"";
}

}  // namespace stress

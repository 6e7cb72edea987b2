#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "accessible_client.h"
#include "app_session.h"
#include "hostile_texts.h"
#include "process_figures.h"
#include "screen_pixels.h"
#include "soak_size.h"
#include "user_input.h"
#include "wait_for.h"

namespace stress {
namespace {

using e2e::AppSession;
using e2e::Fields;

// Growth allowed between the end of the warm-up and the end of the run.
constexpr std::int64_t kPrivateBytesBound = 1 << 20;
constexpr std::int64_t kHandlesBound = 10;
constexpr std::int64_t kFontsBound = 0;
constexpr std::int64_t kGuiObjectsBound = 10;

// Whatever a client's connection to the program's COM used is given back a
// while after the client lets go (within 30 s of idling under Wine): the
// figures after the queries are read once the program has settled, or after
// this long.
constexpr std::chrono::seconds kSettleLimit{60};

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr int kLookEvery = 50;
constexpr std::chrono::milliseconds kLeaveWait{250};

struct Conversion {
    int direction;
    Fields before, after;
};

// Both directions by turns; the old output fields are junk that must go.
const Conversion kConversions[] = {
    {e2e::kRadioButton1, {L"100", L"9", L"9"}, {L"100", L"3", L"0"}},
    {e2e::kRadioButton2, {L"9", L"1", L"5"}, {L"50", L"1", L"5"}},
    {e2e::kRadioButton1, {L"5", L"", L""}, {L"5", L"0", L"1"}},
    {e2e::kRadioButton2, {L"", L"0", L"15"}, {L"50", L"0", L"15"}},
    {e2e::kRadioButton1, {L"66", L"0", L"0"}, {L"66", L"1", L"10"}},
    {e2e::kRadioButton2, {L"0", L"007", L"0"}, {L"233", L"7", L"0"}},
    {e2e::kRadioButton1, {L"-100", L"1", L"1"}, {L"-100", L"-3", L"0"}},
    {e2e::kRadioButton2, {L"1", L"-3", L"0"}, {L"-100", L"-3", L"0"}},
};

// Every control of the window, the panel first.
constexpr int kControlIds[] = {e2e::kPanel1,       e2e::kLabel1,       e2e::kLabel2, e2e::kLabel3, e2e::kLabel4,
                               e2e::kLabel8,       e2e::kEdit1,        e2e::kEdit2,  e2e::kRadioGroup1,
                               e2e::kRadioButton1, e2e::kRadioButton2, e2e::kEdit3,  e2e::kButton1};

bool Send(HWND hwnd, UINT msg) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(hwnd, msg, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

HCURSOR CurrentCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

class Soaker {
public:
    explicit Soaker(const AppSession& app) : app_(app), hostile_(HostileTexts()) {}

    // The button's own click message, as a mouse click gives it: the soak
    // is about what the program keeps, not the input queue.
    void Convert(int round) {
        const Conversion& c = kConversions[static_cast<std::size_t>(round) % std::size(kConversions)];
        ASSERT_TRUE(Send(app_.Control(c.direction), BM_CLICK));
        e2e::WriteFields(app_, c.before);
        ASSERT_TRUE(Send(app_.Control(e2e::kButton1), BM_CLICK)) << "the click did not return (a box?)";
        const Fields after = e2e::ReadFields(app_);
        ASSERT_TRUE(after == c.after) << "round " << round << ": " << testing::PrintToString(after);
        if (round % 100 == 0) {
            ASSERT_EQ(app_.Text(e2e::kLabel1),
                      c.direction == e2e::kRadioButton1 ? e2e::kArrowCmToChiCun : e2e::kArrowChiCunToCm);
        }
    }

    // Refused texts by turns, in the three fields by turns, pasted and set.
    void Refuse(int round) {
        const HostileText& hostile = hostile_[static_cast<std::size_t>(round) % hostile_.size()];
        const int field = e2e::kEdit1 + round % 3;
        const Insert insert = round % 2 ? hostile.insert : Insert::SetText;
        e2e::WriteFields(app_, {L"1", L"2", L"3"});
        ASSERT_TRUE(InsertText(app_, field, hostile.text, insert)) << hostile.name;
        // Posted: the box holds the click until it is closed.
        PostMessageW(app_.Control(e2e::kButton1), BM_CLICK, 0, 0);
        const auto box = app_.WaitForMessageBox();
        ASSERT_TRUE(box) << "round " << round << ": no box for " << hostile.name;
        ASSERT_TRUE(QuotesWholeText(box->text, hostile.text)) << hostile.name;
        ASSERT_TRUE(app_.PressOk(*box));
        ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(app_.Window()) != FALSE; }));
        ASSERT_EQ(app_.Text(field), hostile.text) << "round " << round << ": the field was written";
    }

    // Under Wine each process has its own copies of the system cursors, so
    // the hand and the arrow are learnt from one crossing, read once each has
    // replaced whatever the pointer showed before.
    void StartHovering() {
        app_.Activate();
        const RECT label = app_.ScreenRect(e2e::kLabel8);
        const RECT frame = app_.ScreenRect(e2e::kRadioGroup1);
        inside_ = e2e::Center(label);
        outside_ = {frame.left + 10, inside_.y};  // blank panel left of the label
        ASSERT_TRUE(e2e::MovePointer(outside_));
        ASSERT_TRUE(e2e::WaitFor([] { return CurrentCursor() != nullptr; }));
        const HCURSOR before = CurrentCursor();
        ASSERT_TRUE(e2e::MovePointer(inside_));
        ASSERT_TRUE(e2e::WaitFor([&] { return LabelLook(kBlue).underline; })) << "the label did not react";
        ASSERT_TRUE(e2e::WaitFor([&] { return CurrentCursor() != before; })) << "no hand";
        hand_ = CurrentCursor();
        ASSERT_TRUE(e2e::MovePointer(outside_));
        if (!e2e::WaitFor([&] { return CurrentCursor() != hand_; }, kLeaveWait)) PassOnLostLeave();
        ASSERT_TRUE(e2e::WaitFor([&] { return CurrentCursor() != hand_; })) << "no arrow";
        arrow_ = CurrentCursor();
    }

    // The pointer in and out; the cursor shows that each crossing was seen.
    void Hover(int round) {
        ASSERT_TRUE(e2e::MovePointer(inside_));
        ASSERT_TRUE(e2e::WaitFor([&] { return CurrentCursor() == hand_; })) << "round " << round << ": no hand";
        if (round % kLookEvery == 0) {
            ASSERT_TRUE(e2e::WaitFor([&] {
                const e2e::TextLook look = LabelLook(kBlue);
                return look.in_colour > 0 && look.underline;
            })) << "round " << round << ": the label is not blue and underlined";
        }
        ASSERT_TRUE(e2e::MovePointer(outside_));
        if (!e2e::WaitFor([&] { return CurrentCursor() == arrow_; }, kLeaveWait)) PassOnLostLeave();
        ASSERT_TRUE(e2e::WaitFor([&] { return CurrentCursor() == arrow_; }))
            << "round " << round << ": no arrow; cursor " << CurrentCursor() << ", hand " << hand_ << ", arrow "
            << arrow_;
        if (round % kLookEvery == 0) {
            const COLORREF window_text = GetSysColor(COLOR_WINDOWTEXT);
            ASSERT_TRUE(e2e::WaitFor([&] {
                const e2e::TextLook look = LabelLook(window_text);
                return look.in_colour > 0 && look.other_colours == 0 && !look.underline;
            })) << "round " << round << ": the resting look did not come back";
        }
    }

    // A screen reader keeps the objects of the window it is reading while it
    // asks for them again. (One that lets go of the last object every time
    // makes Wine open and close a connection each time, and that costs the
    // program about 2 KiB that Wine never gives back: measured the same for
    // the standard object marshalled without the program's wrapper.)
    void KeepObjects() {
        for (int id : kControlIds) kept_.push_back(e2e::ObjectOf(ControlOf(id)));
    }
    void LetGoOfObjects() { kept_.clear(); }

    // Every control's object asked for afresh, its name and role read.
    void Query(int round) {
        for (int id : kControlIds) {
            const Microsoft::WRL::ComPtr<IAccessible> object = e2e::ObjectOf(ControlOf(id));
            ASSERT_TRUE(object) << "round " << round << ": no object for control " << id;
            const e2e::Answer name = e2e::NameOf(object.Get());
            ASSERT_TRUE(SUCCEEDED(name.hr)) << "round " << round << ", control " << id;
            const std::optional<long> role = e2e::RoleOf(object.Get());
            ASSERT_TRUE(role) << "round " << round << ", control " << id;
            if (round % 100 != 0) continue;
            if (id == e2e::kEdit1) {
                ASSERT_TRUE(name.text == L"厘米") << "round " << round;
            }
            if (id == e2e::kLabel8) {
                ASSERT_EQ(*role, ROLE_SYSTEM_LINK) << "round " << round;
            }
        }
    }

    int LostLeaves() const { return lost_leaves_; }

private:
    HWND ControlOf(int id) const {
        return id == e2e::kPanel1 ? GetDlgItem(app_.Window(), id) : app_.Control(id);
    }

    // Wine asks its own idea of the pointer position when the label starts
    // tracking the mouse, and that can still be the point before the move
    // (a late X crossing event): then it never reports the leave, where
    // Windows would report it at once. The leave it owes is handed over here
    // and counted, so that the rest of the cycle is still the program's own.
    void PassOnLostLeave() {
        ++lost_leaves_;
        PostMessageW(app_.Control(e2e::kLabel8), WM_MOUSELEAVE, 0, 0);
    }

    e2e::TextLook LabelLook(COLORREF text) const {
        return e2e::LookOfText(e2e::CaptureScreen(app_.ScreenRect(e2e::kLabel8)), GetSysColor(COLOR_BTNFACE),
                               text);
    }

    const AppSession& app_;
    std::vector<HostileText> hostile_;
    POINT inside_{}, outside_{};
    HCURSOR hand_ = nullptr, arrow_ = nullptr;
    int lost_leaves_ = 0;
    std::vector<Microsoft::WRL::ComPtr<IAccessible>> kept_;
};

struct Stage {
    std::string name;
    int count = 0;
    double seconds = 0;
    ProcessFigures figures;
};

std::string Figure(std::int64_t value) { return value < 0 ? "n/a" : std::to_string(value); }

void PrintStages(const std::vector<Stage>& stages) {
    std::printf("%-22s %7s %9s %15s %8s %6s\n", "stage", "count", "seconds", "private bytes", "handles", "fonts");
    for (const Stage& s : stages) {
        std::printf("%-22s %7d %9.1f %15s %8s %6s\n", s.name.c_str(), s.count, s.seconds,
                    Figure(s.figures.private_bytes).c_str(), Figure(s.figures.handles).c_str(),
                    Figure(s.figures.fonts).c_str());
    }
}

template <typename Step>
void RunStage(std::vector<Stage>& stages, const ProcessProbe& probe, const char* name, int count, Step step) {
    const ULONGLONG start = GetTickCount64();
    for (int round = 0; round < count; ++round) {
        step(round);
        if (testing::Test::HasFatalFailure()) return;
    }
    stages.push_back({name, count, static_cast<double>(GetTickCount64() - start) / 1000.0, probe.Sample()});
    std::printf("%s: %d in %.1f s\n", name, count, stages.back().seconds);
    std::fflush(stdout);
}

TEST(Soak, RepeatedUseHoldsMemoryHandlesAndFontsLevel) {
    const SoakSize size = Soak();
    const e2e::ComApartment com;
    AppSession app;
    const ProcessProbe probe(app.ProcessId(), app.Window());
    Soaker soaker(app);
    std::vector<Stage> stages;
    stages.push_back({"start", 0, 0, probe.Sample()});

    // Warm-up: every kind of use once or more, so that caches and heaps have
    // grown to their working size before the figures count.
    const int warm_refusals = static_cast<int>(HostileTexts().size()) * 2;
    const ULONGLONG warm_start = GetTickCount64();
    for (int round = 0; round < 100; ++round) {
        ASSERT_NO_FATAL_FAILURE(soaker.Convert(round));
    }
    for (int round = 0; round < warm_refusals; ++round) {
        ASSERT_NO_FATAL_FAILURE(soaker.Refuse(round));
    }
    ASSERT_NO_FATAL_FAILURE(soaker.StartHovering());
    for (int round = 0; round < 10; ++round) {
        ASSERT_NO_FATAL_FAILURE(soaker.Hover(round));
    }
    soaker.KeepObjects();
    for (int round = 0; round < 10; ++round) {
        ASSERT_NO_FATAL_FAILURE(soaker.Query(round));
    }
    stages.push_back({"after warm-up", 100 + warm_refusals + 10 + 10,
                      static_cast<double>(GetTickCount64() - warm_start) / 1000.0, probe.Sample()});

    RunStage(stages, probe, "conversions", size.conversions, [&](int round) { soaker.Convert(round); });
    if (!HasFatalFailure()) {
        RunStage(stages, probe, "refused inputs", size.refusals, [&](int round) { soaker.Refuse(round); });
    }
    if (!HasFatalFailure()) {
        ASSERT_NO_FATAL_FAILURE(soaker.StartHovering());
        RunStage(stages, probe, "hover cycles", size.hovers, [&](int round) { soaker.Hover(round); });
    }
    if (!HasFatalFailure()) {
        RunStage(stages, probe, "accessibility queries", size.queries, [&](int round) { soaker.Query(round); });
        soaker.LetGoOfObjects();
        const std::int64_t settled = stages[1].figures.private_bytes + kPrivateBytesBound;
        RunStage(stages, probe, "settled after queries", 1, [&](int) {
            e2e::WaitFor([&] { return probe.Sample().private_bytes <= settled; }, kSettleLimit);
        });
    }
    PrintStages(stages);
    std::printf("leaves Wine did not report, handed over by the soak: %d of %d hover cycles\n",
                soaker.LostLeaves(), size.hovers + 11);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(app.Running());

    const ProcessFigures& base = stages[1].figures;
    const ProcessFigures& end = stages.back().figures;
    std::printf("growth since warm-up: private bytes %+lld (bound +%lld), handles %+lld (bound +%lld), "
                "fonts %+lld (bound +%lld)\n",
                static_cast<long long>(end.private_bytes - base.private_bytes),
                static_cast<long long>(kPrivateBytesBound),
                static_cast<long long>(end.handles - base.handles), static_cast<long long>(kHandlesBound),
                static_cast<long long>(end.fonts - base.fonts), static_cast<long long>(kFontsBound));
    std::printf("%s\n", GuiResourcesLine(end).c_str());

    ASSERT_GE(base.private_bytes, 0) << "private bytes cannot be read";
    ASSERT_GE(base.handles, 0) << "the handle count cannot be read";
    ASSERT_GE(base.fonts, 0) << "the window does not say how many fonts it holds";
    EXPECT_LE(end.private_bytes - base.private_bytes, kPrivateBytesBound);
    EXPECT_LE(end.handles - base.handles, kHandlesBound);
    EXPECT_LE(end.fonts - base.fonts, kFontsBound);
    if (GuiResourcesAvailable(base) && GuiResourcesAvailable(end)) {
        std::printf("GDI objects %lld -> %lld, USER objects %lld -> %lld\n",
                    static_cast<long long>(base.gdi_objects), static_cast<long long>(end.gdi_objects),
                    static_cast<long long>(base.user_objects), static_cast<long long>(end.user_objects));
        EXPECT_LE(end.gdi_objects - base.gdi_objects, kGuiObjectsBound);
        EXPECT_LE(end.user_objects - base.user_objects, kGuiObjectsBound);
    }
}

}  // namespace
}  // namespace stress

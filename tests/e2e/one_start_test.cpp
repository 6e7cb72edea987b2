#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <string>

#include "app_session.h"
#include "session_checks.h"

namespace e2e {
namespace {

// The program as it is shipped, started once and walked through as a user
// would in one sitting; the order matters only where a check says so
// (first show and the designed place before anything moves, closing last).
TEST(OneStart, WalksThroughTheWindowAndEndsWithZero) {
    std::wstring exe = ConvertExe();
    for (wchar_t& c : exe) c = static_cast<wchar_t>(std::towlower(c));
    ASSERT_TRUE(exe.ends_with(L"\\convert.exe")) << "the box's caption below is the title of convert.exe";

    const ULONGLONG started = GetTickCount64();
    AppSession app;  // it checks the machine
    std::printf("driving %s, built for %s\n", Utf8(ConvertExe()).c_str(), MachineName(ExpectedMachine()).c_str());
    const auto step = [&](const char* name) {
        std::printf("[%7.1f s] %s\n", static_cast<double>(GetTickCount64() - started) / 1000.0, name);
        std::fflush(stdout);
    };
    step("window shown");
    ASSERT_NO_FATAL_FAILURE(CheckFirstShowState(app));
    ASSERT_NO_FATAL_FAILURE(CheckFirstShowTexts(app));
    ASSERT_NO_FATAL_FAILURE(CheckDesignedPlace(app));
    step("first show");
    ASSERT_NO_FATAL_FAILURE(CheckConversions(app));
    step("conversions both ways");
    ASSERT_NO_FATAL_FAILURE(CheckRefusedFieldAndItsBox(app, L"convert"));
    step("refused field and its box");
    ASSERT_NO_FATAL_FAILURE(CheckTabOrder(app));
    ASSERT_NO_FATAL_FAILURE(CheckOnlyDigitsAreTyped(app));
    step("Tab order and typing");
    ASSERT_NO_FATAL_FAILURE(CheckArrowFollowsDirection(app));
    step("direction arrow");
    ASSERT_NO_FATAL_FAILURE(CheckFrameDragKeepsSize(app));
    step("frame drag and move");
    ASSERT_NO_FATAL_FAILURE(CheckLinkLook(app));
    step("link hover");
    ASSERT_NO_FATAL_FAILURE(CheckLinkClickOpensHomePage(app));
    step("link click");
    ASSERT_NO_FATAL_FAILURE(CheckAccessibleNames(app));
    step("screen-reader names");
    ASSERT_NO_FATAL_FAILURE(CheckLinkDefaultAction(app));
    step("link's default action");
    ASSERT_NO_FATAL_FAILURE(CheckMaximiseKeepsSize(app));
    step("maximise");
    ASSERT_NO_FATAL_FAILURE(CheckHeldObjectsAfterClose(app));
    step("closed with exit code 0");
}

}  // namespace
}  // namespace e2e

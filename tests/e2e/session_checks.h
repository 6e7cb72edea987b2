// Checks that take a running program from outside. The suites run each on a
// program of its own; OneStart runs them one after another on a single
// program, for a build that takes a minute to start (the shipped 32-bit
// program under an instruction-set emulator). Each check brings the window
// to the state it needs from wherever the one before left it.
#pragma once

#include <string_view>

#include "app_session.h"

namespace e2e {

void CheckFirstShowState(const AppSession& app);
void CheckFirstShowTexts(const AppSession& app);
void CheckDesignedPlace(const AppSession& app);
void CheckConversions(const AppSession& app);
// The box's caption is the program's title, which follows the file's name.
void CheckRefusedFieldAndItsBox(const AppSession& app, std::wstring_view caption);
void CheckTabOrder(const AppSession& app);
void CheckOnlyDigitsAreTyped(const AppSession& app);
void CheckArrowFollowsDirection(const AppSession& app);
void CheckFrameDragKeepsSize(const AppSession& app);
void CheckMaximiseKeepsSize(const AppSession& app);
void CheckLinkLook(const AppSession& app);
void CheckLinkClickOpensHomePage(const AppSession& app);
void CheckAccessibleNames(const AppSession& app);
void CheckLinkDefaultAction(const AppSession& app);
// Closes the window: the program ends with 0, and objects a screen reader
// still holds answer with an error.
void CheckHeldObjectsAfterClose(const AppSession& app);

}  // namespace e2e

#include <gtest/gtest.h>

#include "app_session.h"
#include "user_input.h"

namespace e2e {
namespace {

TEST(Closing, CloseMessageEndsWithExitCodeZero) {
    AppSession app;
    app.Close();
    const auto code = app.WaitForExit();
    ASSERT_TRUE(code) << "the program did not end";
    EXPECT_EQ(*code, 0u);
}

TEST(Closing, AltF4EndsWithExitCodeZero) {
    AppSession app;
    // Under Wine a late focus event from the X server can take the front
    // from the window just after it was brought there, and the keys go to
    // the desktop: the window is brought back and the keys pressed again.
    std::optional<DWORD> code;
    for (int tries = 0; tries < 3 && !code; ++tries) {
        if (app.Running()) {
            app.Activate();
            PressChord(VK_MENU, VK_F4);
        }
        code = app.WaitForExit(4000);
    }
    ASSERT_TRUE(code) << "the program did not end";
    EXPECT_EQ(*code, 0u);
}

}  // namespace
}  // namespace e2e

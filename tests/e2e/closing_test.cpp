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
    app.Activate();
    PressChord(VK_MENU, VK_F4);
    const auto code = app.WaitForExit();
    ASSERT_TRUE(code) << "the program did not end";
    EXPECT_EQ(*code, 0u);
}

}  // namespace
}  // namespace e2e

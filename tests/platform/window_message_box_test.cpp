#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/system/message_box.h"

namespace {

TEST(WindowMessageBox, SinksNestAndRestore) {
    std::vector<std::string> outer;
    std::vector<std::string> inner;
    {
        sys::ScopedMessageBoxSink a(
            [&](const sys::MessageBoxRequest& b) { outer.push_back(b.text); });
        sys::ShowMessageBox("t", "one");
        {
            sys::ScopedMessageBoxSink b(
                [&](const sys::MessageBoxRequest& r) { inner.push_back(r.title + ":" + r.text); });
            sys::ShowMessageBox("T", "two", sys::MessageBoxIcon::Error);
        }
        sys::ShowMessageBox("t", "three");
    }
    EXPECT_EQ(outer, (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(inner, std::vector<std::string>{"T:two"});
}

TEST(WindowMessageBox, HeadlessDefaultWritesStderrAndDoesNotBlock) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    testing::internal::CaptureStderr();
    sys::ShowMessageBox("Error!", "Window Creation Failed!", sys::MessageBoxIcon::Warning);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!: Window Creation Failed!\n");
}

} // namespace

// A start error ends the game with exit code 0, which in a test binary would end the run
// early and still look like success. Here it ends the run with a failure instead; tests that
// expect a start error install their own hook.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "graphics/start_error.h"

namespace {

class StartErrorGuard : public ::testing::Environment {
  public:
    void SetUp() override {
        SetGraphicsExitHook([](int code) {
            const ::testing::TestInfo* test =
                ::testing::UnitTest::GetInstance()->current_test_info();
            std::fprintf(stderr, "A graphics start error ended the process (code %d) in %s.%s\n",
                         code, test != nullptr ? test->test_suite_name() : "?",
                         test != nullptr ? test->name() : "?");
            std::fflush(stderr);
            std::_Exit(3);
        });
    }
};

[[maybe_unused]] ::testing::Environment* const kGuard =
    ::testing::AddGlobalTestEnvironment(new StartErrorGuard);

} // namespace

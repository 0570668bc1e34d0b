#include <gtest/gtest.h>

#if defined(GORVANE_NO_DLCLOSE)
// Mesa's driver leaves a few bytes that LeakSanitizer reports from an unknown module once
// the driver is unloaded; keeping shared objects loaded keeps their symbols for the report.
extern "C" int dlclose(void*) {
    return 0;
}
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

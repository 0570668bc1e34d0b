#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/system/crt_rand.h"
#include "platform/system/type_name.h"

namespace sample {
struct Widget {};
} // namespace sample

TEST(CrtRand, MatchesTheRuntimeSequenceAndIsPerThread) {
    // The first values after seeding with 1: s = s * 214013 + 2531011, (s >> 16) & 0x7FFF.
    crt::SeedRand(1);
    const std::vector<int> expected{41, 18467, 6334, 26500, 19169};
    for (int value : expected) {
        EXPECT_EQ(crt::Rand(), value);
    }
    int other = -1;
    std::thread([&] { other = crt::Rand(); }).join();
    EXPECT_EQ(other, 41); // a new thread starts at 1 whatever this one did
}

TEST(TypeName, DemangledWithoutPrefix) {
    EXPECT_EQ(sys::TypeName<sample::Widget>(), "sample::Widget");
    EXPECT_EQ(sys::TypeName<int>(), "int");
    EXPECT_EQ(sys::Demangle("not a mangled name"), "not a mangled name");
}

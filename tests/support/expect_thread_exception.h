#pragma once
// Checks that a statement throws openutils::ThreadException with exactly the given text.
#include <gtest/gtest.h>

#include "core/thread.h"

#define EXPECT_THREAD_EXCEPTION(statement, text)                                                   \
    do {                                                                                           \
        try {                                                                                      \
            statement;                                                                             \
            ADD_FAILURE() << "no exception from " #statement;                                      \
        } catch (const openutils::ThreadException& e) {                                            \
            EXPECT_EQ(e.GetMessage(), text);                                                       \
            EXPECT_STREQ(e.what(), text);                                                          \
        }                                                                                          \
    } while (false)

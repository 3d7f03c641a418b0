// A looked-up name equals the expected text, or is null where none is expected.
#pragma once
#include <gtest/gtest.h>

inline void ExpectName(const char* actual, const char* expected) {
    if (expected) {
        EXPECT_STREQ(actual, expected);
    } else {
        EXPECT_EQ(actual, nullptr) << actual;
    }
}

// Golden text files below tests/data/details: a test compares its output with
// the committed file, or (with BRX_WRITE_GOLDEN set) writes the file, which is
// then read and reviewed before it is committed.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace brx::testing {

inline void CheckGolden(const std::string& name, const std::string& text) {
    const std::string path = std::string(BRX_SOURCE_DIR) + "/tests/data/details/" + name + ".txt";
    if (std::getenv("BRX_WRITE_GOLDEN")) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        ASSERT_TRUE(out.good()) << path;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "missing golden " << path;
    const std::string committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, committed) << "golden " << name;
}

} // namespace brx::testing

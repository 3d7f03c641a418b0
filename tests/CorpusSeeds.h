// The fuzzers' seed corpora are committed files that tests build from their
// sources: each test lists its seeds, and this checks the committed files
// against them, or (with BRX_WRITE_CORPUS set) writes them.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace brx::testing {

struct CorpusSeed {
    std::string name;
    std::vector<uint8_t> bytes;
};

// folder: the corpus folder below tests/data/corpus.
inline void CheckCorpusSeeds(const std::string& folder, const std::vector<CorpusSeed>& seeds) {
    const bool write = std::getenv("BRX_WRITE_CORPUS") != nullptr;
    const std::string dir = std::string(BRX_SOURCE_DIR) + "/tests/data/corpus/" + folder + "/";
    for (const CorpusSeed& seed : seeds) {
        SCOPED_TRACE(seed.name);
        const std::string path = dir + seed.name;
        if (write) {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
            ASSERT_TRUE(out.good());
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in.good()) << "missing seed " << path;
        const std::vector<uint8_t> committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(committed, seed.bytes);
    }
}

} // namespace brx::testing

// The seeds of the descriptor and control setup fuzzer (fuzz_descriptors):
// the device fixtures' descriptor sets and the shared captures' control
// transfers in its input form, plus one seed per walk fault met while
// building it (a cut set, a zero bLength, a group that runs past its set).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "tests/CorpusSeeds.h"
#include "tests/decode/DeviceFixtures.h"

namespace brx {
namespace {

using Seed = testing::CorpusSeed;

std::vector<uint8_t> DescriptorSeed(uint8_t mode, int32_t speed, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> s(bytes.size() + 2);
    s[0] = mode;
    s[1] = static_cast<uint8_t>(speed + 1);
    std::copy(bytes.begin(), bytes.end(), s.begin() + 2);
    return s;
}

std::vector<uint8_t> TransferSeed(const std::string& setupHex, const std::string& dataHex, int cls) {
    std::vector<uint8_t> s = {0x31, 0x03};
    auto hex = [&](const std::string& h) {
        for (size_t i = 0; i + 1 < h.size(); i += 2) s.push_back(static_cast<uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
    };
    hex(setupHex);
    s.push_back(static_cast<uint8_t>(cls < 0 ? 0 : cls));
    s.push_back(0);
    s.push_back(static_cast<uint8_t>(1 | (cls >= 0 ? 2 : 0) | 4 | 8));
    s.push_back(0x02);
    hex(dataHex);
    return s;
}

std::vector<Seed> BuildSeeds() {
    std::vector<Seed> seeds;
    for (const testing::DeviceFixture& f : testing::AllDeviceFixtures()) {
        if (!f.configuration.empty()) seeds.push_back({f.name + "_configuration", DescriptorSeed(0x30, f.speed, f.configuration)});
        if (!f.bos.empty()) seeds.push_back({f.name + "_bos", DescriptorSeed(0x34, f.speed, f.bos)});
        if (!f.hub.empty()) seeds.push_back({f.name + "_hub", DescriptorSeed(0x32, f.speed, f.hub)});
    }
    const auto acm = testing::QemuAcmComposite().configuration;
    seeds.push_back({"cut_set", DescriptorSeed(0x30, 2, std::vector<uint8_t>(acm.begin(), acm.begin() + 40))});
    std::vector<uint8_t> zero = acm;
    zero[17] = 0; // the first interface's bLength
    seeds.push_back({"zero_length", DescriptorSeed(0x30, 2, zero)});
    std::vector<uint8_t> past = acm;
    past[9 + 3] = 0x40; // an IAD that claims 64 interfaces
    seeds.push_back({"iad_past_set", DescriptorSeed(0x30, 2, past)});
    // Enough short descriptors to fill the fuzzer's page: the walk stops
    // with divisions open, which the page's end closes.
    std::vector<uint8_t> many = {0x09, 0x02, 0x00, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32};
    for (int i = 0; i < 300; ++i) many.insert(many.end(), {0x03, 0x03, 0x41});
    many[2] = static_cast<uint8_t>(many.size() & 0xFF);
    many[3] = static_cast<uint8_t>(many.size() >> 8);
    seeds.push_back({"page_full", DescriptorSeed(0x30, 1, many)});
    // Control transfers of the shared captures (a few of each kind).
    std::ifstream in(std::string(BRX_SOURCE_DIR) + "/tests/data/details/control_transfers.txt");
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cells;
        size_t start = 0;
        for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1) cells.push_back(line.substr(start, bar - start));
        cells.push_back(line.substr(start));
        if (cells.size() < 7) continue;
        const std::string& setup = cells[3];
        // One transfer of each setup packet kind (request type and bRequest).
        const std::string key = setup.substr(0, 4) + (setup.substr(2, 2) == "06" ? setup.substr(6, 2) : "");
        bool seen = false;
        for (const Seed& s : seeds) seen = seen || s.name == "transfer_" + key;
        if (seen) continue;
        seeds.push_back({"transfer_" + key, TransferSeed(setup, cells[4], std::stoi(cells[5]))});
        ++number;
    }
    EXPECT_GE(number, 8);
    return seeds;
}

TEST(DescriptorsCorpus, SeedsAreCommitted) { testing::CheckCorpusSeeds("descriptors", BuildSeeds()); }

} // namespace
} // namespace brx

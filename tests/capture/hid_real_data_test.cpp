// The HID parser on real devices' descriptors and reports, compared with what
// tshark dissects from the same bytes. The expectations live in
// tests/data/hid/*.txt (made by tools/hid_tshark_fixtures.py; see there); the
// descriptors come from the shared test data, so the tests skip without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "capture/HidTables.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;
using namespace brx::test;

namespace {

const std::string kData = BRX_TESTDATA_DIR;
const std::string kFixtures = std::string(BRX_SOURCE_DIR) + "/tests/data/hid/";

bool ReadFile(const std::string& path, Bytes& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

bool SharedDataPresent() {
    Bytes probe;
    return ReadFile(kData + "/hid-descriptors/INDEX.txt", probe);
}

// Calls fn(file name, bytes) for every shared descriptor, in file order.
template <class Fn>
void ForEachSharedDescriptor(Fn fn) {
    for (int n = 0; n < 1000; ++n) {
        char file[16];
        std::snprintf(file, sizeof file, "%03d.bin", n);
        Bytes d;
        if (ReadFile(kData + "/hid-descriptors/" + file, d)) fn(file, d);
    }
}

std::string UsageList(const HIDP_PREPARSED* pp, uint32_t first, uint32_t count) {
    std::string s;
    for (uint32_t k = 0; k < count; ++k) {
        const HIDP_USAGE& u = pp->usages[first + k];
        char buf[32];
        if (u.isRange)
            std::snprintf(buf, sizeof buf, "%04X:%04X-%04X", unsigned(u.usagePage), unsigned(u.usageMinimum),
                          unsigned(u.usageMaximum));
        else
            std::snprintf(buf, sizeof buf, "%04X:%04X", unsigned(u.usagePage), unsigned(u.usage));
        s += (s.empty() ? "" : ",") + std::string(buf);
    }
    return s.empty() ? "-" : s;
}

std::vector<uint16_t> ParseHexList(const std::string& list) {
    std::vector<uint16_t> out;
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ',')) out.push_back(uint16_t(std::stoul(item, nullptr, 16)));
    return out;
}

struct ReportCase {
    Bytes data;
    std::map<uint16_t, std::vector<uint16_t>> usages;  // page -> buttons on (tshark's order)
    struct Value {
        uint16_t page, usage;
        int32_t value;
    };
    std::vector<Value> values;
};

// The usages the parsed-descriptor cache lists for a report, by page, without
// the zeros of empty array fields.
std::map<uint16_t, std::vector<uint16_t>> CacheButtons(CHIDDeviceDataHash& cache, const Bytes& report,
                                                       uint8_t reportId, std::vector<HID_REPORT_ITEM>& items) {
    items.assign(512, HID_REPORT_ITEM{});
    uint32_t n = uint32_t(items.size());
    cache.GetReportItems(report.data(), uint32_t(report.size()), reportId, HidP_Input, 1, items.data(), &n);
    items.resize(std::min<size_t>(n, items.size()));
    std::map<uint16_t, std::vector<uint16_t>> out;
    for (const HID_REPORT_ITEM& it : items)
        if (it.isButton) out[it.usagePage].push_back(it.usage);
    for (auto& [page, list] : out) std::sort(list.begin(), list.end());
    return out;
}

} // namespace

TEST(HidRealData, MatchesTsharkFixtures) {
    if (!SharedDataPresent()) GTEST_SKIP() << "shared test data not found at " << kData;
    const char* fixtures[] = {"boot_mouse", "keyboard_capture", "keyboard_logitech", "mouse_report_ids", "gamepad",
                              "multitouch_2k", "multitouch_small", "tablet", "mouse_razer"};
    for (const char* name : fixtures) {
        SCOPED_TRACE(name);
        std::ifstream f(kFixtures + name + ".txt");
        ASSERT_TRUE(f) << "missing fixture";
        Bytes desc;
        std::vector<std::string> collections, mains;
        std::map<uint32_t, std::vector<uint32_t>> reportBits;
        std::vector<ReportCase> reports;
        size_t length = 0;
        std::string line;
        while (std::getline(f, line)) {
            std::istringstream in(line);
            std::string key;
            in >> key;
            if (key == "descriptor-file") {
                std::string file;
                in >> file;
                ASSERT_TRUE(ReadFile(kData + "/hid-descriptors/" + file, desc)) << file;
            } else if (key == "descriptor-hex") {
                std::string hex;
                in >> hex;
                desc = FromHex(hex);
            } else if (key == "length") {
                in >> length;
            } else if (key == "collection") {
                collections.push_back(line);
            } else if (key == "main") {
                mains.push_back(line);
            } else if (key == "report") {
                uint32_t id, a, b, c;
                in >> id >> a >> b >> c;
                reportBits[id] = {a, b, c};
            } else if (key == "report-data") {
                std::string hex;
                in >> hex;
                reports.push_back({FromHex(hex), {}, {}});
            } else if (key == "usages") {
                std::string page, list;
                in >> page >> list;
                reports.back().usages[uint16_t(std::stoul(page, nullptr, 16))] = ParseHexList(list);
            } else if (key == "value") {
                std::string page, usage;
                int32_t v;
                in >> page >> usage >> v;
                reports.back().values.push_back(
                    {uint16_t(std::stoul(page, nullptr, 16)), uint16_t(std::stoul(usage, nullptr, 16)), v});
            }
        }
        ASSERT_EQ(desc.size(), length);
        ParsedHid pp(desc);
        ASSERT_TRUE(pp.ok());

        // Collections and main items, line by line in tshark's notation.
        ASSERT_EQ(pp->collectionCount, collections.size());
        for (uint32_t c = 0; c < pp->collectionCount; ++c) {
            const HIDP_COLLECTION& col = pp->collections[c];
            char buf[256];
            std::snprintf(buf, sizeof buf, "collection type %u page %04X usages %s", unsigned(col.collectionType),
                          unsigned(col.usagePage), UsageList(pp.get(), col.firstUsage, col.usageCount).c_str());
            EXPECT_EQ(buf, collections[c]) << "collection " << c;
        }
        ASSERT_EQ(pp->mainItemCount, mains.size());
        for (uint32_t i = 0; i < pp->mainItemCount; ++i) {
            const HIDP_MAIN_ITEM& m = pp->mainItems[i];
            char buf[160];
            std::snprintf(buf, sizeof buf, "main %c id %u offset %u size %u count %u data %02X logical %d %d usages ",
                          "?IOF"[m.reportType], m.global.reportId, m.bitOffset, m.global.reportSize,
                          m.global.reportCount, unsigned(m.data & 0xFF), m.global.logicalMinimum,
                          m.global.logicalMaximum);
            EXPECT_EQ(buf + UsageList(pp.get(), m.firstUsage, m.usageCount), mains[i]) << "main item " << i;
        }

        // Report lengths per report id, and the caps' longest reports.
        uint32_t longest[3] = {0, 0, 0};
        for (const auto& [id, bits] : reportBits) {
            const HIDP_REPORT_ID* rec = nullptr;
            for (uint32_t r = 0; r < pp->reportIdCount; ++r)
                if (pp->reportIds[r].reportId == id) rec = &pp->reportIds[r];
            ASSERT_NE(rec, nullptr) << "report id " << id;
            for (int t = 0; t < 3; ++t) {
                EXPECT_EQ(rec->bitLength[t], bits[t]) << "report id " << id << " type " << t + 1;
                longest[t] = std::max(longest[t], (bits[t] + 7) / 8);
            }
        }
        HID_CAPS caps;
        ASSERT_EQ(HidGetCaps(pp.get(), &caps), HIDP_STATUS_SUCCESS);
        EXPECT_EQ(caps.inputReportByteLength, longest[0]);
        EXPECT_EQ(caps.outputReportByteLength, longest[1]);
        EXPECT_EQ(caps.featureReportByteLength, longest[2]);

        // Report values: the buttons on per page, and the axis values.
        CHIDDeviceRDHash rd;
        CHIDDeviceDataHash cache;
        const Bytes item = DescriptorItem(desc);
        rd.AddDescriptor(ByteReader(item.data(), item.size()));
        cache.SetRDHash(&rd);
        std::vector<uint16_t> buttonPages;
        for (uint32_t i = 0; i < pp->mainItemCount; ++i)
            if (pp->mainItems[i].reportType == HidP_Input && HidIsButtonItem(pp->mainItems[i]))
                for (uint32_t u = 0; u < pp->mainItems[i].usageCount; ++u)
                    buttonPages.push_back(pp->usages[pp->mainItems[i].firstUsage + u].usagePage);
        for (const ReportCase& r : reports) {
            SCOPED_TRACE(testing::Message() << "report " << testing::PrintToString(r.data));
            for (uint16_t page : buttonPages) {
                auto it = r.usages.find(page);
                std::vector<uint16_t> want = it == r.usages.end() ? std::vector<uint16_t>{} : it->second;
                std::vector<uint16_t> got = UsagesOn(pp.get(), page, r.data);
                std::sort(got.begin(), got.end());
                EXPECT_EQ(got, want) << "page " << page;
            }
            for (const auto& v : r.values) {
                uint32_t value = 0;
                EXPECT_EQ(HidGetUsageValue(HidP_Input, v.page, 0, v.usage, &value, pp.get(), r.data.data(),
                                           uint32_t(r.data.size())),
                          HIDP_STATUS_SUCCESS) << "usage " << v.usage;
                EXPECT_EQ(int32_t(value), v.value) << "usage " << v.usage;
            }
            // The cache lists the same buttons, without the empty array fields.
            std::vector<HID_REPORT_ITEM> items;
            const uint8_t reportId = pp->reportIdCount > 1 ? r.data[0] : 0;
            auto cached = CacheButtons(cache, r.data, reportId, items);
            for (const auto& [page, list] : r.usages) {
                std::vector<uint16_t> want;
                for (uint16_t u : list)
                    if (u) want.push_back(u);
                if (want.empty()) continue;
                EXPECT_EQ(cached[page], want) << "cached page " << page;
            }
            for (const auto& v : r.values) {
                if (v.page == 0) continue;
                auto it = std::find_if(items.begin(), items.end(), [&](const HID_REPORT_ITEM& i) {
                    return !i.isButton && i.usagePage == v.page && i.usage == v.usage;
                });
                ASSERT_NE(it, items.end()) << "cached usage " << v.usage;
                EXPECT_EQ(int32_t(it->value), v.value) << "cached usage " << v.usage;
            }
        }
    }
}

namespace {

// Why a descriptor cannot be parsed: a reserved item, an unbalanced
// collection or Push/Pop, or nothing to describe.
std::string RefusalReason(const Bytes& d) {
    size_t pos = 0;
    HID_ITEM item;
    int depth = 0, push = 0, collections = 0, mains = 0;
    size_t end = d.size();
    while (end > 1 && d[end - 1] == 0) --end;
    while (HidReadItem(d.data(), end, pos, item)) {
        if (item.type == 3) return "reserved item type";
        if (item.type == 0) {
            if (item.tag < 8 || item.tag > 12) return "reserved main tag";
            if (item.tag == 10) ++depth, ++collections;
            else if (item.tag == 12 && depth-- == 0) return "End Collection without Collection";
            else if (item.tag != 12) ++mains;
        }
        if (item.type == 1 && item.tag == 10) ++push;
        if (item.type == 1 && item.tag == 11 && push-- == 0) return "Pop without Push";
    }
    if (depth != 0) return "open collection";
    if (collections == 0 || mains == 0) return "no collection or main item";
    return "";
}

} // namespace

TEST(HidRealData, EveryDescriptorParsesOrIsRefusedForAReason) {
    if (!SharedDataPresent()) GTEST_SKIP() << "shared test data not found at " << kData;
    int parsed = 0, refused = 0;
    ForEachSharedDescriptor([&](const char* file, const Bytes& d) {
        SCOPED_TRACE(file);
        ParsedHid pp(d);
        if (!pp.ok()) {
            ++refused;
            EXPECT_NE(RefusalReason(d), "");
            return;
        }
        ++parsed;
        HID_CAPS caps;
        ASSERT_EQ(HidGetCaps(pp.get(), &caps), HIDP_STATUS_SUCCESS);
        EXPECT_EQ(caps.numberLinkCollectionNodes, pp->collectionCount);
        // Read every report id's Input report in three bit patterns, through
        // the queries and through the cache.
        HidCache c(d);
        for (uint32_t r = 0; r < pp->reportIdCount; ++r)
            for (uint8_t fill : {0x00, 0xFF, 0x5A}) {
                Bytes report(caps.inputReportByteLength ? caps.inputReportByteLength : 1, fill);
                report[0] = pp->reportIdCount > 1 ? uint8_t(pp->reportIds[r].reportId) : report[0];
                std::vector<HID_REPORT_ITEM> items(4096);
                uint32_t count = uint32_t(items.size());
                const int res = c.cache.GetReportItems(report.data(), uint32_t(report.size()), report[0],
                                                       HidP_Input, 1, items.data(), &count);
                EXPECT_EQ(res == 1, count > 0 && count <= items.size());
            }
    });
    EXPECT_GT(parsed, 0);
    std::printf("%d descriptors parsed, %d refused\n", parsed, refused);
}

namespace {

// The logical limits of every Input, Output and Feature item as HID 1.11
// (6.2.2.7) reads them, from a walk of its own: a maximum is unsigned when
// the minimum is not negative.
struct Limits {
    int64_t min, max;
};

std::vector<Limits> ItemLimits(const Bytes& d) {
    std::vector<Limits> out;
    struct Globals {
        Bytes min, max;
    } g;
    std::vector<Globals> stack;
    size_t end = d.size();
    while (end > 1 && d[end - 1] == 0) --end;
    auto asSigned = [](const Bytes& b) {
        int64_t v = 0;
        for (size_t k = b.size(); k-- > 0;) v = (v << 8) | b[k];
        if (!b.empty() && (b.back() & 0x80)) v -= int64_t(1) << (8 * b.size());
        return v;
    };
    auto asUnsigned = [](const Bytes& b) {
        int64_t v = 0;
        for (size_t k = b.size(); k-- > 0;) v = (v << 8) | b[k];
        return v;
    };
    for (size_t i = 0; i < end;) {
        const uint8_t prefix = d[i];
        if (prefix == 0xFE) {
            if (i + 2 >= end) break;
            i += 3 + d[i + 1];
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > end) break;
        const Bytes data(d.begin() + long(i) + 1, d.begin() + long(i) + 1 + long(size));
        const int type = (prefix >> 2) & 3, tag = prefix >> 4;
        if (type == 1 && tag == 1) g.min = data;
        if (type == 1 && tag == 2) g.max = data;
        if (type == 1 && tag == 10) stack.push_back(g);
        if (type == 1 && tag == 11 && !stack.empty()) {
            g = stack.back();
            stack.pop_back();
        }
        if (type == 0 && (tag == 8 || tag == 9 || tag == 11)) {
            const int64_t min = asSigned(g.min);
            const int64_t max = min >= 0 ? asUnsigned(g.max) : asSigned(g.max);
            out.push_back({min, std::min<int64_t>(max, INT32_MAX)});
        }
        i += 1 + size;
    }
    return out;
}

} // namespace

TEST(HidRealData, NoItemIsSwappedUnlessItsLimitsAreReversed) {
    if (!SharedDataPresent()) GTEST_SKIP() << "shared test data not found at " << kData;
    int checked = 0, unsignedMaximums = 0;
    ForEachSharedDescriptor([&](const char* file, const Bytes& d) {
        SCOPED_TRACE(file);
        ParsedHid pp(d);
        if (!pp.ok()) return;
        const std::vector<Limits> want = ItemLimits(d);
        ASSERT_EQ(want.size(), pp->mainItemCount);
        for (uint32_t i = 0; i < pp->mainItemCount; ++i) {
            const HIDP_MAIN_ITEM& m = pp->mainItems[i];
            const bool reversed = want[i].max < want[i].min;
            EXPECT_EQ((m.flags & HID_ITEM_FLAG_SWAPPED) != 0, reversed) << "main item " << i;
            EXPECT_EQ(m.global.logicalMinimum, reversed ? want[i].max : want[i].min) << "main item " << i;
            EXPECT_EQ(m.global.logicalMaximum, reversed ? want[i].min : want[i].max) << "main item " << i;
            if (want[i].min >= 0 && want[i].max > 127 && want[i].max < 256) ++unsignedMaximums;
        }
        ++checked;
    });
    EXPECT_GT(checked, 200);
    EXPECT_GT(unsignedMaximums, 0);
}

TEST(HidRealData, ValuesOfAnItemWithAOneByteMaximumAreUnsigned) {
    if (!SharedDataPresent()) GTEST_SKIP() << "shared test data not found at " << kData;
    // 012.bin: the value of usage 0001:0000 (a mouse's, report 1) with
    // limits 0..255 written as 15 00 25 FF.
    Bytes d;
    ASSERT_TRUE(ReadFile(kData + "/hid-descriptors/012.bin", d));
    ParsedHid pp(d);
    ASSERT_TRUE(pp.ok());
    const HIDP_MAIN_ITEM* item = nullptr;
    uint16_t page = 0, usage = 0;
    for (uint32_t i = 0; i < pp->mainItemCount && !item; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        if (m.reportType == HidP_Input && HidIsValueItem(m) && HidFieldUsage(pp.get(), m, 0, page, usage) &&
            page == 1 && usage == 0)
            item = &m;
    }
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->global.logicalMinimum, 0);
    EXPECT_EQ(item->global.logicalMaximum, 255);
    ASSERT_EQ(item->global.reportSize, 8u);
    ASSERT_EQ(item->bitOffset % 8, 0u);
    HID_CAPS caps;
    ASSERT_EQ(HidGetCaps(pp.get(), &caps), HIDP_STATUS_SUCCESS);
    HidCache c(d);
    for (uint8_t raw : {0x00, 0x03, 0x80, 0xFF}) {
        SCOPED_TRACE(int(raw));
        Bytes report(caps.inputReportByteLength, 0);
        if (pp->reportIdCount > 1) report[0] = uint8_t(item->global.reportId);
        report[item->bitOffset / 8] = raw;
        uint32_t value = 0;
        ASSERT_EQ(HidGetUsageValue(HidP_Input, page, 0, usage, &value, pp.get(), report.data(),
                                   uint32_t(report.size())),
                  HIDP_STATUS_SUCCESS);
        EXPECT_EQ(value, raw);
        std::vector<HID_REPORT_ITEM> items(4096);
        uint32_t count = uint32_t(items.size());
        c.cache.GetReportItems(report.data(), uint32_t(report.size()), report[0], HidP_Input, 1, items.data(), &count);
        items.resize(std::min<size_t>(count, items.size()));
        auto it = std::find_if(items.begin(), items.end(), [&](const HID_REPORT_ITEM& i) {
            return !i.isButton && i.usagePage == page && i.usage == usage;
        });
        ASSERT_NE(it, items.end());
        EXPECT_EQ(it->value, raw);
        EXPECT_EQ(it->logicalMax, 255);
    }
}

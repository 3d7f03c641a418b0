// The structure check of property set streams: a sound set passes; every
// count, size and offset that the stream does not hold is refused, each case
// in a buffer of exactly its size (ASan sees any read past it).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/PropertySetCheck.h"
#include "tests/CorpusSeeds.h"
#include "tests/capture/PropertySetBuilder.h"

using namespace brx;
using brx::fixtures::PropertySetBuilder;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t VT_UI4_ = 0x13, VT_LPWSTR_ = 0x1F, VT_LPSTR_ = 0x1E, VT_BLOB_ = 0x41, VT_FILETIME_ = 0x40,
                   VT_I2_ = 0x02, VT_VECTOR_ = 0x1000, VT_ARRAY_ = 0x2000, VT_VARIANT_ = 0x0C, VT_CF_ = 0x47;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes D(uint32_t v) { return PropertySetBuilder::Dword(v); }
Bytes W(uint16_t type) {
    Bytes b;
    PropertySetBuilder::Le16(b, type);
    PropertySetBuilder::Le16(b, 0);
    return b;
}

// The own set as a save writes it: version, the two reserved values, system
// blobs, bitness, base block and driver information.
PropertySetBuilder SavedOwnSet() {
    PropertySetBuilder b(FMTID_CAPTURE_LOG);
    b.UInt(2, 0x00010001).UInt(3, 2).UInt(4, 2);
    b.Add(5, VT_BLOB_, Cat({D(22), Bytes(22, 1)}));
    b.Add(6, VT_BLOB_, Cat({D(22), Bytes(22, 2)}));
    b.UInt(11, 32);
    b.Add(10, VT_BLOB_, Cat({D(32), Bytes(32, 3)}));
    b.Add(12, VT_BLOB_, Cat({D(124), Bytes(124, 4)}));
    return b;
}

bool Check(const Bytes& stream, const FILE_GUID& fmtid = FMTID_CAPTURE_LOG) {
    // A heap block of exactly the stream's size.
    std::vector<uint8_t> exact(stream.begin(), stream.end());
    return CheckPropertySetStream(exact.data(), exact.size(), fmtid);
}

// The set with one more property of raw bytes after the version.
Bytes With(uint16_t type, Bytes value) {
    PropertySetBuilder b(FMTID_CAPTURE_LOG);
    b.UInt(2, 0x00010001);
    b.Raw(3, Cat({W(type), value}));
    return b.Bytes();
}

// The crafted streams that must be refused; also the fuzzer's seeds.
struct Case {
    const char* name;
    Bytes stream;
};

std::vector<Case> RefusedCases() {
    const Bytes saved = SavedOwnSet().Bytes();
    auto patched = [&](size_t at, Bytes value) {
        Bytes b = saved;
        for (size_t i = 0; i < value.size(); ++i) b[at + i] = value[i];
        return b;
    };
    return {
        // The case: a vector of 1000 strings and not one of them.
        {"vector_lpwstr_1000_empty", With(VT_VECTOR_ | VT_LPWSTR_, D(1000))},
        {"vector_lpwstr_count_max", With(VT_VECTOR_ | VT_LPWSTR_, D(0xFFFFFFFF))},
        {"vector_lpwstr_second_too_long",
         With(VT_VECTOR_ | VT_LPWSTR_, Cat({D(2), PropertySetBuilder::Wide(u"ab"), D(0x40000000)}))},
        {"vector_ui4_count_past_end", With(VT_VECTOR_ | VT_UI4_, Cat({D(3), D(1), D(2)}))},
        {"vector_filetime_count_overflow", With(VT_VECTOR_ | VT_FILETIME_, D(0x20000001))},
        {"vector_variant_count_past_end", With(VT_VECTOR_ | VT_VARIANT_, Cat({D(2), W(VT_UI4_), D(7)}))},
        {"vector_variant_nested_deep",
         With(VT_VECTOR_ | VT_VARIANT_, Cat({D(1), W(VT_VECTOR_ | VT_VARIANT_), D(1), W(VT_VECTOR_ | VT_VARIANT_),
                                             D(1), W(VT_UI4_), D(1)}))},
        {"array_dimensions_overflow",
         With(VT_ARRAY_ | VT_UI4_, Cat({D(VT_UI4_), D(2), D(0x10000), D(0), D(0x10000), D(0), D(5)}))},
        {"array_no_dimension", With(VT_ARRAY_ | VT_UI4_, Cat({D(VT_UI4_), D(0)}))},
        {"array_header_type_differs", With(VT_ARRAY_ | VT_UI4_, Cat({D(VT_I2_), D(1), D(1), D(0), D(5)}))},
        {"lpwstr_longer_than_section", With(VT_LPWSTR_, Cat({D(100), Bytes(8, 0x41)}))},
        {"lpwstr_length_0", With(VT_LPWSTR_, D(0))},
        {"lpstr_length_max", With(VT_LPSTR_, D(0xFFFFFFFF))},
        {"blob_longer_than_section", With(VT_BLOB_, Cat({D(0x7FFFFFFF), D(0)}))},
        {"cf_size_below_format", With(VT_CF_, D(2))},
        {"value_cut_after_type", With(VT_FILETIME_, {})},
        {"unknown_type", With(0x00FF, D(0))},
        {"type_padding_not_zero", [] {
             PropertySetBuilder b(FMTID_CAPTURE_LOG);
             b.Raw(2, Cat({Bytes{0x13, 0, 1, 0}, D(5)}));
             return b.Bytes();
         }()},
        {"vector_of_blob", With(VT_VECTOR_ | VT_BLOB_, D(0))},
        {"section_size_past_stream", SavedOwnSet().Bytes(4)},
        {"section_size_below_header", patched(48, D(4))},
        {"property_count_past_section", patched(52, D(1000))},
        {"property_count_max", patched(52, D(0xFFFFFFFF))},
        {"first_offset_past_section", patched(60, D(0x7FFFFFF0))},
        {"first_offset_inside_table", patched(60, D(12))},
        {"section_offset_not_48", patched(44, D(52))},
        {"two_sections", patched(24, D(2))},
        {"byte_order_swapped", patched(0, {0xFF, 0xFE})},
        {"format_version_2", patched(2, {2, 0})},
        {"dictionary", [] {
             PropertySetBuilder b(FMTID_CAPTURE_LOG);
             b.Raw(0, Cat({D(1), D(2), D(2), {'a', 0, 0, 0}}));
             return b.Bytes();
         }()},
        {"cut_in_header", Bytes(saved.begin(), saved.begin() + 40)},
        {"cut_in_section", Bytes(saved.begin(), saved.end() - 10)},
    };
}

TEST(PropertySetCheck, SavedSetsPass) {
    EXPECT_TRUE(Check(SavedOwnSet().Bytes()));
    PropertySetBuilder summary(FMTID_SUMMARY_INFORMATION);
    summary.Add(1, VT_I2_, {0xB0, 0x04});   // code page 1200
    summary.Add(2, VT_LPWSTR_, PropertySetBuilder::Wide(u""));
    summary.Add(9, VT_LPWSTR_, PropertySetBuilder::Wide(u"3"));
    summary.Add(12, VT_FILETIME_, Cat({D(1), D(2)}));
    summary.Add(18, VT_LPWSTR_, PropertySetBuilder::Wide(u"Brindlex 1.0"));
    summary.Add(19, 0x03, D(0));
    EXPECT_TRUE(Check(summary.Bytes(), FMTID_SUMMARY_INFORMATION));
    // A writer that counts the last value's padding but leaves it out.
    summary.Add(4, VT_LPWSTR_, PropertySetBuilder::Wide(u""));
    Bytes unpadded = summary.Bytes();
    unpadded.resize(unpadded.size() - 2);
    EXPECT_TRUE(Check(unpadded, FMTID_SUMMARY_INFORMATION));
    unpadded.resize(unpadded.size() - 2);   // now the NUL itself is missing
    EXPECT_FALSE(Check(unpadded, FMTID_SUMMARY_INFORMATION));
    // Sound values of the other kinds the format defines.
    const Case sound[] = {
        {"vector of strings", With(VT_VECTOR_ | VT_LPWSTR_,
                                   Cat({D(2), PropertySetBuilder::Wide(u"ab"), PropertySetBuilder::Wide(u"c")}))},
        {"vector of variants", With(VT_VECTOR_ | VT_VARIANT_, Cat({D(2), W(VT_UI4_), D(7), W(VT_FILETIME_), D(1), D(2)}))},
        {"array 2 x 2", With(VT_ARRAY_ | VT_UI4_, Cat({D(VT_UI4_), D(2), D(2), D(0), D(2), D(0), D(1), D(2), D(3), D(4)}))},
        {"empty vector", With(VT_VECTOR_ | VT_UI4_, D(0))},
        {"clipboard", With(VT_CF_, Cat({D(8), D(0xFFFFFFFF), D(3)}))},
        {"empty", With(0, {})},
    };
    for (const Case& c : sound) EXPECT_TRUE(Check(c.stream)) << c.name;
}

TEST(PropertySetCheck, CountsAndSizesTheStreamDoesNotHoldAreRefused) {
    for (const Case& c : RefusedCases()) EXPECT_FALSE(Check(c.stream)) << c.name;
}

TEST(PropertySetCheck, AnotherFormatIdOrAnOversizedStreamIsRefused) {
    EXPECT_FALSE(Check(SavedOwnSet().Bytes(), FMTID_SUMMARY_INFORMATION));
    EXPECT_FALSE(CheckPropertySetStream(nullptr, 0, FMTID_CAPTURE_LOG));
    Bytes big = SavedOwnSet().Bytes();
    big.resize(MAX_PROPERTY_SET_STREAM + 1);
    EXPECT_FALSE(Check(big));
    // Every cut of a sound set is refused or passes without reading past it.
    const Bytes saved = SavedOwnSet().Bytes();
    for (size_t n = 0; n < saved.size(); ++n) EXPECT_FALSE(Check(Bytes(saved.begin(), saved.begin() + n))) << n;
}

// The crafted streams are seeds of the capture-file fuzzer (mode 2: the
// property-set check).
TEST(PropertySetCheck, CraftedStreamsAreFuzzSeeds) {
    std::vector<brx::testing::CorpusSeed> seeds;
    for (const Case& c : RefusedCases()) {
        Bytes seed = {2};
        seed.insert(seed.end(), c.stream.begin(), c.stream.end());
        seeds.push_back({std::string("propertyset_") + c.name, seed});
    }
    brx::testing::CheckCorpusSeeds("capturefile", seeds);
}

} // namespace

#include <gtest/gtest.h>

#include <cinttypes>

#include "base/AppendBuffer.h"
#include "base/ByteReader.h"
#include "base/Format.h"
#include "base/Text.h"

using namespace brx;

TEST(ByteReader, ReadsBothByteOrdersAndRefusesPastTheEnd) {
    const uint8_t b[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    ByteReader r(b, sizeof b);
    uint16_t w;
    uint32_t d;
    uint64_t q;
    ASSERT_TRUE(r.u16le(0, w));
    EXPECT_EQ(w, 0x0201);
    ASSERT_TRUE(r.u16be(0, w));
    EXPECT_EQ(w, 0x0102);
    ASSERT_TRUE(r.u32le(4, d));
    EXPECT_EQ(d, 0x08070605u);
    ASSERT_TRUE(r.u32be(4, d));
    EXPECT_EQ(d, 0x05060708u);
    ASSERT_TRUE(r.u64le(0, q));
    EXPECT_EQ(q, 0x0807060504030201ull);
    EXPECT_FALSE(r.u32le(5, d));
    EXPECT_FALSE(r.u64le(1, q));
    EXPECT_FALSE(r.has(SIZE_MAX, 2));   // offset + count would wrap
    EXPECT_FALSE(r.has(4, SIZE_MAX));
    EXPECT_EQ(r.u32le_or(6, 0xDEAD), 0xDEADu);
    EXPECT_EQ(r.sub(6, 100).size(), 2u);
    EXPECT_EQ(r.from(9).size(), 0u);
}

TEST(ByteCursor, FailedReadLeavesPositionAlone) {
    const uint8_t b[] = {0xAA, 0xBB, 0xCC};
    ByteCursor c(b, sizeof b);
    uint16_t w;
    ASSERT_TRUE(c.u16le(w));
    EXPECT_EQ(w, 0xBBAA);
    EXPECT_FALSE(c.u16le(w));
    EXPECT_EQ(c.pos(), 2u);
    uint8_t v;
    ASSERT_TRUE(c.u8(v));
    EXPECT_TRUE(c.at_end());
    ByteReader none;
    EXPECT_FALSE(c.take(1, none));
}

TEST(AppendBuffer, CapacityOverflowAndRollback) {
    AppendBuffer buf(8);
    EXPECT_TRUE(buf.append("abc"));
    size_t m = buf.mark();
    EXPECT_TRUE(buf.appendf("%02Xh", 0x1Fu));
    EXPECT_EQ(buf.str(), "abc1Fh");
    EXPECT_FALSE(buf.append("xyz"));   // would pass 8 bytes: nothing written
    EXPECT_TRUE(buf.overflowed());
    EXPECT_EQ(buf.size(), 6u);
    buf.rollback(m);
    EXPECT_EQ(buf.str(), "abc");
}

TEST(Format, SameTextOnBothToolchains) {
    uint64_t big = 0x123456789ABCDEF0ull;
    EXPECT_EQ(StrFormat("%08X %u %" PRIu64 " %" PRIX64, 0xABCu, 4000000000u, big, big),
              "00000ABC 4000000000 1311768467463790320 123456789ABCDEF0");
    std::string s = "x";
    EXPECT_EQ(StrAppendF(s, "%300s", ""), 300u);   // longer than the small buffer
    EXPECT_EQ(s.size(), 301u);
}

TEST(Text, AnsiAndUtf8RoundTrips) {
    std::string ansi = "A\x80\xE9\x9F";   // A, euro, e-acute, Y-diaeresis
    WString w = AnsiToWide(ansi);
    EXPECT_EQ(w, (WString{u'A', 0x20AC, 0xE9, 0x178}));
    EXPECT_EQ(WideToAnsi(w), ansi);
    EXPECT_EQ(WideToAnsi(u"\u4E2D"), "?");
    EXPECT_EQ(Cp1252ToWide(0x81), 0x81);
    WString emoji = Utf8ToWide("a\xF0\x9F\x98\x80");
    EXPECT_EQ(emoji.size(), 3u);
    EXPECT_EQ(WideToUtf8(emoji), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("\xE2\x82"), WString(1, 0xFFFD));   // truncated sequence
    const char16_t t[] = {u'a', u'b', 0};
    EXPECT_EQ(WideLength(t, 10), 2u);
    EXPECT_EQ(WideLength(t, 1), 1u);
}

TEST(Text, WholeTextsEqualIgnoringAsciiCase) {
    const struct {
        std::u16string_view a, b;
        bool equal;
    } cases[] = {
        {u"USB\\VID_046D&PID_C077\\6&1a2b&0&1", u"usb\\vid_046d&pid_c077\\6&1A2B&0&1", true},
        {u"USB\\ROOT_HUB\\4&0&1", u"USB\\ROOT_HUB\\4&0&10", false},   // a prefix is not equal
        {u"\\Device\\USBPDO-10", u"\\Device\\USBPDO-1", false},
        {u"", u"", true},
        {u"[", u"{", false},                                   // only letters fold
        {u"\u00E9", u"\u00C9", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WideEqualsIgnoreCase(c.a, c.b), c.equal);
        EXPECT_EQ(WideEqualsIgnoreCase(c.b, c.a), c.equal);
    }
}

#include <gtest/gtest.h>

#include <string>

#include "base/Markup.h"

using namespace brx;

namespace {

struct NarrowCase {
    const char* name;
    std::string in;
    std::string out;
};

TEST(Markup, NarrowTextIsEscapedToAscii) {
    const NarrowCase cases[] = {
        {"plain", "Mass Storage 1.0", "Mass Storage 1.0"},
        {"specials", "a&b <c> \"d\"", "a&amp;b &lt;c&gt; &quot;d&quot;"},
        {"script", "<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"entity-looking", "&amp;", "&amp;amp;"},
        {"latin-1", "Caf\xE9", "Caf&#233;"},
        {"cp1252 euro", "\x80 5", "&#8364; 5"},
        {"cp1252 quotes", "\x93x\x94", "&#8220;x&#8221;"},
        {"micro", "125 \xB5s", "125 &micro;s"},
        {"controls", std::string("a\x01" "b\x1F" "c\x7F", 6), "a.b.c."},
        {"white space kept", "a\tb\r\nc", "a\tb\r\nc"},
        {"undefined cp1252 byte", "\x81", "."},
        {"nul inside", std::string("a\0b", 3), "a.b"},
    };
    for (const NarrowCase& c : cases) {
        EXPECT_EQ(MarkupText(c.in), c.out) << c.name;
        for (unsigned char ch : MarkupText(c.in)) EXPECT_LT(ch, 0x80) << c.name;
    }
}

struct WideCase {
    const char* name;
    std::u16string in;
    std::string out;
};

TEST(Markup, WideTextUsesOneReferencePerCharacter) {
    const WideCase cases[] = {
        {"ascii", u"Port 1", "Port 1"},
        {"specials", u"<a href=\"x\">&", "&lt;a href=&quot;x&quot;&gt;&amp;"},
        {"bmp", u"\u00E9\u4E2D", "&#233;&#20013;"},
        {"surrogate pair", u"\U0001F600!", "&#128512;!"},
        {"two pairs", u"\U00010000\U0010FFFF", "&#65536;&#1114111;"},
        {"lone high", std::u16string(u"a") + char16_t(0xD800) + u"b", "a&#65533;b"},
        {"lone low", std::u16string(1, char16_t(0xDC00)), "&#65533;"},
        {"high at end", std::u16string(1, char16_t(0xDBFF)), "&#65533;"},
        {"reversed pair", std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "&#65533;&#65533;"},
        {"micro", u"\u00B5", "&micro;"},
        {"c1 control", u"\u0085", "."},
    };
    for (const WideCase& c : cases) EXPECT_EQ(MarkupWide(c.in), c.out) << c.name;
}

TEST(Markup, BoundedFormsWriteWholeOrNothing) {
    char out[16];
    EXPECT_EQ(FormatMarkupText("a<b", out, sizeof out), 6u);
    EXPECT_STREQ(out, "a&lt;b");
    // 6 characters need 7 bytes with the NUL.
    EXPECT_EQ(FormatMarkupText("a<b", out, 7), 6u);
    EXPECT_EQ(FormatMarkupText("a<b", out, 6), 0u);
    EXPECT_STREQ(out, "");
    // The text stops at its first NUL.
    EXPECT_EQ(FormatMarkupText(std::string_view("ab\0<", 4), out, sizeof out), 2u);
    EXPECT_STREQ(out, "ab");

    EXPECT_EQ(FormatUnicodeCharRefs(u"\U0001F600", out, sizeof out), 9u);
    EXPECT_STREQ(out, "&#128512;");
    EXPECT_EQ(FormatUnicodeCharRefs(u"\U0001F600", out, 9), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(FormatUnicodeCharRefs(u"", out, sizeof out), 0u);
    EXPECT_EQ(FormatUnicodeCharRefs(std::u16string_view(u"x\0y", 3), out, sizeof out), 1u);
    EXPECT_STREQ(out, "x");
    EXPECT_EQ(FormatMarkupText("x", nullptr, 0), 0u);
}

} // namespace

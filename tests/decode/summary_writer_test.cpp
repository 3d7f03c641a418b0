// The summary writer on its own: bounded appends, the line rules, the header
// with its status colours, endpoint lines, markers and the escaping of
// captured text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/RequestKind.h"
#include "decode/SummaryWriter.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/SummaryText.h"

namespace brx {
namespace {

using testing::RtfToText;

constexpr std::string_view kLine = "\\pard\\plain\\li100\\sb0\\sa0\\tx120\\tx2000\\ql\\f0\\fs16\\cf1\\b ";
constexpr std::string_view kMiddle = "\\tab\\b0\\f0\\fs16\\cf1 ";

// A context over a buffer of its own.
struct Writer {
    explicit Writer(uint32_t size = 4096, const CRecordView* record = nullptr) : buffer(size) {
        InitSummaryContext(ctx, buffer.data(), size, record, kDefaultRecordLayout);
    }
    std::string Text() const { return std::string(buffer.data(), static_cast<size_t>(ctx.cursor - buffer.data())); }
    std::vector<char> buffer;
    SUMMARY_CONTEXT ctx;
};

std::string Line(const std::string& label, const std::string& value) {
    return std::string(kLine) + label + std::string(kMiddle) + value + "\\par";
}

TEST(SummaryWriter, ValueRulesByFlag) {
    struct Case {
        uint32_t value;
        uint32_t flags;
        const char* text;
        const char* shown;
    } cases[] = {
        {0, RTF_VALUE_HEX8, nullptr, "00000000h"},
        {0, RTF_VALUE_HEX2, nullptr, "00h"},
        {0, RTF_VALUE_DECIMAL, nullptr, "0"},
        {0x1234, RTF_VALUE_HEX4, nullptr, "1234h"},
        {0xABCDEF01, 0, nullptr, "ABCDEF01h"},                       // no flag, no text
        {0xC0000001, RTF_VALUE_HEX8_ONLY, "STATUS_UNSUCCESSFUL", "C0000001h"}, // the text is not shown
        {7, RTF_VALUE_HEX2, "Seven", "Seven"},                        // a text stands for the number
        {7, RTF_VALUE_DECIMAL | RTF_VALUE_HEX2, nullptr, "7"},        // decimal wins over hex
        {0xFFFFFFFF, RTF_VALUE_DECIMAL, nullptr, "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        Writer w;
        EXPECT_EQ(AppendRtfLine(w.ctx, "Label", c.value, c.flags, c.text), S_OK32);
        EXPECT_EQ(w.Text(), Line("Label", c.shown));
    }
}

TEST(SummaryWriter, IndentedLinesAndNullTexts) {
    Writer w;
    AppendRtfTextLine(w.ctx, nullptr, nullptr, RTF_LINE_INDENTED);
    EXPECT_EQ(w.Text(), "\\pard\\plain\\li100\\sb0\\sa0\\tx100\\tx340\\tx2200\\ql\\f0\\fs16\\cf1\\tab " +
                            std::string(kMiddle) + "\\par");
    Writer p;
    AppendRtfPar(p.ctx);
    EXPECT_EQ(p.Text(), "\\par");
}

TEST(SummaryWriter, WideValues) {
    const uint8_t ab[] = {'A', 0, 'B', 0};
    Writer w;
    AppendRtfWideLine(w.ctx, "Text", ab, 2);
    EXPECT_EQ(w.Text(), Line("Text", "\\uc1\\u0065?\\u0066?"));
    EXPECT_EQ(RtfToText(w.Text()), "Text\tAB\n");

    for (const uint8_t* bytes : {static_cast<const uint8_t*>(nullptr), static_cast<const uint8_t*>(ab + 4)}) {
        Writer e;
        AppendRtfWideLine(e.ctx, "Text", bytes, 0);
        EXPECT_EQ(e.Text(), Line("Text", ""));
    }
    // Text ends at its NUL; quoted values stand between double quotes.
    const uint8_t withNul[] = {'x', 0, 0, 0, 'y', 0};
    Writer q;
    AppendRtfWideLine(q.ctx, "String", withNul, 3, 0, true);
    EXPECT_EQ(RtfToText(q.Text()), "String\t\"x\"\n");
}

TEST(SummaryWriter, LongWideValuesStopInsideTheirScratch) {
    std::vector<uint8_t> text;
    for (int i = 0; i < 2000; ++i) {
        text.push_back(0xFD);
        text.push_back(0xFF);  // U+FFFD: the longest escape
    }
    Writer w(64 * 1024);
    AppendRtfWideLine(w.ctx, "Text", text.data(), 2000);
    const std::string plain = RtfToText(w.Text());
    EXPECT_LT(w.Text().size(), 1024 + kLine.size() + kMiddle.size() + 16);
    EXPECT_GT(plain.size(), 300u);  // about 126 characters of three UTF-8 bytes
}

TEST(SummaryWriter, LengthLines) {
    struct Case {
        uint32_t length;
        const char* text;
    } cases[] = {{0, "0"}, {255, "255"}, {256, "100h (256)"}, {0x12345, "12345h (74565)"}};
    for (const Case& c : cases) {
        Writer w;
        AppendLengthLine(w.ctx, nullptr, c.length);
        EXPECT_EQ(RtfToText(w.Text()), std::string("Buffer Length\t") + c.text + "\n");
    }
}

TEST(SummaryWriter, EndpointAddresses) {
    struct Case {
        uint32_t value;
        const char* text;
    } cases[] = {{0x81, "81h, 1 In"}, {0x80, "80h"}, {0, "0"}, {0x02, "02h, 2 Out"}, {0x100, "0"}};
    for (const Case& c : cases) {
        char text[32];
        FormatEndpointAddress(c.value, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(SummaryWriter, EndpointLines) {
    struct Case {
        uint8_t packed;
        const char* text;
    } cases[] = {
        {0xFF, "Endpoint ??\t\n"},
        {0x00, "Endpoint 0\tDefault Control\n"},
        {0xE1, "Endpoint 81h\t1 In, Interrupt\n"},   // type bits 3: interrupt
        {0x42, "Endpoint 02h\t2 Out, Bulk\n"},
        {0x83, "Endpoint 83h\t3, In\n"},             // type not known
        {0x10, "Endpoint 0\tDefault Control\n"},     // bit 4 is no part of the address
    };
    for (const Case& c : cases) {
        Writer w;
        AppendUrbEndpointLine(w.ctx, c.packed);
        EXPECT_EQ(RtfToText(w.Text()), c.text);
    }

    const uint8_t interrupt[] = {7, 5, 0x81, 0x03, 0x08, 0x18, 10};   // 8 bytes plus additional transactions
    const uint8_t control[] = {7, 5, 0x00, 0x00, 0x40, 0x00, 0};
    const uint8_t notEndpoint[] = {7, 4, 0x81, 0x03, 0x08, 0x00, 10};
    Writer w;
    AppendEndpointDescriptorLine(w.ctx, interrupt, sizeof interrupt);
    AppendEndpointDescriptorLine(w.ctx, control, sizeof control);
    AppendEndpointDescriptorLine(w.ctx, notEndpoint, sizeof notEndpoint);
    AppendEndpointDescriptorLine(w.ctx, interrupt, 6);                 // cut short
    AppendEndpointLine(w.ctx, interrupt, sizeof interrupt);            // the number alone in the label
    const uint8_t pipe[] = {0x00, 0x02, 0x82, 0, 2, 0, 0, 0};          // 512 bytes, bulk
    AppendPipeLine(w.ctx, pipe, sizeof pipe);
    AppendPipeLine(w.ctx, pipe, 7);
    EXPECT_EQ(RtfToText(w.Text()),
              "Endpoint 81h\t1 In, Interrupt 8 bytes\n"
              "Endpoint 00h\t0, Control 64 bytes\n"
              "Endpoint 01h\t1 In, Interrupt 8 bytes\n"
              "Endpoint 82h\t2 In, Bulk 512 bytes\n");
}

TEST(SummaryWriter, MarkersAndHead) {
    Writer w;
    SummarizeStartMarker(w.ctx);
    SummarizeDropMarker(w.ctx);
    EXPECT_EQ(w.Text(),
              "\\pard\\li100\\sb100\\sa200\\ql\\f0\\fs20\\cf0  \\b Start Capture\\par"
              "\\pard\\li100\\sb100\\sa200\\ql\\f0\\fs20\\cf6  \\b Drop\\par");
    EXPECT_EQ(RtfToText(w.Text()), " Start Capture\n Drop\n");

    Writer head;
    AppendSummaryHead(head.ctx, "Tahoma", nullptr);
    const std::string h = head.Text();
    EXPECT_EQ(h.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset1"
                      "{\\*\\fname Tahoma;}Tahoma;}{\\f1\\fmodern\\fprq1\\fcharset1{\\*\\fname ;};}}{\\colortbl;",
                      0),
              0u);
    EXPECT_NE(h.find("\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;"), std::string::npos);
    EXPECT_EQ(h.back(), '}');  // the colour table; the document stays open
    EXPECT_EQ(RtfToText(h + "}"), "");
    // A font name cannot end its table entry early.
    Writer odd;
    AppendSummaryHead(odd.ctx, "A;B{", "C");
    EXPECT_NE(odd.Text().find("\\fname A\\'3bB\\'7b;}"), std::string::npos);
}

TEST(SummaryWriter, BoundedAppendCutsAndReportsBufferFull) {
    Writer w(8);
    EXPECT_EQ(SummaryAppend(w.ctx, "abc"), S_OK32);
    EXPECT_EQ(w.ctx.remaining, 5u);
    EXPECT_EQ(SummaryAppend(w.ctx, "defghij"), SUMMARY_E_BUFFER_FULL);
    EXPECT_EQ(w.Text(), "abcdefg");
    EXPECT_EQ(w.ctx.remaining, 1u);
    EXPECT_EQ(w.buffer[7], '\0');
    EXPECT_EQ(AppendRtfPar(w.ctx), SUMMARY_E_BUFFER_FULL);  // later writes add nothing
    EXPECT_EQ(SummaryAppend(w.ctx, ""), S_OK32);
    EXPECT_EQ(w.Text(), "abcdefg");

    SUMMARY_CONTEXT none;
    EXPECT_EQ(SummaryAppend(none, "x"), SUMMARY_E_BUFFER_FULL);
    EXPECT_EQ(AppendRtfLine(none, "x", 1, RTF_VALUE_DECIMAL), SUMMARY_E_BUFFER_FULL);
}

TEST(SummaryWriter, EscapesCapturedText) {
    const std::u16string name = u"\\Device\\{Odd} na\u00efve \u20ac \u4e2d\x01";
    char out[256];
    const size_t n = EscapeRtfText(name.data(), name.size(), out, sizeof out);
    EXPECT_EQ(std::string(out, n),
              "\\\\Device\\\\\\{Odd\\} na\\u239?ve \\u8364? \\u20013?\\u1?");
    EXPECT_EQ(RtfToText(std::string(out, n)), WideToUtf8(name));

    // Units from 8000h on are written as RTF's signed numbers.
    const char16_t high[] = {0xFFFD, 0x8000, 0};
    EscapeRtfText(high, 3, out, sizeof out);
    EXPECT_STREQ(out, "\\u-3?\\u-32768?");
    EXPECT_EQ(RtfToText(out), WideToUtf8(std::u16string(high, 2)));

    // Little-endian bytes at any alignment, ending at a NUL.
    const uint8_t bytes[] = {0, '{', 0, 'a', 0, 0, 0, 'b', 0};
    EscapeRtfText(bytes + 1, 4, out, sizeof out);
    EXPECT_STREQ(out, "\\{a");

    // Only whole escapes, and always the NUL.
    char small[6];
    EXPECT_EQ(EscapeRtfText(u"ab\u00e9", 3, small, sizeof small), 2u);
    EXPECT_STREQ(small, "ab");
    EXPECT_EQ(EscapeRtfText(u"ab", 2, small, 1), 0u);
    EXPECT_EQ(small[0], '\0');
}

// The header paragraph: kind word, request name, status word in its colour.
class SummaryHeaderTest : public ::testing::Test {
protected:
    std::string Header(const Bytes& record) {
        log.Append(record);
        const uint32_t index = log.GetRecordCount() - 1;
        std::vector<uint8_t> a(record.size()), b(16);
        CRecordPairView pair;
        pair.Init(a.data(), static_cast<uint32_t>(a.size()), b.data(), 16);
        EXPECT_EQ(log.ReadRecordPair(index, pair), S_OK32);
        Writer w(4096, &pair.record);
        w.ctx.layout = log.GetRecordLayout();
        EXPECT_EQ(AppendSummaryHeader(w.ctx), S_OK32);
        return w.Text();
    }
    testing::FakeFilterLog log;
    RecordBuilder builder;
    DeviceSpec device;
};

TEST_F(SummaryHeaderTest, StatusWordsInTheirColours) {
    struct Case {
        bool completion;
        uint32_t status;
        const char* rtf;
    } cases[] = {
        {false, 0, "\\cf9  PnP IRP \\b Start Device \\b0 issued\\par"},
        {true, 0x103, "\\cf9  PnP IRP \\b Start Device \\b0 pended\\par"},
        {true, 0, "\\cf11  PnP IRP \\b Start Device \\b0 succeeded\\par"},
        {true, 0x40000000, "\\cf11  PnP IRP \\b Start Device \\b0 succeeded\\par"},
        {true, 0xC0000120, "\\cf6  PnP IRP \\b Start Device \\b0 canceled\\par"},
        {true, 0xC0000001, "\\cf6  PnP IRP \\b Start Device \\b0 failed\\par"},
        {true, 0x80000005, "\\cf6  PnP IRP \\b Start Device \\b0 failed\\par"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        RequestSpec spec;
        spec.kind = KIND_PNP_FIRST;
        spec.completion = c.completion;
        spec.status = c.status;
        spec.majorFunction = 27;
        EXPECT_EQ(Header(builder.Request(spec)), std::string("\\pard\\li100\\sb100\\sa200\\ql\\f0\\fs20") + c.rtf);
    }
}

TEST_F(SummaryHeaderTest, KindWordsAndRequestNames) {
    struct Case {
        uint16_t kind;
        const char* text;
    } cases[] = {
        {KIND_CREATE, " Create IRP Create issued\n"},
        {KIND_CLOSE, " Close IRP Close issued\n"},
        {KIND_CLEANUP, " IRP Cleanup issued\n"},
        {KIND_POWER_FIRST + 2, " Power IRP Set Power issued\n"},
        {KIND_POWER_LAST, " Power IRP Power issued\n"},
        {KIND_PNP_LAST, " PnP IRP Plug and Play issued\n"},
        {KIND_URB_FIRST + 9, " URB Bulk or Interrupt Transfer issued\n"},
        {KIND_URB_LAST, " URB URB issued\n"},
        {KIND_KMIO_FIRST + 3, " I/O Control Request Internal USB Get Roothub PDO issued\n"},
        {KIND_KMIO_FIRST + 2, " I/O Control Request Internal Device Control issued\n"},  // no control code
        {KIND_HCD_FIRST + 3, " I/O Control Request USB Get Root Hub Name issued\n"},
        {KIND_HCD_FIRST + 5, " I/O Control Request  issued\n"},   // unknown host-controller request
        {KIND_HUB_FIRST + 1, " I/O Control Request USB Get Node Connection Information issued\n"},
        {KIND_HUB_FIRST + 100, " I/O Control Request Device Control issued\n"},
        {4, " IRP  issued\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        RequestSpec spec;
        spec.kind = c.kind;
        EXPECT_EQ(RtfToText(Header(builder.Request(spec))), c.text);
    }
}

} // namespace
} // namespace brx

// The export's four writers over a simulated capture: golden files of every
// format (checked again by xmllint, Python's csv reader and the browser
// check), escaping, ranges, columns, transfer buffers, progress, cancel and
// a sink that fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/app/export/ExportFixture.h"

using namespace brx;
using namespace brx::testing;

namespace {

std::string Export(const SimulatedCapture& cap, const EXPORT_JOB& job, EXPORT_OUTCOME* outcome = nullptr) {
    StringSink sink;
    const EXPORT_OUTCOME o = WriteListExport(job, const_cast<SimulatedCapture&>(cap).source, sink, nullptr);
    EXPECT_EQ(o.result, ExportResult::Done);
    EXPECT_EQ(o.bytesWritten, sink.bytes.size());
    if (outcome) *outcome = o;
    return sink.bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string Golden(const std::string& name) { return std::string(BRX_SOURCE_DIR) + "/tests/data/export/" + name; }

class Exports : public ::testing::Test {
protected:
    static SimulatedCapture* cap;
    static void SetUpTestSuite() { cap = new SimulatedCapture; }
    static void TearDownTestSuite() {
        delete cap;
        cap = nullptr;
    }
};
SimulatedCapture* Exports::cap = nullptr;

// The four formats against their golden files, and the cells the list shows
// (capture.cells) for the csv reader's check (tools/check_export_csv.py).
TEST_F(Exports, GoldenFiles) {
    const bool write = std::getenv("BRX_WRITE_GOLDENS") != nullptr;
    const char* names[] = {"capture.html", "capture.xml", "capture.csv", "capture.txt"};
    for (uint32_t format = 0; format < 4; ++format) {
        SCOPED_TRACE(names[format]);
        const std::string bytes = Export(*cap, cap->Job(format));
        if (write) {
            std::ofstream(Golden(names[format]), std::ios::binary) << bytes;
            continue;
        }
        std::ifstream in(Golden(names[format]), std::ios::binary);
        ASSERT_TRUE(in.good()) << "missing golden " << Golden(names[format]);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), bytes);
    }
    // The expected cells, straight from the column texts: UTF-8, one row a
    // line, cells joined by U+241E (a character no cell text holds).
    std::string cells;
    const EXPORT_JOB job = cap->Job(EXPORT_FORMAT_CSV);
    uint8_t companion[EXPORT_COMPANION_BUFFER_SIZE];
    std::vector<uint8_t> record(kBigTransfer + 4096);
    CRecordPairView pair;
    pair.Init(record.data(), static_cast<uint32_t>(record.size()), companion, sizeof companion);
    char16_t text[COLUMN_TEXT_SIZE];
    COLUMN_TEXT_CONTEXT ctx = job.text;
    ctx.pair = &pair;
    ctx.text = text;
    ctx.textSize = COLUMN_TEXT_SIZE;
    for (uint32_t row = 0; row < cap->filter.GetRowCount(); ++row) {
        ASSERT_EQ(cap->filter.ReadRecordData(row, pair), S_OK32);
        std::string line;
        for (uint32_t c = 0; c < COLUMN_COUNT; ++c) {
            if (c == COLUMN_RAW_DATA) continue;
            text[0] = 0;
            if (pair.record.type == RECORD_TYPE_REQUEST) GetColumnText(ctx, c);
            else if (c <= COLUMN_TIME && pair.record.type == RECORD_TYPE_START) GetStartMarkerColumnText(ctx, c);
            else if (c <= COLUMN_TIME && pair.record.type == RECORD_TYPE_DROP) GetDropMarkerColumnText(ctx, c);
            if (c) line += "\xE2\x90\x9E";
            std::u16string_view t(text);
            std::string cell;
            AppendDelimitedCell(cell, t, false);
            line += cell;
        }
        cells += line + "\n";
    }
    if (write) {
        std::ofstream(Golden("capture.cells"), std::ios::binary) << cells;
        GTEST_SKIP() << "goldens written";
    }
    std::ifstream in(Golden("capture.cells"), std::ios::binary);
    ASSERT_TRUE(in.good());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), cells);
}

TEST_F(Exports, CapturedTextIsEscaped) {
    const std::string html = Export(*cap, cap->Job(EXPORT_FORMAT_HTML));
    EXPECT_NE(html.find("&lt;Ger&#228;t&gt; &amp; &quot;Z&#252;rich&quot;"), std::string::npos);
    EXPECT_EQ(html.find("<Ger"), std::string::npos);
    // The dump's character column of the markup bytes.
    EXPECT_NE(html.find(".a&amp;b.&quot;...z"), std::string::npos);
    for (unsigned char ch : html) ASSERT_LT(ch, 0x80);
    EXPECT_NE(html.find("charset="), std::string::npos);

    const std::string xml = Export(*cap, cap->Job(EXPORT_FORMAT_XML));
    EXPECT_NE(xml.find("&lt;Ger\xC3\xA4t&gt; &amp; &quot;Z\xC3\xBCrich&quot;&#9;\xE2\x9C\x93&#10;\xF0\x9D\x84\x9E"),
              std::string::npos);
    EXPECT_EQ(xml.find("xml-stylesheet"), std::string::npos);

    const std::string csv = Export(*cap, cap->Job(EXPORT_FORMAT_CSV));
    EXPECT_NE(csv.find("\t\"<Ger\xC3\xA4t> & \"\"Z\xC3\xBCrich\"\" \xE2\x9C\x93 \xF0\x9D\x84\x9E\"\t"),
              std::string::npos);
}

TEST(ExportCells, FoldingAndQuoting) {
    struct Case {
        std::u16string in;
        bool quote;
        std::string out;
    } cases[] = {
        {u"a\tb\r\nc", true, "a b  c"},
        {u"say \"hi\"", true, "\"say \"\"hi\"\"\""},
        {u"say \"hi\"", false, "say \"hi\""},
        {u"< 1 us", true, "< 1 us"},
        {u"\u00B5s \xD800x", false, "\xC2\xB5s \xEF\xBF\xBDx"},
    };
    for (const Case& k : cases) {
        std::string out;
        AppendDelimitedCell(out, k.in, k.quote);
        EXPECT_EQ(out, k.out);
    }
    struct XmlCase {
        std::u16string in;
        std::string out;
    } xmlCases[] = {
        {u"< 1 us & \"x\"", "&lt; 1 us &amp; &quot;x&quot;"},
        {u"\x01\x1F\xFFFE", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"\xDC00", "\xEF\xBF\xBD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
    };
    for (const XmlCase& k : xmlCases) {
        std::string out;
        AppendXmlText(out, k.in);
        EXPECT_EQ(out, k.out);
    }
}

TEST(ExportDump, LinesAlign) {
    const uint8_t bytes[] = {0x41, 0x3C, 0x3E, 0x00, 0x7F, 0x7E, 0x20};
    std::string line;
    AppendDumpLine(line, bytes, sizeof bytes, 0x10);
    EXPECT_EQ(line, "00000010  41 3C 3E 00 7F 7E 20                             A....~          ");
    EXPECT_EQ(line.size(), 8u + 2 + 47 + 2 + 16);
    std::string hex;
    AppendHexBytes(hex, bytes, 3);
    EXPECT_EQ(hex, "41 3C 3E");
}

// "All" writes every buffer whole, however large; the size given is the
// size written. A limit cuts the bytes, the size stays the whole length;
// a limit of 0 writes no buffer at all.
TEST_F(Exports, TransferBuffers) {
    EXPORT_JOB job = cap->Job(EXPORT_FORMAT_XML);
    job.settings.transferBuffer = 0;
    std::string xml = Export(*cap, job);
    const std::string size = "<RawDataSize>" + std::to_string(kBigTransfer) + "</RawDataSize>\r\n<RawData>";
    const size_t at = xml.find(size);
    ASSERT_NE(at, std::string::npos);
    const size_t start = at + size.size();
    const size_t end = xml.find("</RawData>", start);
    EXPECT_EQ(end - start, kBigTransfer * 3 - 1);
    std::string expected;
    AppendHexBytes(expected, cap->bigData.data(), cap->bigData.size());
    EXPECT_TRUE(xml.compare(start, end - start, expected) == 0);

    job.settings.transferBuffer = 1;
    job.settings.transferBufferLimit = 5;
    xml = Export(*cap, job);
    std::string five;
    AppendHexBytes(five, cap->bigData.data(), 5);
    EXPECT_NE(xml.find(size + five + "</RawData>"), std::string::npos);

    job.settings.transferBufferLimit = 0;
    xml = Export(*cap, job);
    EXPECT_EQ(xml.find("<RawData"), std::string::npos);

    job.settings.format = EXPORT_FORMAT_TEXT;
    job.settings.transferBuffer = 0;
    const std::vector<std::string> lines = Lines(Export(*cap, job));
    size_t dumpLines = 0;
    for (const std::string& l : lines)
        if (l.size() == 75 && l.compare(8, 2, "  ") == 0 && l[0] == '0') ++dumpLines;
    EXPECT_EQ(dumpLines, (kBigTransfer + 15) / 16 + 1 /* descriptor */ + 2 /* ioctl */);
}

std::vector<std::string> Sequences(const std::string& csv) {
    std::vector<std::string> seqs;
    const std::vector<std::string> lines = Lines(csv);
    for (size_t i = 5; i < lines.size(); ++i) {
        const size_t a = lines[i].find('\t');
        if (a == std::string::npos) continue;
        const size_t b = lines[i].find('\t', a + 1);
        const std::string seq = lines[i].substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
        seqs.push_back(seq.substr(0, seq.find('-')));
    }
    return seqs;
}

// The range applies only when chosen; a record above To ends the rows.
TEST_F(Exports, Ranges) {
    struct Case {
        uint32_t range, from, to;
        std::vector<std::string> seqs;
    } cases[] = {
        {0, 4, 5, {"0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008", "0009", "0010", "0011", "0012",
                   "0013", "0014"}},
        {1, 4, 5, {"0004", "0005"}},
        {1, 10, 10, {"0010"}},
        {1, 13, 99, {"0013", "0014"}},
        {1, 50, 60, {}},
    };
    for (const Case& k : cases) {
        EXPORT_JOB job = cap->Job(EXPORT_FORMAT_CSV);
        job.settings.range = k.range;
        job.settings.from = k.from;
        job.settings.to = k.to;
        job.settings.transferBufferLimit = 0;
        EXPECT_EQ(Sequences(Export(*cap, job)), k.seqs) << k.range << " " << k.from << "-" << k.to;
    }
}

// "As Is" takes the visible columns in display order; XML always takes all.
TEST_F(Exports, ColumnChoice) {
    EXPORT_JOB job = cap->Job(EXPORT_FORMAT_TEXT);
    job.settings.columns = 1;
    job.order = {5, 1, 7, 0, 2, 3, 4, 6, 8, 9, 10, 11, 12, 13, 14};
    job.visible.assign(COLUMN_COUNT, 0);
    job.visible[5] = job.visible[1] = job.visible[7] = 1;
    std::vector<std::string> lines = Lines(Export(*cap, job));
    EXPECT_EQ(lines[4], "Request\tSeq");
    EXPECT_EQ(lines[5], "\t0001");  // the start marker has no request text
    job.settings.format = EXPORT_FORMAT_XML;
    const std::string xml = Export(*cap, job);
    EXPECT_NE(xml.find("<Item>\r\n<Type>START</Type>\r\n<Seq>0001</Seq>\r\n<Time>"), std::string::npos);
    EXPECT_NE(xml.find("<IrpStatus>"), std::string::npos);
    // No cell for the preview column: every RawData element follows its size.
    size_t sizes = 0, datas = 0;
    for (size_t at = 0; (at = xml.find("<RawDataSize>", at)) != std::string::npos; ++at) ++sizes;
    for (size_t at = 0; (at = xml.find("<RawData>", at)) != std::string::npos; ++at) ++datas;
    EXPECT_EQ(sizes, 3u);
    EXPECT_EQ(datas, sizes);
}

class Counting final : public IExportProgress {
public:
    std::vector<uint32_t> values;
    size_t cancelAt = SIZE_MAX;
    bool OnExportProgress(uint32_t value) override {
        values.push_back(value);
        return values.size() < cancelAt;
    }
};

TEST_F(Exports, ProgressAndCancel) {
    Counting progress;
    StringSink sink;
    // 14 rows: step 1, a value for every row from the first on.
    EXPORT_OUTCOME o = WriteListExport(cap->Job(EXPORT_FORMAT_TEXT), cap->source, sink, &progress);
    EXPECT_EQ(o.result, ExportResult::Done);
    EXPECT_EQ(progress.values, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    Counting cancel;
    cancel.cancelAt = 3;
    StringSink partial;
    o = WriteListExport(cap->Job(EXPORT_FORMAT_TEXT), cap->source, partial, &cancel);
    EXPECT_EQ(o.result, ExportResult::Cancelled);
    EXPECT_EQ(o.rowsWritten, 3u);
    EXPECT_EQ(cancel.values.size(), 3u);
}

// A sink that refuses bytes (a full disk) stops the export, at any point.
TEST_F(Exports, FailingSinkStops) {
    const std::string whole = Export(*cap, cap->Job(EXPORT_FORMAT_CSV));
    for (size_t failAfter : {size_t{0}, size_t{10}, whole.size() / 2, whole.size() - 1}) {
        StringSink sink;
        sink.failAfter = failAfter;
        const EXPORT_OUTCOME o = WriteListExport(cap->Job(EXPORT_FORMAT_CSV), cap->source, sink, nullptr);
        EXPECT_EQ(o.result, ExportResult::WriteFailed) << failAfter;
        EXPECT_LE(sink.bytes.size(), failAfter);
        EXPECT_EQ(o.bytesWritten, sink.bytes.size());
    }
}

TEST(ExportSettings, StoredValuesAccepted) {
    EXPORT_SETTINGS s;
    s.format = 4;
    s.range = 2;
    s.columns = 7;
    s.transferBuffer = 9;
    s.transferBufferLimit = 12345;
    const EXPORT_SETTINGS n = NormalizeExportSettings(s);
    EXPECT_EQ(n.format, 0u);
    EXPECT_EQ(n.range, 0u);
    EXPECT_EQ(n.columns, 0u);
    EXPECT_EQ(n.transferBuffer, 1u);
    EXPECT_EQ(n.transferBufferLimit, 12345u);
    s = {};
    s.format = 3;
    s.range = 1;
    s.columns = 1;
    s.transferBuffer = 0;
    const EXPORT_SETTINGS same = NormalizeExportSettings(s);
    EXPECT_EQ(same.format, 3u);
    EXPECT_EQ(same.range, 1u);
    EXPECT_EQ(same.columns, 1u);
    EXPECT_EQ(same.transferBuffer, 0u);
}

} // namespace

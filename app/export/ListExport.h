// The export of the capture list: the rows the record filter shows, written
// as an HTML report, an XML report, a tab-separated "CSV" file or a plain
// text file, with the texts of the list's columns and the transfer buffers.
//
// The writers stream: the output is assembled in a small chunk and handed to
// a sink whenever the chunk fills, so memory stays flat in the number of
// rows. Every captured text is escaped for its format: HTML goes through the
// one markup helper (ASCII with numeric references); XML is UTF-8 with the
// markup specials as entities and tab, line feed and carriage return as
// character references; in the "CSV" and text files a tab, line feed or
// carriage return inside a cell becomes a blank, so a cell never breaks the
// columns, and a "CSV" cell holding a quote is quoted ("excel-tab" rules).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/list/ColumnText.h"
#include "capture/Record.h"
#include "capture/RecordView.h"
#include "capture/Result.h"

namespace brx {

class CFilter;

enum : uint32_t {
    EXPORT_FORMAT_HTML = 0,
    EXPORT_FORMAT_XML = 1,
    EXPORT_FORMAT_CSV = 2,
    EXPORT_FORMAT_TEXT = 3,
    EXPORT_FORMAT_COUNT = 4,
};

struct EXPORT_FILE_TYPE {
    const char16_t* extension;
    const char16_t* description;
};
extern const EXPORT_FILE_TYPE EXPORT_FILE_TYPES[EXPORT_FORMAT_COUNT];
// XML element names of the columns, by column index.
extern const char* const EXPORT_XML_NAMES[COLUMN_COUNT];

struct EXPORT_SETTINGS {
    uint32_t format = EXPORT_FORMAT_HTML;
    uint32_t range = 0;          // 0 all rows, 1 rows in From..To
    uint32_t columns = 0;        // 0 all in default order, 1 as the list shows them
    uint32_t transferBuffer = 1; // 0 whole buffers, 1 limited
    uint32_t transferBufferLimit = 32;
    uint32_t from = 0;
    uint32_t to = 0;
};
// The stored values as they are accepted: a format above 3 reads as 0, a
// range or columns choice above 1 as 0, a transfer buffer choice above 1 as 1.
EXPORT_SETTINGS NormalizeExportSettings(const EXPORT_SETTINGS& stored);

// The rows to export: the record filter in the program, synthetic rows in
// benchmarks.
class IExportSource {
public:
    virtual uint32_t GetRowCount() = 0;
    // The row's record with its companion, into the pair's bound buffers
    // (the view's size is the record's size from its index entry).
    virtual HRESULT32 ReadRecordData(uint32_t row, CRecordPairView& pair) = 0;

protected:
    ~IExportSource() = default;
};

class CFilterExportSource final : public IExportSource {
public:
    explicit CFilterExportSource(CFilter& filter) : filter_(filter) {}
    uint32_t GetRowCount() override;
    HRESULT32 ReadRecordData(uint32_t row, CRecordPairView& pair) override;

private:
    CFilter& filter_;
};

// Where the bytes go. Write returns false when they could not be written
// (disk full, write error): the export stops and reports it.
class IExportSink {
public:
    virtual bool Write(const char* bytes, size_t size) = 0;

protected:
    ~IExportSink() = default;
};

// Progress of the items: value i / step for every step-th row i (step =
// (rows + 99) / 100, at least 1). Returns false when the user cancelled.
class IExportProgress {
public:
    virtual bool OnExportProgress(uint32_t value) = 0;

protected:
    ~IExportProgress() = default;
};

struct EXPORT_JOB {
    EXPORT_SETTINGS settings;
    // The list's header: display order and visibility, one entry per column.
    std::vector<int32_t> order;
    std::vector<int32_t> visible;
    bool filterApplied = false;
    // Texts of the cells: layout, frequency, reference, time formats, names.
    // Its pair, text and size are set by the export.
    COLUMN_TEXT_CONTEXT text;
    // Empty: the product's own (app/frame/ProductTexts.h).
    std::string productName;
    std::string webAddress;
};

enum class ExportResult {
    Done,
    Cancelled,
    WriteFailed,  // the sink refused bytes
    NoMemory,
};

struct EXPORT_OUTCOME {
    ExportResult result = ExportResult::Done;
    uint32_t rowsWritten = 0;
    uint64_t bytesWritten = 0;
};

// The companion's buffer: enough for the headers and parts its column texts read.
constexpr uint32_t EXPORT_COMPANION_BUFFER_SIZE = 0x11000;
// Output handed to the sink in chunks of about this size.
constexpr size_t EXPORT_CHUNK_SIZE = 1u << 20;

// Writes header, column header, items and footer. Never throws.
EXPORT_OUTCOME WriteListExport(const EXPORT_JOB& job, IExportSource& source, IExportSink& sink,
                               IExportProgress* progress);

// The pieces, for tests.
// Bytes as upper-case hexadecimal pairs separated by blanks.
void AppendHexBytes(std::string& out, const uint8_t* bytes, size_t size);
// "%08X" offset, two blanks, up to 16 pairs padded to 47 characters, two
// blanks, the bytes as characters (below 0x20, above 0x7E, '<' and '>' as
// '.') padded to 16.
void AppendDumpLine(std::string& out, const uint8_t* bytes, size_t k, uint32_t offset);
// XML character data in UTF-8 (see above); unpaired surrogates and
// characters XML cannot hold become U+FFFD.
void AppendXmlText(std::string& out, std::u16string_view text);
// A cell of the "CSV" (quoted when it holds a quote) or text file, in UTF-8.
void AppendDelimitedCell(std::string& out, std::u16string_view text, bool quoteWhenNeeded);

} // namespace brx

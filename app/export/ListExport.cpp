#include "app/export/ListExport.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "app/frame/ProductTexts.h"
#include "app/panes/RecordData.h"
#include "base/Markup.h"
#include "capture/Filter.h"

namespace brx {

const EXPORT_FILE_TYPE EXPORT_FILE_TYPES[EXPORT_FORMAT_COUNT] = {
    {u"html", u"HTML Files"},
    {u"xml", u"XML Files"},
    {u"csv", u"CSV Files"},
    {u"txt", u"Text Files"},
};

const char* const EXPORT_XML_NAMES[COLUMN_COUNT] = {
    "Type", "Seq",  "Time", "Elapsed",    "Duration",   "Request",    "RequestDetails", "RawData",
    "IO",   "CIE",  "DevObjAddr", "DevObjName", "DrvObjName", "IrpAddr", "IrpStatus",
};

EXPORT_SETTINGS NormalizeExportSettings(const EXPORT_SETTINGS& stored) {
    EXPORT_SETTINGS s = stored;
    if (s.format > 3) s.format = 0;
    if (s.range > 1) s.range = 0;
    if (s.columns > 1) s.columns = 0;
    if (s.transferBuffer > 1) s.transferBuffer = 1;
    return s;
}

uint32_t CFilterExportSource::GetRowCount() { return filter_.GetRowCount(); }
HRESULT32 CFilterExportSource::ReadRecordData(uint32_t row, CRecordPairView& pair) {
    return filter_.ReadRecordData(row, pair);
}

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// The style sheet of the HTML report.
const char kStyleSheet[] =
    "<style type=\"text/css\">\r\n"
    "body { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 70%; background-color: white; }\r\n"
    "font.cap { font-weight: bold; font-size: 120%; }\r\n"
    "table { width: 100%; border: 1px solid #999; border-collapse: collapse; font-size: inherit; }\r\n"
    "th { background-color: #eee; color: #666666; border: 1px solid #999; text-align: left; padding: 2px; }\r\n"
    "td { background-color: white; white-space: nowrap; border: 1px solid #999; padding: 2px; }\r\n"
    "td.rawdata { background-color: #efefef; }\r\n"
    "td pre { margin: 0; padding-left: 1em; }\r\n"
    "</style>\r\n";

// One code point from UTF-16 at i (advanced past it); U+FFFD for a lone surrogate.
uint32_t NextCodePoint(std::u16string_view text, size_t& i) {
    const uint32_t u = text[i++];
    if (u >= 0xD800 && u <= 0xDBFF) {
        if (i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
            const uint32_t low = text[i++];
            return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        }
        return 0xFFFD;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) return 0xFFFD;
    return u;
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUnsigned(std::string& out, uint32_t value) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%u", value);
    out.append(text, static_cast<size_t>(n));
}

size_t WideLen(const char16_t* s, size_t max) {
    size_t n = 0;
    while (n < max && s[n]) ++n;
    return n;
}

class CWriter {
public:
    CWriter(const EXPORT_JOB& job, IExportSource& source, IExportSink& sink, IExportProgress* progress)
        : job_(job), s_(NormalizeExportSettings(job.settings)), source_(source), sink_(sink), progress_(progress),
          name_(job.productName.empty() ? Ascii(kProductName) : job.productName),
          web_(job.webAddress.empty() ? Ascii(kProductWebAddress) : job.webAddress) {}

    EXPORT_OUTCOME Run() {
        try {
            out_.reserve(EXPORT_CHUNK_SIZE + 4096);
            ChooseColumns();
            if (Header() && ColumnHeader() && Items() && Footer()) Flush();
        } catch (const std::bad_alloc&) {
            outcome_.result = ExportResult::NoMemory;
        }
        return outcome_;
    }

private:
    bool Ok() const { return outcome_.result == ExportResult::Done; }

    bool Flush() {
        if (!Ok()) return false;
        if (!out_.empty()) {
            if (!sink_.Write(out_.data(), out_.size())) {
                outcome_.result = ExportResult::WriteFailed;
                return false;
            }
            outcome_.bytesWritten += out_.size();
            out_.clear();
        }
        return true;
    }
    bool FlushWhenFull() { return out_.size() < EXPORT_CHUNK_SIZE || Flush(); }

    // The columns written, in order; "Raw Data" is never a cell.
    void ChooseColumns() {
        const size_t n = std::min<size_t>(job_.order.size(), COLUMN_COUNT);
        const bool asShown = s_.columns == 1 && s_.format != EXPORT_FORMAT_XML;
        headerColumns_.clear();
        for (size_t p = 0; p < (asShown ? n : static_cast<size_t>(COLUMN_COUNT)); ++p) {
            uint32_t c = static_cast<uint32_t>(p);
            if (asShown) {
                const int32_t o = job_.order[p];
                if (o < 0 || o >= static_cast<int32_t>(COLUMN_COUNT)) continue;
                if (static_cast<size_t>(o) >= job_.visible.size() || !job_.visible[static_cast<size_t>(o)]) continue;
                c = static_cast<uint32_t>(o);
            }
            if (c == COLUMN_RAW_DATA) continue;
            headerColumns_.push_back(c);
        }
    }

    bool Header() {
        const std::string& name = name_;
        switch (s_.format) {
        case EXPORT_FORMAT_HTML:
            out_ += "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n<html><head>"
                    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\">\r\n<title>";
            AppendMarkupText(out_, name);
            out_ += " Report</title>\r\n";
            out_ += kStyleSheet;
            out_ += "</head>\r\n\r\n<body>\r\n\r\n<font class=\"cap\">";
            AppendMarkupText(out_, name);
            out_ += " Report</font>\r\n\r\n<p><b>Capture List</b></p>\r\n\r\n<table>\r\n";
            break;
        case EXPORT_FORMAT_XML:
            out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<BrindlexXmlReport XmlSchema=\"2.00\">\r\n";
            break;
        default:
            out_ += "\xEF\xBB\xBF";  // UTF-8
            out_ += name;
            out_ += " Report\r\n\r\nCapture List\r\n\r\n";
            break;
        }
        return Flush();
    }

    bool ColumnHeader() {
        if (s_.format == EXPORT_FORMAT_XML) return true;
        const bool html = s_.format == EXPORT_FORMAT_HTML;
        if (html) out_ += "<tr>";
        bool any = false;
        for (uint32_t c : headerColumns_) {
            const std::u16string_view heading = CAPTURE_LIST_COLUMNS[c].heading;
            if (html) {
                out_ += "<th>";
                AppendMarkupWide(out_, heading);
                out_ += "</th>\r\n";
            } else {
                AppendDelimitedCell(out_, heading, s_.format == EXPORT_FORMAT_CSV);
                out_ += '\t';
                any = true;
            }
        }
        if (html) out_ += "</tr>";
        else if (any) out_.pop_back();
        if (s_.format == EXPORT_FORMAT_CSV) out_ += "\tURB Transfer Buffer Raw Data Dump";
        out_ += "\r\n";
        return Flush();
    }

    void Cell(uint32_t c, std::u16string_view text) {
        switch (s_.format) {
        case EXPORT_FORMAT_HTML: AppendMarkupWide(out_, text); break;
        case EXPORT_FORMAT_XML:
            if (text.empty()) return;
            out_ += '<';
            out_ += EXPORT_XML_NAMES[c];
            out_ += '>';
            AppendXmlText(out_, text);
            out_ += "</";
            out_ += EXPORT_XML_NAMES[c];
            out_ += ">\r\n";
            break;
        case EXPORT_FORMAT_CSV: AppendDelimitedCell(out_, text, true); break;
        default: AppendDelimitedCell(out_, text, false); break;
        }
    }

    void Dump(const uint8_t* bytes, uint32_t m, const char* separator, bool last) {
        for (uint32_t offset = 0; offset < m; offset += 16) {
            const size_t k = std::min<uint32_t>(16, m - offset);
            if (s_.format == EXPORT_FORMAT_HTML) {
                line_.clear();
                AppendDumpLine(line_, bytes + offset, k, offset);
                AppendMarkupText(out_, line_);
            } else {
                AppendDumpLine(out_, bytes + offset, k, offset);
            }
            if (!last || offset + 16 < m) out_ += separator;
            if (!FlushWhenFull()) return;
        }
    }

    bool Items() {
        const uint32_t limit = s_.transferBuffer == 1 ? s_.transferBufferLimit : UINT32_MAX;
        std::vector<uint8_t> record(0x1000), companion(EXPORT_COMPANION_BUFFER_SIZE);
        CRecordPairView pair;
        pair.Init(record.data(), static_cast<uint32_t>(record.size()), companion.data(),
                  static_cast<uint32_t>(companion.size()));
        char16_t text[COLUMN_TEXT_SIZE];
        COLUMN_TEXT_CONTEXT ctx = job_.text;
        ctx.pair = &pair;
        ctx.text = text;
        ctx.textSize = COLUMN_TEXT_SIZE;

        const uint32_t rows = source_.GetRowCount();
        const bool html = s_.format == EXPORT_FORMAT_HTML;
        const bool xml = s_.format == EXPORT_FORMAT_XML;
        const bool delimited = !html && !xml;
        if (xml) {
            out_ += "<Items Count=\"";
            AppendUnsigned(out_, rows);
            out_ += job_.filterApplied ? "\" Filter=\"on\">\r\n" : "\" Filter=\"off\">\r\n";
        }
        const uint32_t step = std::max<uint32_t>(1, static_cast<uint32_t>((uint64_t{rows} + 99) / 100));
        for (uint32_t i = 0; i < rows; ++i) {
            if (progress_ && i >= step && i % step == 0 && !progress_->OnExportProgress(i / step)) {
                outcome_.result = ExportResult::Cancelled;
                return false;
            }
            if (source_.ReadRecordData(i, pair) != S_OK32) continue;
            // The record whole: a record larger than the buffer (its size
            // from its index entry) is read again into a buffer of its size.
            if (pair.record.size > record.size()) {
                record.resize(pair.record.size);
                pair.Init(record.data(), static_cast<uint32_t>(record.size()), companion.data(),
                          static_cast<uint32_t>(companion.size()));
                if (source_.ReadRecordData(i, pair) != S_OK32) continue;
            }
            const CRecordView& r = pair.record;
            if (s_.range == 1) {
                const uint32_t sequence = GetRecordSequence(r.buffer, r.copied);
                if (sequence < s_.from) continue;
                if (sequence > s_.to) break;
            }
            if (html) out_ += "<tr>";
            else if (xml) out_ += "<Item>\r\n";
            bool tab = false;
            for (uint32_t c : headerColumns_) {
                if (html) out_ += "<td>";
                text[0] = 0;
                if (r.type == RECORD_TYPE_REQUEST) {
                    GetColumnText(ctx, c);
                } else if (c <= COLUMN_TIME && r.type == RECORD_TYPE_START) {
                    GetStartMarkerColumnText(ctx, c);
                } else if (c <= COLUMN_TIME && r.type == RECORD_TYPE_DROP) {
                    GetDropMarkerColumnText(ctx, c);
                }
                Cell(c, std::u16string_view(text, WideLen(text, COLUMN_TEXT_SIZE)));
                if (html) out_ += "</td>";
                else if (delimited) {
                    out_ += '\t';
                    tab = true;
                }
            }
            RECORD_DATA_BYTES data{};
            if (r.type == RECORD_TYPE_REQUEST) data = GetRecordDataBytes(r, ctx.layout);
            if (data.length > 0 && limit > 0) {
                const uint32_t m = std::min(data.length, limit);
                switch (s_.format) {
                case EXPORT_FORMAT_HTML:
                    out_ += "</tr>\r\n<tr><td colspan='";
                    AppendUnsigned(out_, static_cast<uint32_t>(headerColumns_.size()));
                    out_ += "' class='rawdata'><pre>\r\n";
                    Dump(data.bytes, m, "\r\n", false);
                    out_ += "</pre></td></tr>";
                    break;
                case EXPORT_FORMAT_XML:
                    out_ += "<RawDataSize>";
                    AppendUnsigned(out_, data.length);
                    out_ += "</RawDataSize>\r\n<RawData>";
                    AppendHexBytes(out_, data.bytes, m);
                    out_ += "</RawData>\r\n</Item>";
                    break;
                case EXPORT_FORMAT_CSV:
                    if (!tab) out_ += '\t';
                    AppendHexBytes(out_, data.bytes, m);
                    break;
                default:
                    if (tab) out_.pop_back();
                    out_ += "\r\n";
                    Dump(data.bytes, m, "\r\n", true);
                    break;
                }
                if (!Ok()) return false;
            } else if (html) {
                out_ += "</tr>";
            } else if (xml) {
                out_ += "</Item>";
            } else if (tab) {
                out_.pop_back();
            }
            out_ += "\r\n";
            ++outcome_.rowsWritten;
            if (!FlushWhenFull()) return false;
        }
        if (xml) out_ += "</Items>\r\n";
        return Flush();
    }

    bool Footer() {
        switch (s_.format) {
        case EXPORT_FORMAT_HTML:
            out_ += "</table>\r\n\r\n<br><br><p align=center>This report was generated by <a href=\"";
            AppendMarkupText(out_, web_);
            out_ += "\">";
            AppendMarkupText(out_, name_);
            out_ += "</a></p>\r\n\r\n</body>\r\n\r\n</html>\r\n";
            break;
        case EXPORT_FORMAT_XML: out_ += "</BrindlexXmlReport>\r\n"; break;
        default:
            out_ += "\r\nThis report was generated by ";
            out_ += name_;
            out_ += ' ';
            out_ += web_;
            out_ += "\r\n";
            break;
        }
        return Flush();
    }

    static std::string Ascii(const wchar_t* text) {
        std::string out;
        for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
        return out;
    }

    const EXPORT_JOB& job_;
    const EXPORT_SETTINGS s_;
    IExportSource& source_;
    IExportSink& sink_;
    IExportProgress* progress_;
    const std::string name_;
    const std::string web_;
    std::vector<uint32_t> headerColumns_;
    std::string out_;
    std::string line_;
    EXPORT_OUTCOME outcome_;
};

} // namespace

void AppendHexBytes(std::string& out, const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (i) out += ' ';
        out += kHexDigits[bytes[i] >> 4];
        out += kHexDigits[bytes[i] & 15];
    }
}

void AppendDumpLine(std::string& out, const uint8_t* bytes, size_t k, uint32_t offset) {
    char head[16];
    std::snprintf(head, sizeof head, "%08X  ", offset);
    out += head;
    if (k > 16) k = 16;
    for (size_t i = 0; i < 16; ++i) {
        if (i < k) {
            out += kHexDigits[bytes[i] >> 4];
            out += kHexDigits[bytes[i] & 15];
        } else {
            out += "  ";
        }
        if (i < 15) out += ' ';
    }
    out += "  ";
    for (size_t i = 0; i < 16; ++i) {
        if (i < k) {
            const uint8_t b = bytes[i];
            out += (b < 0x20 || b > 0x7E || b == '<' || b == '>') ? '.' : static_cast<char>(b);
        } else {
            out += ' ';
        }
    }
}

void AppendXmlText(std::string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size();) {
        uint32_t c = NextCodePoint(text, i);
        switch (c) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '"': out += "&quot;"; continue;
        case '\t': out += "&#9;"; continue;
        case '\n': out += "&#10;"; continue;
        case '\r': out += "&#13;"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) c = 0xFFFD;
        AppendUtf8(out, c);
    }
}

void AppendDelimitedCell(std::string& out, std::u16string_view text, bool quoteWhenNeeded) {
    // Most cells are printable ASCII without a quote: copied as they are.
    bool plain = true;
    for (char16_t c : text) {
        if (c < 0x20 || c >= 0x7F || c == u'"') {
            plain = false;
            break;
        }
    }
    if (plain) {
        const size_t at = out.size();
        out.resize(at + text.size());
        for (size_t i = 0; i < text.size(); ++i) out[at + i] = static_cast<char>(text[i]);
        return;
    }
    const bool quote = quoteWhenNeeded && text.find(u'"') != std::u16string_view::npos;
    if (quote) out += '"';
    for (size_t i = 0; i < text.size();) {
        const uint32_t c = NextCodePoint(text, i);
        if (c == '\t' || c == '\r' || c == '\n') out += ' ';
        else if (c == '"' && quote) out += "\"\"";
        else AppendUtf8(out, c);
    }
    if (quote) out += '"';
}

EXPORT_OUTCOME WriteListExport(const EXPORT_JOB& job, IExportSource& source, IExportSink& sink,
                               IExportProgress* progress) {
    return CWriter(job, source, sink, progress).Run();
}

} // namespace brx

// Request summaries as the pane makes them (head, body by record type,
// closing brace), and a small RTF reader that turns one back into plain text
// so that expectations read as text: "\par" is a line break, "\tab" a tab,
// "\'xx" a Windows-1252 byte, "\uN" a UTF-16 unit (its fallback characters
// skipped), destinations (font and colour tables, "\*" groups) are left out.
#pragma once
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Text.h"
#include "capture/FilterLog.h"
#include "decode/RequestSummary.h"
#include "decode/SummaryWriter.h"

namespace brx::testing {

// The writer for a record by its type, as the pane calls it.
inline HRESULT32 SummarizeRecordByType(SUMMARY_CONTEXT& ctx) {
    switch (ctx.record ? ctx.record->type : 0) {
    case RECORD_TYPE_REQUEST: return SummarizeRequestHeader(ctx);
    case RECORD_TYPE_START: return SummarizeStartMarker(ctx);
    case RECORD_TYPE_DROP: return SummarizeDropMarker(ctx);
    default: return S_OK32;
    }
}

struct SummaryDocument {
    HRESULT32 result = S_OK32;
    std::string body;  // what the writers wrote
    std::string rtf;   // head + body + "}"
};

// Summarises one record into a buffer of `size` characters (exactly that
// big, so that ASan sees any write past it).
inline SummaryDocument Summarize(const CRecordView& record, const RECORD_LAYOUT& layout,
                                 const ISummaryNames* names = nullptr, uint32_t size = 0x80000,
                                 const char* font0 = "Arial", const char* font1 = "Courier New") {
    std::vector<char> buffer(size);
    SUMMARY_CONTEXT ctx;
    InitSummaryContext(ctx, buffer.data(), size, &record, layout, names);
    SummaryDocument doc;
    AppendSummaryHead(ctx, font0, font1);
    const size_t headLength = static_cast<size_t>(ctx.cursor - buffer.data());
    doc.result = SummarizeRecordByType(ctx);
    doc.body.assign(buffer.data() + headLength, ctx.cursor);
    doc.rtf.assign(buffer.data(), ctx.cursor);
    doc.rtf += "}";
    return doc;
}

// Reads record `index` of a log into a view of exactly the record's size (so
// that ASan sees any read past a part) and summarises it; E_FAIL32 and no
// text when the record cannot be read.
inline SummaryDocument SummarizeLogRecord(IFilterLog& log, uint32_t index, const ISummaryNames* names = nullptr,
                                          uint32_t size = 0x80000) {
    RECORD_INDEX_ENTRY entry{};
    SummaryDocument failed;
    failed.result = E_FAIL32;
    if (log.GetIndexEntry(index, entry) != S_OK32) return failed;
    std::vector<uint8_t> a(GetEntryRecordSize(entry)), b(4096);
    CRecordPairView pair;
    pair.Init(a.data(), static_cast<uint32_t>(a.size()), b.data(), static_cast<uint32_t>(b.size()));
    if (log.ReadRecordPair(index, pair) != S_OK32) return failed;
    return Summarize(pair.record, log.GetRecordLayout(), names, size);
}

// Little-endian UTF-16 bytes of a text, as captured.
inline std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> b;
    for (char16_t c : text) {
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
    }
    return b;
}

// Plain text of an RTF document or fragment, as UTF-8.
inline std::string RtfToText(const std::string& rtf) {
    struct Group {
        bool skip;
        int uc;
    };
    std::vector<Group> stack{{false, 1}};
    std::u16string out;
    int skipFallback = 0;
    auto emit = [&](char16_t c) {
        if (skipFallback > 0) {
            --skipFallback;
            return;
        }
        if (!stack.back().skip) out.push_back(c);
    };
    for (size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            stack.push_back(stack.back());
            ++i;
        } else if (c == '}') {
            if (stack.size() > 1) stack.pop_back();
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c != '\\') {
            emit(Cp1252ToWide(static_cast<uint8_t>(c)));
            ++i;
        } else if (i + 1 < rtf.size() && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
            emit(static_cast<char16_t>(rtf[i + 1]));
            i += 2;
        } else if (i + 3 < rtf.size() && rtf[i + 1] == '\'') {
            emit(Cp1252ToWide(static_cast<uint8_t>(std::strtoul(rtf.substr(i + 2, 2).c_str(), nullptr, 16))));
            i += 4;
        } else if (i + 1 < rtf.size() && rtf[i + 1] == '*') {
            stack.back().skip = true;
            i += 2;
        } else {
            size_t j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
            const std::string word = rtf.substr(i + 1, j - i - 1);
            bool hasNumber = false;
            long number = 0;
            size_t k = j;
            if (k < rtf.size() && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k])))) {
                size_t end = k + 1;
                while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end]))) ++end;
                number = std::strtol(rtf.substr(k, end - k).c_str(), nullptr, 10);
                hasNumber = true;
                k = end;
            }
            if (k < rtf.size() && rtf[k] == ' ') ++k;
            i = k;
            if (word.empty()) {  // a control symbol we do not know: skip it
                i = j + 1;
            } else if (word == "par") {
                emit(u'\n');
            } else if (word == "tab") {
                emit(u'\t');
            } else if (word == "u" && hasNumber) {
                emit(static_cast<char16_t>(number < 0 ? number + 65536 : number));
                skipFallback = stack.back().uc;
            } else if (word == "uc" && hasNumber) {
                stack.back().uc = static_cast<int>(number);
            } else if (word == "fonttbl" || word == "colortbl" || word == "fname") {
                stack.back().skip = true;
            }
        }
    }
    return WideToUtf8(out);
}

} // namespace brx::testing

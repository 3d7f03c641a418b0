// Mass-storage stages rendered as the data-analysis pane renders them, and
// readers of the rendered field tables (the value and description of a named
// row), for the Bulk-Only and SCSI page tests.
#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "protocols/BulkOnly.h"

namespace brx::testing {

struct MscStage {
    std::vector<uint8_t> bytes;
    bool completion = false;
    uint8_t op = 0;
    uint8_t cdb1 = 0;
    uint8_t kind = 1;
    std::optional<std::vector<uint8_t>> cdb;  // the pending CDB the store attached
};

struct MscRender {
    int result = 0;
    std::string html;
};

inline void SetStage(DECODE_CONTEXT& ctx, const MscStage& s) {
    ctx.bytes = s.bytes;
    ctx.bulk.interfaceInfo = {true, 0, 0x08, 0x06, 0x50};
    ctx.bulk.mscKnown = true;
    ctx.bulk.completion = s.completion;
    ctx.bulk.opCode = s.op;
    ctx.bulk.cdbByte1 = s.cdb1;
    ctx.bulk.deviceKind = s.kind;
    ctx.bulk.cdbKnown = s.cdb.has_value();
    ctx.bulk.cdb.fill(0);
    if (s.cdb) std::copy_n(s.cdb->begin(), std::min<size_t>(16, s.cdb->size()), ctx.bulk.cdb.begin());
}

// The stage's sections alone (no page frame).
inline MscRender RenderStage(const MscStage& s) {
    PageBuffer page(0x40000);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    SetStage(ctx, s);
    MscRender r;
    r.result = DecodeBulkOnlyTransfer(ctx);
    r.html = std::string(page.view());
    return r;
}

// The stage as a whole page, with the style sheet the pane uses.
inline std::string RenderStagePage(const MscStage& s, std::string_view title) {
    PageBuffer page(0x40000);
    const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
    BeginPage(page, title, heads);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    SetStage(ctx, s);
    DecodeBulkOnlyTransfer(ctx);
    ClosePage(page);
    return std::string(page.view());
}

// The 31-byte wrapper of a CDB.
inline std::vector<uint8_t> MakeCbw(std::vector<uint8_t> cdb, uint32_t tag = 0x12345678, uint32_t length = 0,
                                    uint8_t flags = 0x80, uint8_t lun = 0, int cdbLength = -1) {
    std::vector<uint8_t> w(31, 0);
    const uint8_t sig[] = {'U', 'S', 'B', 'C'};
    std::copy(sig, sig + 4, w.begin());
    for (int i = 0; i < 4; ++i) w[4 + i] = static_cast<uint8_t>(tag >> (8 * i));
    for (int i = 0; i < 4; ++i) w[8 + i] = static_cast<uint8_t>(length >> (8 * i));
    w[12] = flags;
    w[13] = lun;
    w[14] = static_cast<uint8_t>(cdbLength >= 0 ? cdbLength : static_cast<int>(cdb.size()));
    std::copy_n(cdb.begin(), std::min<size_t>(16, cdb.size()), w.begin() + 15);
    return w;
}

inline MscStage CbwStage(std::vector<uint8_t> cdb, uint8_t kind = 1, int cdbLength = -1) {
    MscStage s;
    s.bytes = MakeCbw(cdb, 0x12345678, 36, 0x80, 0, cdbLength);
    s.op = cdb.empty() ? 0 : cdb[0];
    s.cdb1 = cdb.size() > 1 ? cdb[1] : 0;
    s.kind = kind;
    return s;
}

inline std::vector<uint8_t> MakeCsw(uint32_t tag, uint32_t residue, uint8_t status) {
    std::vector<uint8_t> w(13, 0);
    const uint8_t sig[] = {'U', 'S', 'B', 'S'};
    std::copy(sig, sig + 4, w.begin());
    for (int i = 0; i < 4; ++i) w[4 + i] = static_cast<uint8_t>(tag >> (8 * i));
    for (int i = 0; i < 4; ++i) w[8 + i] = static_cast<uint8_t>(residue >> (8 * i));
    w[12] = status;
    return w;
}

inline MscStage DataStage(std::vector<uint8_t> data, std::vector<uint8_t> cdb, uint8_t kind = 1,
                          bool withCdb = true) {
    MscStage s;
    s.bytes = std::move(data);
    s.completion = true;
    s.op = cdb[0];
    s.cdb1 = cdb.size() > 1 ? cdb[1] : 0;
    s.kind = kind;
    if (withCdb) {
        cdb.resize(16, 0);
        s.cdb = cdb;
    }
    return s;
}

// The cells of the first row whose field cell is `name`: value and
// description as written (markup included); nullopt without such a row.
struct RowCells {
    std::string value;
    std::string description;
};
inline std::optional<RowCells> FindRow(std::string_view html, std::string_view name, size_t occurrence = 0) {
    const std::string key = "<td class=\"udfld\"><nobr>" + std::string(name) + "</nobr></td>\r\n";
    size_t at = html.find(key);
    for (size_t k = 0; k < occurrence && at != std::string_view::npos; ++k) at = html.find(key, at + 1);
    if (at == std::string_view::npos) return std::nullopt;
    at += key.size();
    // Offset tables put a size cell between name and value.
    if (html.substr(at).starts_with("<td class=\"udsiz\">")) at = html.find("</td>", at) + 7;
    auto cell = [&](size_t& from) {
        const size_t open = html.find('>', from) + 1;
        const size_t close = html.find("</td>", open);
        std::string text(html.substr(open, close - open));
        from = close + 7;
        return text;
    };
    RowCells r;
    r.value = cell(at);
    const size_t dEnd = html.find("</td>", at);
    const size_t dOpen = html.find('>', at) + 1;
    r.description = dOpen <= dEnd ? std::string(html.substr(dOpen, dEnd - dOpen)) : std::string();
    return r;
}

} // namespace brx::testing

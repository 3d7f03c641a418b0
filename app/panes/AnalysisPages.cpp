#include "app/panes/AnalysisPages.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string_view>

#include "app/panes/RecordData.h"
#include "base/ByteReader.h"
#include "capture/RequestKind.h"
#include "decode/ControlDispatch.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/SetupPacket.h"
#include "decode/SetupRows.h"
#include "decode/UrbFields.h"
#include "protocols/BulkOnly.h"
#include "protocols/CdcNotifications.h"
#include "protocols/ClassDecoders.h"
#include "protocols/HidReportDescriptorPage.h"
#include "protocols/HidReportValues.h"

namespace brx {

const char kDecoderFailedLine[] =
    "<p class=\"error\" style=\"color:#f00\"><b>Decoding failed:</b> this request could not be decoded.</p>\r\n";

namespace {

// Where the analysers read a URB record's block (offsets inside the block).
constexpr size_t kBlockInterfaceInfo = 4;     // the pipe's interface information record
constexpr size_t kInfoVersion = 6;            // ... its 16-bit class version word
constexpr size_t kInfoClass = 8;              // ... class, subclass, protocol
constexpr size_t kBlockEndpoint = URB_BLOCK_PIPE_INFO + 3;
constexpr uint32_t kKindGetDescriptorFromNodeConnection = 4442;
constexpr uint8_t kClassComm = 0x02, kClassHid = 0x03, kClassMassStorage = 0x08, kClassCdcData = 0x0A;
constexpr uint8_t kBulkOnlyProtocol = 0x50;

// How an entry point's decoder ended.
struct EntryOutcome {
    bool wrote = false;
    bool threw = false;
};

DECODE_CONTEXT PageContext(PageBuffer& page) {
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.classDecoders = &kClassDecoders;
    return ctx;
}

// Runs one decoder over the page: what it wrote stays only when it
// succeeded; an exception (an allocation that failed, a decoder's bug) stops
// at this edge and counts as a failure.
template <class Decoder>
bool RunEntry(PageBuffer& page, EntryOutcome* outcome, Decoder&& decode) {
    const PageMark mark = page.Mark();
    bool ok = false;
    try {
        ok = decode();
    } catch (...) {
        ok = false;
        if (outcome) outcome->threw = true;
    }
    if (!ok) page.Rollback(mark);
    if (ok && outcome) outcome->wrote = true;
    return ok;
}

bool DecodeControlSetupImpl(PageBuffer& page, EntryOutcome* outcome, const uint8_t* setup, bool setupAsSent,
                            std::span<const uint8_t> data, bool dataPresent, const INTERFACE_INFO& info,
                            bool completion) {
    if (!setup) return false;
    return RunEntry(page, outcome, [&] {
        DECODE_CONTEXT ctx = PageContext(page);
        ctx.bytes = std::span<const uint8_t>(setup, 8);
        ctx.setupAsSent = setupAsSent;
        ctx.request.data = data;
        ctx.request.dataPresent = dataPresent;
        ctx.request.interfaceInfo = info;
        ctx.request.completion = completion;
        ctx.request.version = info.known ? info.version : 0;
        return DecodeControlSetup(ctx);
    });
}

bool RenderSetupPacketImpl(PageBuffer& page, EntryOutcome* outcome, const uint8_t* setup) {
    if (!setup) return false;
    return RunEntry(page, outcome, [&] {
        DECODE_CONTEXT ctx = PageContext(page);
        ctx.bytes = std::span<const uint8_t>(setup, 8);
        ctx.setupAsSent = true;
        return RenderSetupPacket(ctx);
    });
}

// Bytes no decoder of this build reads, as one capped hex dump.
bool RenderDataTable(DECODE_CONTEXT& ctx, std::span<const uint8_t> data) {
    if (data.empty()) return true;
    return WriteSectionTitle(ctx, "Data") && BeginFieldTable(ctx) &&
           WriteBytesRow(ctx, 0, "Data", data, nullptr) && EndFieldTable(ctx);
}

bool RenderCdcNotificationImpl(PageBuffer& page, EntryOutcome* outcome, const uint8_t* notification,
                               bool setupAsSent, std::span<const uint8_t> data, bool dataPresent,
                               const INTERFACE_INFO& info, bool completion) {
    if (!notification) return false;
    if (RunEntry(page, outcome, [&] {
            DECODE_CONTEXT ctx = PageContext(page);
            ctx.bytes = std::span<const uint8_t>(notification, 8);
            ctx.setupAsSent = setupAsSent;
            ctx.request.data = data;
            ctx.request.dataPresent = dataPresent;
            ctx.request.interfaceInfo = info;
            ctx.request.completion = completion;
            return DecodeCdcNotification(ctx);
        }))
        return true;
    // A header the notification decoder does not take (not a class
    // notification): its 8-byte table and the data after it as bytes.
    return RunEntry(page, outcome, [&] {
        DECODE_CONTEXT ctx = PageContext(page);
        ctx.bytes = std::span<const uint8_t>(notification, 8);
        ctx.setupAsSent = true;
        if (!RenderSetupPacket(ctx)) return false;
        return !dataPresent || RenderDataTable(ctx, data);
    });
}

bool RenderMassStorageTransferImpl(PageBuffer& page, EntryOutcome* outcome, const CRecordPairView& pair,
                                   const RECORD_LAYOUT& layout, std::span<const uint8_t> data,
                                   const INTERFACE_INFO& info) {
    if (data.empty()) return false;
    if (RunEntry(page, outcome, [&] {
            DECODE_CONTEXT ctx = PageContext(page);
            SetBulkTransferContext(ctx, pair, layout, info);
            ctx.bytes = data;
            return DecodeBulkOnlyTransfer(ctx) != 0;
        }))
        return true;
    // A stage the transport decoder does not take (a record without its
    // mass-storage bytes): the stage's bytes.
    return RunEntry(page, outcome, [&] {
        DECODE_CONTEXT ctx = PageContext(page);
        ctx.bytes = data;
        return RenderDataTable(ctx, data);
    });
}

int LookUpReport(CHIDDeviceDataHash& cache, const REPORT_DATA_ARGS& a, HID_REPORT_ITEM* items, uint32_t* count) {
    const auto length = static_cast<uint32_t>(a.data.size());
    if (a.pipeKey.key0 || a.pipeKey.key1)
        return cache.GetReportItemsByPipe(a.data.data(), length, a.reportId, a.reportType, a.pipeKey,
                                          a.interfaceNumber, items, count);
    return cache.GetReportItemsByObject(a.data.data(), length, a.reportId, a.reportType, a.objectKey,
                                        a.interfaceNumber, items, count);
}

bool RenderReportDataImpl(PageBuffer& page, EntryOutcome* outcome, CHIDDeviceDataHash* cache,
                          const REPORT_DATA_ARGS& a) {
    if (!cache || a.data.empty()) return false;
    const bool pipe = a.pipeKey.key0 || a.pipeKey.key1;
    const bool object = a.objectKey.key0 || a.objectKey.key1;
    if (!pipe && !object) return false;
    return RunEntry(page, outcome, [&] {
        std::array<HID_REPORT_ITEM, kReportItemsFirstTry> first{};
        HID_REPORT_ITEM* items = first.data();
        uint32_t count = kReportItemsFirstTry;
        std::unique_ptr<HID_REPORT_ITEM[]> more;
        if (!LookUpReport(*cache, a, items, &count) && count > kReportItemsFirstTry) {
            // Asked for more: one larger list, never above the page's cap.
            const uint32_t room = std::min(count, kMaxReportRows);
            more.reset(new (std::nothrow) HID_REPORT_ITEM[room]);
            if (!more) return false;
            items = more.get();
            count = room;
            LookUpReport(*cache, a, items, &count);
        }
        if (count == 0) return true;  // a report without fields: nothing to list
        const uint32_t room = more ? std::min(count, kMaxReportRows) : std::min(count, kReportItemsFirstTry);
        HID_REPORT_TABLE_CONTEXT table;
        table.page = &page;
        table.items = items;
        table.itemCount = room;
        table.reportType = a.reportType;
        table.reportId = a.reportId;
        if (!RenderHidReportFields(table)) return false;
        if (count > room && !page.AppendF("<p>%u more report fields not listed.</p>\r\n", count - room))
            return false;
        return true;
    });
}

// ---- The record dispatch

struct UrbRecord {
    const CRecordPairView& pair;
    const CRecordView& r;
    const RECORD_LAYOUT& layout;
    const ANALYSIS_SOURCES& sources;
    ByteReader block;
    ByteReader urb;
    size_t urbLength;  // the smaller of the captured URB and the length it records
    uint16_t function;

    bool BlockAtLeast(size_t n) const { return block.size() >= n; }
    bool UrbAtLeast(size_t n) const { return urbLength >= n; }
    int32_t UrbStatus() const { return static_cast<int32_t>(urb.u32le_or(URB_OFFSET_STATUS)); }
    bool Success() const {
        return r.completion && GetRequestStatus(r.buffer, r.copied, layout) == 0 && UrbStatus() >= 0;
    }
    // The record's data under the valid-data rule (IN from a successful
    // completion, OUT from the issue record, status and result bytes).
    std::span<const uint8_t> ValidData() const {
        const RECORD_DATA_BYTES d = GetRecordDataBytes(r, layout);
        return d.length ? std::span<const uint8_t>(d.bytes, d.length) : std::span<const uint8_t>{};
    }
    INTERFACE_INFO Interface() const {
        INTERFACE_INFO info;
        if (!block.has(kBlockInterfaceInfo + kInfoClass, 3)) return info;
        info.known = true;
        info.version = block.u16le_or(kBlockInterfaceInfo + kInfoVersion);
        info.interfaceClass = block.u8or(kBlockInterfaceInfo + kInfoClass);
        info.interfaceSubClass = block.u8or(kBlockInterfaceInfo + kInfoClass + 1);
        info.interfaceProtocol = block.u8or(kBlockInterfaceInfo + kInfoClass + 2);
        return info;
    }
    // The HID pipe key: the URB's pipe handle and the 16 bits of the block's
    // key that the capture always fills.
    HID_OBJECT_KEY PipeKey() const {
        return HID_OBJECT_KEY{urb.u32le_or(URB_OFFSET_PIPE_HANDLE), block.u16le_or(URB_BLOCK_HID_PIPE_KEY), 0, 0};
    }
    HID_OBJECT_KEY ObjectKey() const {
        return HID_OBJECT_KEY{GetRequestDeviceObject(r.buffer, r.copied, layout),
                              GetRequestDeviceKey(r.buffer, r.copied, layout), 0, 0};
    }
};

// One page: the head with its sheets, the analyser's entry points, the end.
class PageRun {
public:
    explicit PageRun(PageBuffer& page) : page_(page) {}

    void Begin(bool descriptorSheet, bool reportDescriptorSheet, bool reportSheet) {
        std::string_view heads[3];
        size_t n = 0;
        if (descriptorSheet) heads[n++] = DESCRIPTOR_STYLE_SHEET;
        if (reportDescriptorSheet) heads[n++] = HID_REPORT_DESCRIPTOR_STYLE_SHEET;
        if (reportSheet) heads[n++] = HID_REPORT_STYLE_SHEET;
        page_.Reset();
        BeginPage(page_, "", std::span<const std::string_view>(heads, n));
    }
    PageBuffer& page() { return page_; }
    EntryOutcome* outcome() { return &outcome_; }
    AnalysisPageResult End() {
        // A decoder that failed, or a page where nothing could be written,
        // says so instead of showing a blank pane.
        if ((outcome_.threw || !outcome_.wrote) && !page_.full()) page_.Append(kDecoderFailedLine);
        ClosePage(page_);
        return AnalysisPageResult::Page;
    }

private:
    PageBuffer& page_;
    EntryOutcome outcome_;
};

bool RebuildSetup(const UrbRecord& u, uint8_t packet[8]) {
    std::fill(packet, packet + 8, uint8_t{0});
    return BuildSetupPacketForUrb(u.urb.data(), u.urbLength, packet) != 0;
}

AnalysisPageResult AnalyzeControlTransfer(PageBuffer& page, const UrbRecord& u) {
    if (!u.BlockAtLeast(44) || !u.UrbAtLeast(80)) return AnalysisPageResult::None;
    uint8_t setup[8];
    for (size_t i = 0; i < 8; ++i) setup[i] = u.urb.u8or(URB_OFFSET_SETUP_PACKET + i);
    const std::span<const uint8_t> data = u.ValidData();
    const bool valid = !data.empty();
    const INTERFACE_INFO info = u.Interface();
    const uint8_t bm = setup[0], request = setup[1], reportType = setup[3];
    const bool reportDescriptor = valid && request == 0x06 && setup[3] == 0x22;
    const bool hidReport = valid && ((bm >> 5) & 3) == 1 && info.interfaceClass == kClassHid &&
                           ((request == 0x01 && bm == 0xA1) || (request == 0x09 && bm == 0x21)) &&
                           reportType >= 1 && reportType <= 3;
    PageRun run(page);
    run.Begin(true, reportDescriptor, hidReport);
    DecodeControlSetupImpl(page, run.outcome(), setup, true, data, valid, info, u.r.completion);
    if (hidReport) {
        REPORT_DATA_ARGS a;
        a.data = data;
        a.reportId = setup[2];
        a.reportType = reportType;
        a.pipeKey = u.PipeKey();
        // A transfer on the default pipe carries no pipe handle: its report
        // is found through the device object, as a class request's is.
        a.objectKey = u.ObjectKey();
        a.interfaceNumber = setup[4];
        RenderReportDataImpl(page, run.outcome(), u.sources.reportCache, a);
    }
    return run.End();
}

AnalysisPageResult AnalyzeHidReport(PageBuffer& page, const UrbRecord& u) {
    const std::span<const uint8_t> data = u.ValidData();
    if (data.empty() || !u.sources.reportDescriptors) return AnalysisPageResult::None;
    REPORT_DATA_ARGS a;
    a.data = data;
    a.pipeKey = u.PipeKey();
    a.reportId = u.sources.reportDescriptors->HasReportIds(a.pipeKey, HID_ANY_INTERFACE) == 1 ? data[0] : 0;
    a.reportType = (u.block.u8or(kBlockEndpoint) & 0x80) ? 1 : 2;
    a.interfaceNumber = HID_ANY_INTERFACE;
    PageRun run(page);
    run.Begin(false, false, true);
    RenderReportDataImpl(page, run.outcome(), u.sources.reportCache, a);
    return run.End();
}

AnalysisPageResult AnalyzeCdcNotification(PageBuffer& page, const UrbRecord& u) {
    const std::span<const uint8_t> data = u.ValidData();
    const INTERFACE_INFO block = u.Interface();
    if (block.interfaceClass != kClassComm || data.size() < 8) return AnalysisPageResult::None;
    // The notification's interface as the capture knows it, without a
    // version word.
    INTERFACE_INFO info = block;
    info.version = 0;
    PageRun run(page);
    run.Begin(true, false, false);
    RenderCdcNotificationImpl(page, run.outcome(), data.data(), true, data.subspan(8), data.size() > 8, info,
                              u.r.completion);
    return run.End();
}

AnalysisPageResult AnalyzeMassStorageTransfer(PageBuffer& page, const UrbRecord& u) {
    // The stage's bytes under the valid-data rule: a bulk-IN issue record
    // or a failed completion carries a buffer, not data the device sent.
    const std::span<const uint8_t> data = u.ValidData();
    if (data.empty()) return AnalysisPageResult::None;
    PageRun run(page);
    run.Begin(true, false, false);
    RenderMassStorageTransferImpl(page, run.outcome(), u.pair, u.layout, data, u.Interface());
    return run.End();
}

AnalysisPageResult AnalyzeBulkOrInterruptTransfer(PageBuffer& page, const UrbRecord& u) {
    if (!u.BlockAtLeast(44) || !u.UrbAtLeast(72)) return AnalysisPageResult::None;
    const INTERFACE_INFO info = u.Interface();
    switch (info.interfaceClass) {
    case kClassComm:
    case kClassCdcData: return AnalyzeCdcNotification(page, u);
    case kClassHid: return AnalyzeHidReport(page, u);
    case kClassMassStorage:
        if (info.interfaceProtocol != kBulkOnlyProtocol) return AnalysisPageResult::None;
        return AnalyzeMassStorageTransfer(page, u);
    default: return AnalysisPageResult::None;
    }
}

// Descriptor, vendor and class requests: the rebuilt setup packet over the
// record's valid data.
AnalysisPageResult AnalyzeRebuiltRequest(PageBuffer& page, const UrbRecord& u, bool classRequest) {
    if (!u.BlockAtLeast(40) || !u.UrbAtLeast(80)) return AnalysisPageResult::None;
    const std::span<const uint8_t> data = u.ValidData();
    if (data.empty()) return AnalysisPageResult::None;
    uint8_t setup[8];
    const bool rebuilt = RebuildSetup(u, setup);
    const INTERFACE_INFO info = u.Interface();
    const bool hidReport = classRequest && info.interfaceClass == kClassHid && u.function == 0x1B && rebuilt &&
                           (setup[1] == 0x01 || setup[1] == 0x09) && setup[3] >= 1 && setup[3] <= 3;
    if (!rebuilt) return AnalysisPageResult::None;
    PageRun run(page);
    run.Begin(true, false, hidReport);
    DecodeControlSetupImpl(page, run.outcome(), setup, false, data, true, info, u.r.completion);
    if (hidReport) {
        REPORT_DATA_ARGS a;
        a.data = data;
        a.reportId = setup[2];
        a.reportType = setup[3];
        a.objectKey = u.ObjectKey();
        a.interfaceNumber = setup[4];
        RenderReportDataImpl(page, run.outcome(), u.sources.reportCache, a);
    }
    return run.End();
}

// GET_STATUS, GET_CONFIGURATION and GET_INTERFACE: the result bytes the
// block holds (ValidData: at most 2 status bytes, 1 value byte).
AnalysisPageResult AnalyzeResultRequest(PageBuffer& page, const UrbRecord& u, size_t minBlock, bool withInterface) {
    if (!u.BlockAtLeast(minBlock) || !u.UrbAtLeast(80) || !u.Success()) return AnalysisPageResult::None;
    const std::span<const uint8_t> data = u.ValidData();
    if (data.empty()) return AnalysisPageResult::None;
    uint8_t setup[8];
    if (!RebuildSetup(u, setup)) return AnalysisPageResult::None;
    PageRun run(page);
    run.Begin(true, false, false);
    DecodeControlSetupImpl(page, run.outcome(), setup, false, data, true,
                           withInterface ? u.Interface() : INTERFACE_INFO{}, u.r.completion);
    return run.End();
}

AnalysisPageResult AnalyzeUrb(PageBuffer& page, const UrbRecord& u) {
    switch (u.function) {
    case 0x08:
    case 0x32: return AnalyzeControlTransfer(page, u);
    case 0x09: return AnalyzeBulkOrInterruptTransfer(page, u);
    case 0x0B: case 0x0C: case 0x24: case 0x25: case 0x28: case 0x29:
        return AnalyzeRebuiltRequest(page, u, false);
    case 0x13: case 0x14: case 0x15: case 0x21: return AnalyzeResultRequest(page, u, 36, true);
    case 0x17: case 0x18: case 0x19: case 0x20: return AnalyzeRebuiltRequest(page, u, false);
    case 0x1A: case 0x1B: case 0x1C: case 0x1F: return AnalyzeRebuiltRequest(page, u, true);
    case 0x26: return AnalyzeResultRequest(page, u, 40, false);
    case 0x27: return AnalyzeResultRequest(page, u, 44, false);
    default: return AnalysisPageResult::None;
    }
}

// The hub's GET_DESCRIPTOR_FROM_NODE_CONNECTION: the request's setup packet,
// then on success the descriptor it returned.
AnalysisPageResult AnalyzeNodeConnectionDescriptor(PageBuffer& page, const CRecordView& r,
                                                   const RECORD_LAYOUT& layout) {
    const RECORD_DATA_BYTES buffer = GetIoctlBufferBytes(r, layout);
    if (buffer.length < 12) return AnalysisPageResult::None;
    const ByteReader b(buffer.bytes, buffer.length);
    PageRun run(page);
    run.Begin(true, false, false);
    RenderSetupPacketImpl(page, run.outcome(), buffer.bytes + 4);
    const bool success = r.completion && GetRequestStatus(r.buffer, r.copied, layout) == 0;
    if (success && buffer.length > 14) {
        const uint8_t setup[8] = {0x80, 0x06, b.u8or(6), b.u8or(7), b.u8or(8), b.u8or(9), b.u8or(10), b.u8or(11)};
        DecodeControlSetupImpl(page, run.outcome(), setup, false, std::span<const uint8_t>(b.from(12).data(), b.size() - 12),
                               true, INTERFACE_INFO{}, r.completion);
    }
    return run.End();
}

} // namespace

bool EntryDecodeControlSetup(PageBuffer& page, const uint8_t* setup, bool setupAsSent,
                             std::span<const uint8_t> data, bool dataPresent, const INTERFACE_INFO& info,
                             bool completion) {
    return DecodeControlSetupImpl(page, nullptr, setup, setupAsSent, data, dataPresent, info, completion);
}

bool EntryRenderSetupPacket(PageBuffer& page, const uint8_t* setup) {
    return RenderSetupPacketImpl(page, nullptr, setup);
}

bool EntryRenderCdcNotification(PageBuffer& page, const uint8_t* notification, bool setupAsSent,
                                std::span<const uint8_t> data, bool dataPresent, const INTERFACE_INFO& info,
                                bool completion) {
    return RenderCdcNotificationImpl(page, nullptr, notification, setupAsSent, data, dataPresent, info,
                                     completion);
}

bool EntryRenderMassStorageTransfer(PageBuffer& page, const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                                    std::span<const uint8_t> data, const INTERFACE_INFO& info) {
    return RenderMassStorageTransferImpl(page, nullptr, pair, layout, data, info);
}

bool EntryRenderReportData(PageBuffer& page, CHIDDeviceDataHash* cache, const REPORT_DATA_ARGS& args) {
    return RenderReportDataImpl(page, nullptr, cache, args);
}

AnalysisPageResult BuildAnalysisPage(PageBuffer& page, const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                                     const ANALYSIS_SOURCES& sources) {
    page.Reset();
    const CRecordView& r = pair.record;
    if (r.type != RECORD_TYPE_REQUEST || !r.hasBlock || !r.block || r.blockLength == 0) return AnalysisPageResult::None;
    AnalysisPageResult result = AnalysisPageResult::None;
    try {
        if (r.kind == kKindGetDescriptorFromNodeConnection) {
            result = AnalyzeNodeConnectionDescriptor(page, r, layout);
        } else if (IsUrbKind(r.kind) && r.urb && r.urbLength) {
            const ByteReader block(r.block, r.blockLength);
            const ByteReader urb(r.urb, r.urbLength);
            const size_t recorded = block.u16le_or(0);
            UrbRecord u{pair, r, layout, sources, block, urb, std::min<size_t>(urb.size(), recorded),
                        static_cast<uint16_t>(r.kind - KIND_URB_FIRST)};
            result = AnalyzeUrb(page, u);
        }
    } catch (...) {
        // Whatever escaped the entry points (the page frame itself): the page
        // says so, closed.
        page.Reset();
        BeginPage(page, "", {});
        page.Append(kDecoderFailedLine);
        ClosePage(page);
        return AnalysisPageResult::Page;
    }
    if (result == AnalysisPageResult::None) page.Reset();
    return result;
}

} // namespace brx

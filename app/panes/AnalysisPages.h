// The Data Analysis pane's pages: the decoder entry points (each builds a
// DECODE_CONTEXT at the page's end, runs one decoder and keeps what it wrote
// only when it succeeded) and the record dispatch that chooses, by request
// kind and URB function, which of them a record's page runs.
//
// Pure: the pane (app/panes/win/DataAnalysis) only hands the finished text to
// the browser. Native tests and the fuzzers reach everything here.
#pragma once
#include <cstdint>
#include <span>

#include "capture/HidTables.h"
#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/DecodeContext.h"
#include "decode/PageBuffer.h"

namespace brx {

// What a page reads besides the record: the active log's HID report
// descriptors and the parsed-descriptor cache over them. Either may be null:
// interrupt reports then get no page, control and class reports show their
// request without report rows.
struct ANALYSIS_SOURCES {
    const CHIDDeviceRDHash* reportDescriptors = nullptr;
    CHIDDeviceDataHash* reportCache = nullptr;
};

// Most report fields one page lists; the rest are counted in one line.
constexpr uint32_t kMaxReportRows = 1024;
// Report items the first look-up offers.
constexpr uint32_t kReportItemsFirstTry = 80;

// ---- Entry points. Each returns true when its decoder wrote something; on
// false (or when the decoder throws) the page is as it was before the call.

// The control setup dispatch over an 8-byte setup packet (null: false).
bool EntryDecodeControlSetup(PageBuffer& page, const uint8_t* setup, bool setupAsSent,
                             std::span<const uint8_t> data, bool dataPresent, const INTERFACE_INFO& info,
                             bool completion);
// The plain "Setup Packet" table.
bool EntryRenderSetupPacket(PageBuffer& page, const uint8_t* setup);
// A CDC notification (8-byte header, data after it).
bool EntryRenderCdcNotification(PageBuffer& page, const uint8_t* notification, bool setupAsSent,
                                std::span<const uint8_t> data, bool dataPresent, const INTERFACE_INFO& info,
                                bool completion);
// One Bulk-Only transfer stage: a command wrapper, a data stage or a status
// wrapper of the pair's command.
bool EntryRenderMassStorageTransfer(PageBuffer& page, const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                                    std::span<const uint8_t> data, const INTERFACE_INFO& info);
// A HID report as its field table: parsed through the pipe key when it is
// non-zero, else through the device-object key, else nothing. True with
// nothing written when the report has no fields.
struct REPORT_DATA_ARGS {
    std::span<const uint8_t> data;
    uint8_t reportId = 0;
    uint8_t reportType = 0;  // 1 input, 2 output, 3 feature
    HID_OBJECT_KEY objectKey{};
    HID_OBJECT_KEY pipeKey{};
    uint8_t interfaceNumber = HID_ANY_INTERFACE;
};
bool EntryRenderReportData(PageBuffer& page, CHIDDeviceDataHash* cache, const REPORT_DATA_ARGS& args);

// ---- The record dispatch.

enum class AnalysisPageResult : uint8_t {
    None,   // the record gets no page (the page buffer is left reset)
    Page,   // a whole page was written and closed
};

// Writes the page of a selected record: URB kinds 340-839 and the hub's
// GET_DESCRIPTOR_FROM_NODE_CONNECTION (4442). A decoder that fails or throws
// leaves an error line instead of its tables; the page is always closed.
AnalysisPageResult BuildAnalysisPage(PageBuffer& page, const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                                     const ANALYSIS_SOURCES& sources);

// The line a page shows where a decoder failed.
extern const char kDecoderFailedLine[];

} // namespace brx

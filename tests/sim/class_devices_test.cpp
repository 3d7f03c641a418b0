// The simulated machine's class devices seen through the product's own
// decoders: a round of the composite CDC ACM device, the DFU bootloader and
// the printer, enumeration included, is indexed as the store indexes it, and
// every record is read back as the list reads a selected row. Each record's
// Data Analysis page and Request Details text must show what a user looks
// for: the descriptors parsed as their classes, the line coding and serial
// state, the DFU requests with their status, state and block numbers, the
// printer's Device ID and port status. BRX_SHOW_ROUND set prints every
// record's texts and pages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/panes/AnalysisPages.h"
#include "base/Text.h"
#include "protocols/RequestDetails.h"
#include "sim/DriverScenario.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/PageTest.h"

namespace brx {
namespace {

using testing::CheckNesting;
using testing::FakeFilterLog;

// What the product shows of one record.
struct Shown {
    bool completion = false;
    std::string details;   // the Request Details column
    std::string page;      // the Data Analysis page, empty when none
};

// One round of a device (its first, with the enumeration), every record
// shown as the list and the Data Analysis pane show it.
std::vector<Shown> ShowRound(uint32_t object) {
    CDriverScenario scenario;
    std::vector<Bytes> records;
    scenario.NextRound({object}, records);
    FakeFilterLog log;
    log.Append(records);
    std::vector<Shown> shown;
    for (uint32_t i = 0; i < log.GetRecordCount(); ++i) {
        RECORD_INDEX_ENTRY entry{};
        EXPECT_EQ(log.GetIndexEntry(i, entry), S_OK32);
        EXPECT_NE(GetEntryCompanion(entry), NO_INDEX) << "record " << i;
        // Buffers of exactly the records' sizes, so that ASan sees any read past one.
        RECORD_INDEX_ENTRY other{};
        uint32_t otherSize = 16;
        if (log.GetIndexEntry(GetEntryCompanion(entry), other) == S_OK32)
            otherSize = GetEntryRecordSize(other);
        std::vector<uint8_t> a(GetEntryRecordSize(entry)), b(otherSize);
        CRecordPairView pair;
        pair.Init(a.data(), static_cast<uint32_t>(a.size()), b.data(), static_cast<uint32_t>(b.size()));
        EXPECT_EQ(log.ReadRecordPair(i, pair), S_OK32);

        Shown s;
        s.completion = IsEntryCompletion(entry);
        char16_t text[260] = {};
        REQUEST_DETAILS_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text;
        ctx.textSize = 260;
        FormatRequestDetails(ctx);
        s.details = WideToAnsi(text);

        PageBuffer page;
        if (BuildAnalysisPage(page, pair, log.GetRecordLayout(), ANALYSIS_SOURCES{}) == AnalysisPageResult::Page) {
            s.page = std::string(page.view());
            EXPECT_EQ(CheckNesting(s.page), "") << "record " << i;
            EXPECT_EQ(s.page.find(kDecoderFailedLine), std::string::npos) << "record " << i;
        }
        if (std::getenv("BRX_SHOW_ROUND"))
            std::cout << "=== " << i << (s.completion ? " completion: " : " issue: ") << s.details << "\n"
                      << s.page << "\n";
        shown.push_back(std::move(s));
    }
    return shown;
}

bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

// The first completion whose Request Details text starts with the given
// words, from the given record on.
const Shown* Completion(const std::vector<Shown>& shown, const std::string& details, size_t from = 0) {
    for (size_t i = from; i < shown.size(); ++i)
        if (shown[i].completion && shown[i].details.rfind(details, 0) == 0)
            return &shown[i];
    return nullptr;
}

// The pages of every completion whose details start with the given words.
std::vector<std::string> Pages(const std::vector<Shown>& shown, const std::string& details) {
    std::vector<std::string> pages;
    for (const Shown& s : shown)
        if (s.completion && s.details.rfind(details, 0) == 0)
            pages.push_back(s.page);
    return pages;
}

// A description cell of a page with exactly this text.
bool Cell(const std::string& page, const std::string& text) { return Has(page, ">" + text + "</td>"); }

// The composite device: an interface association groups the CDC ACM
// function's communication interface (with its four functional descriptors)
// and data interface; the mass-storage function follows. Its traffic shows
// the line coding both ways, the control-line and break requests, the serial
// state's carrier bits, and the data on the bulk pipes.
TEST(ClassDevices, CompositeAcmFunction) {
    const std::vector<Shown> shown = ShowRound(SIM_COMPOSITE_OBJECT);
    const Shown* config = Completion(shown, "Cfg Ind 0");
    ASSERT_TRUE(config);
    const std::string& c = config->page;
    for (const char* title : {"<b>Interface Association Descriptor</b> Abstract Control Model",
                              "<b>Interface Descriptor 0/0</b>  CDC Control, 1 Endpoint",
                              "<b>Header Functional Descriptor</b>", "<b>Call Management Functional Descriptor</b>",
                              "<b>Abstract Control Management Functional Descriptor</b>",
                              "<b>Union Functional Descriptor</b>",
                              "<b>Interface Descriptor 1/0</b>  CDC Data, 2 Endpoints",
                              "<b>Interface Descriptor 2/0</b>  Mass Storage, 2 Endpoints"})
        EXPECT_TRUE(Has(c, title)) << title;
    EXPECT_TRUE(Cell(c, "AT Commands: V.250 etc"));
    EXPECT_TRUE(Cell(c, "1.10"));   // bcdCDC
    // The strings were read: the function's name among them.
    EXPECT_TRUE(Completion(shown, "Str Ind 6"));

    // Line coding, sent and read back: 115200 baud, 1 stop bit, no parity, 8 bits.
    const Shown* set = nullptr;
    for (const Shown& s : shown)
        if (!s.completion && s.details == "Set Line Coding (Ifc 0)")
            set = &s;
    ASSERT_TRUE(set);
    const Shown* get = Completion(shown, "Get Line Coding (Ifc 0)");
    ASSERT_TRUE(get);
    for (const std::string* page : {&set->page, &get->page}) {
        EXPECT_TRUE(Has(*page, "Line Coding Structure"));
        EXPECT_TRUE(Cell(*page, "115200"));
        EXPECT_TRUE(Cell(*page, "1 Stop bit"));
        EXPECT_TRUE(Cell(*page, "None"));
        EXPECT_TRUE(Has(*page, ">08h<"));   // bDataBits
    }
    EXPECT_TRUE(Completion(shown, "Set Control Line State (Ifc 0)"));
    EXPECT_TRUE(Completion(shown, "Send Break (Ifc 0)"));

    // SERIAL_STATE on the interrupt endpoint: carrier and DSR up, no errors.
    const Shown* state = Completion(shown, "Serial State (Ifc 0)");
    ASSERT_TRUE(state);
    EXPECT_TRUE(Has(state->page, ">0003h<"));
    EXPECT_TRUE(Cell(state->page, "State of transmission carrier"));
    EXPECT_TRUE(Cell(state->page, "State of receiver carrier detection mechanism of device"));
    EXPECT_TRUE(Has(state->page, "bBreak"));
    // The data both ways: the command out, the answer's bytes in.
    EXPECT_TRUE(Completion(shown, "5 bytes buffer"));
    EXPECT_TRUE(Completion(shown, "24 bytes data"));
}

// The DFU bootloader: its interface is in DFU mode with the functional
// descriptor's attributes; one session shows each request with its block
// number and every status answer's state in the order the bootloader moves.
TEST(ClassDevices, DfuBootloaderSession) {
    const std::vector<Shown> shown = ShowRound(SIM_DFU_OBJECT);
    const Shown* config = Completion(shown, "Cfg Ind 0");
    ASSERT_TRUE(config);
    const std::string& c = config->page;
    EXPECT_TRUE(Has(c, "<b>Interface Descriptor 0/0</b>  Application-Specific, 0 Endpoints"));
    EXPECT_TRUE(Cell(c, "Device Firmware Upgrade"));
    EXPECT_TRUE(Cell(c, "DFU Mode"));
    EXPECT_TRUE(Has(c, "<b>DFU Functional Descriptor</b>"));
    EXPECT_TRUE(Cell(c, "DFU Functional"));
    EXPECT_TRUE(Cell(c, "255 ms"));       // wDetachTimeOut
    EXPECT_TRUE(Cell(c, "1024 bytes"));   // wTransferSize

    // The requests in order, repeated status polls counted once.
    std::vector<std::string> requests;
    for (const Shown& s : shown)
        if (s.completion && s.details.rfind("DFU ", 0) == 0 && (requests.empty() || requests.back() != s.details ||
                                                                 s.details.find("Status") == std::string::npos))
            requests.push_back(s.details);
    const std::vector<std::string> expected = {
        "DFU Get Status (Ifc 0)",           "DFU Download (Ifc 0, Blk 0)", "DFU Get Status (Ifc 0)",
        "DFU Download (Ifc 0, Blk 0)",      "DFU Get Status (Ifc 0)",      "DFU Download (Ifc 0, Blk 2)",
        "DFU Get Status (Ifc 0)",           "DFU Abort (Ifc 0)",           "DFU Upload (Ifc 0, Blk 2)",
        "DFU Get State (Ifc 0)",            "DFU Abort (Ifc 0)",           "DFU Download (Ifc 0, Blk 0)",
        "DFU Get Status (Ifc 0)",           "DFU Clear Status (Ifc 0)",    "DFU Get State (Ifc 0)",
        "DFU Download (Ifc 0, Blk 3)",      "DFU Get Status (Ifc 0)"};
    EXPECT_EQ(requests, expected);

    // Each status answer's state, by its page's description cell.
    const char* const states[] = {"DFU Idle", "Download Busy", "Download-Idle", "Manifest", "Error"};
    std::vector<std::string> seen;
    for (const std::string& page : Pages(shown, "DFU Get Status")) {
        EXPECT_TRUE(Has(page, "Device Status"));
        for (const char* s : states)
            if (Cell(page, s))
                seen.push_back(s);
    }
    const std::vector<std::string> order = {"DFU Idle",     "Download Busy", "Download-Idle", "Download Busy",
                                            "Download-Idle", "Download Busy", "Download-Idle", "Error",
                                            "Manifest"};
    EXPECT_EQ(seen, order);
    const std::vector<std::string> status = Pages(shown, "DFU Get Status");
    ASSERT_EQ(status.size(), 9u);
    EXPECT_TRUE(Cell(status[1], "Timeout: 50 ms"));   // the page erase
    EXPECT_TRUE(Cell(status[5], "Timeout: 20 ms"));   // the block written
    EXPECT_TRUE(Cell(status[7], "Target"));           // the address outside the flash
    EXPECT_TRUE(Cell(status[0], "OK"));
    // The state asked while uploading, and after the error was cleared.
    const std::vector<std::string> state = Pages(shown, "DFU Get State");
    ASSERT_EQ(state.size(), 2u);
    EXPECT_TRUE(Has(state[0], "Upload-Idle"));
    EXPECT_TRUE(Has(state[1], "DFU Idle"));
    // The block read back is shown as firmware data.
    const Shown* upload = Completion(shown, "DFU Upload (Ifc 0, Blk 2)");
    ASSERT_TRUE(upload);
    EXPECT_TRUE(Has(upload->page, "Firmware Data"));
}

// The printer: a bidirectional printer interface; its Device ID with the
// big-endian length and the key-value pairs, and a port status of a selected
// printer with paper and no error.
TEST(ClassDevices, PrinterDeviceIdAndPortStatus) {
    const std::vector<Shown> shown = ShowRound(SIM_PRINTER_OBJECT);
    const Shown* config = Completion(shown, "Cfg Ind 0");
    ASSERT_TRUE(config);
    EXPECT_TRUE(Has(config->page, "<b>Interface Descriptor 0/0</b>  Printing Devices, 2 Endpoints"));
    EXPECT_TRUE(Cell(config->page, "Printer"));
    EXPECT_TRUE(Cell(config->page, "Bi-directional"));

    const std::string* id = nullptr;
    const std::string* port = nullptr;
    for (const Shown& s : shown) {
        if (Has(s.page, "1284 Device ID String"))
            id = &s.page;
        if (Has(s.page, "Printer Port Status"))
            port = &s.page;
    }
    ASSERT_TRUE(id);
    EXPECT_TRUE(Cell(*id, "43 bytes"));
    EXPECT_TRUE(Has(*id, ">MFG:linux;<br>MDL:g_printer;<br>CLS:PRINTER;<br>SN:1;<br></td>"));
    ASSERT_TRUE(port);
    EXPECT_TRUE(Has(*port, ">18h<"));
    EXPECT_TRUE(Cell(*port, "No Error"));
    EXPECT_TRUE(Cell(*port, "Selected"));
    EXPECT_TRUE(Cell(*port, "Paper Not Empty"));
    // The status comes back on the bulk IN pipe.
    EXPECT_TRUE(Completion(shown, "61 bytes data"));
}

} // namespace
} // namespace brx

// The detail panes on real windows under Wine: a capture log built by the
// record builder (markers, bulk IN and OUT transfers, failed, canceled and
// pending requests), rows selected the way the capture list selects them
// (every pane emptied, then each shown), and what each pane then holds:
// the summary of the selected pair with its status picture, the raw data the
// record's direction and phase choose, the IRP and URB trees, the data
// analysis tree. Screenshot: panes_bulk_in.bmp.
#include <gtest/gtest.h>

#include <windows.h>
#include <richole.h>

#include <algorithm>
#include <cwctype>

#include <set>
#include <string>
#include <vector>

#include "app/panes/RecordData.h"
#include "app/panes/win/DataAnalysis.h"
#include "app/panes/win/DetailsPanes.h"
#include "app/panes/win/RawData.h"
#include "app/panes/win/RequestSummary.h"
#include "app/res/panes_ids.h"
#include "base/Text.h"
#include "capture/NameTables.h"
#include "capture/RequestKind.h"
#include "capture/win/SettingsStore.h"
#include "sim/DriverScenario.h"
#include "tests/app/panes/PaneRecords.h"
#include "tests/decode/SummaryText.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "tests/toolkit/html/FakeBrowser.h"
#include "framework/OleControl.h"

using namespace brx;
using namespace brx::test;
using namespace brx::testing;

namespace {

constexpr uint32_t kFailed = 0xC0000001u;

Bytes Payload(size_t n) {
    Bytes d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(i < 16 ? "Brindlex bulk IN"[i] : i);
    return d;
}

// The rows of the test log.
enum Row : uint32_t {
    kStart,
    kBulkInIssue,
    kBulkInDone,
    kBulkOutIssue,
    kBulkOutDone,
    kBulkInFailedIssue,
    kBulkInFailed,
    kCreateIssue,
    kCreateCanceled,
    kPowerIssue,
    kPowerPending,
    kHubInfoIssue,
    kHubInfoDone,
    kDrop,
    kOther,
    kRows
};

class CScriptedRawData : public CRawData {
public:
    UINT answer = 0;
    std::vector<std::pair<UINT, UINT>> marks;  // command, MF_CHECKED state

protected:
    UINT TrackMenu(HMENU menu, POINT) override {
        marks.clear();
        Collect(menu);
        return answer;
    }

private:
    void Collect(HMENU menu) {
        for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
            if (HMENU sub = ::GetSubMenu(menu, i)) {
                Collect(sub);
                continue;
            }
            const UINT id = ::GetMenuItemID(menu, i);
            if (id && id != static_cast<UINT>(-1))
                marks.emplace_back(id, ::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED);
        }
    }
};

class PanesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(AfxOleInit());  // as the program's start-up does
        log = new FakeFilterLog();
        RecordBuilder b;
        DeviceSpec d;
        const PipeSpec in{0x81, 0x8A0C2000, 0}, out{0x02, 0x8A0C2100, 0};
        std::vector<Bytes> r;
        r.push_back(b.StartMarker());
        const UrbSpec bulkIn = BulkTransfer(in, 64, Payload(64));
        r.push_back(b.UrbIssue(d, BulkTransfer(in, 64), b.NewIrp()));
        r.push_back(b.UrbCompletion(d, bulkIn, b.Last()));
        const UrbSpec bulkOut = BulkTransfer(out, 31, Payload(31));
        r.push_back(b.UrbIssue(d, bulkOut, b.NewIrp()));
        r.push_back(b.UrbCompletion(d, BulkTransfer(out, 31), b.Last()));
        r.push_back(b.UrbIssue(d, BulkTransfer(in, 64), b.NewIrp()));
        r.push_back(b.UrbCompletion(d, bulkIn, b.Last(), kFailed));
        r.push_back(b.Create(d, b.NewIrp()));
        r.push_back(b.Complete(d, KIND_CREATE, b.Last(), kStatusCancelled));
        r.push_back(b.Power(d, 2, b.NewIrp()));
        r.push_back(b.Complete(d, KIND_POWER_FIRST + 2, b.Last(), kStatusPending));
        Bytes nodeInfo(76, 0);
        nodeInfo[4] = 9;  // bDescriptorLength of the hub descriptor
        nodeInfo[5] = 0x29;
        nodeInfo[6] = 4;  // four ports
        r.push_back(b.IoctlIssue(d, KIND_HUB_FIRST, 0x220408, 76, nodeInfo, b.NewIrp()));
        r.push_back(b.IoctlCompletion(d, KIND_HUB_FIRST, 0x220408, 76, nodeInfo, b.Last()));
        r.push_back(b.DropMarker());
        r.push_back(b.RawRecord(RECORD_TYPE_OTHER, Bytes(8, 0)));
        log->Append(r);
        ASSERT_EQ(log->GetRecordCount(), static_cast<uint32_t>(kRows));
    }
    static void TearDownTestSuite() {
        delete log;
        log = nullptr;
    }

    void SetUp() override {
        host = SharedHost(CRect(0, 0, 1000, 620));
        ASSERT_NE(host->m_hWnd, nullptr);
        ::DeleteAppRegValue(L"RawData", L"Width");
        ::DeleteAppRegValue(L"RawData", L"TextSize");
        ::DeleteAppRegValue(L"RawData", L"Lowercase");
        ASSERT_TRUE(summary.CreatePane(*host, 1));
        ASSERT_TRUE(raw.Create(*host, ID_RAW_DATA_PANE));
        ASSERT_TRUE(irp.CreatePane(*host, 3));
        ASSERT_TRUE(urb.CreatePane(*host, 4));
        // The page child hosts the stand-in browser (Wine has none).
        ASSERT_TRUE(browser.Ok());
        Browser() = FakeBrowserLog{};
        AfxEnableControlContainer(&sites);
        analysis.browserClass = CLSID_FakeBrowser;
        ASSERT_TRUE(analysis.Create(*host));
        summary.MoveWindow(CRect(0, 0, 500, 300));
        raw.MoveWindow(CRect(0, 300, 500, 620));
        irp.MoveWindow(CRect(500, 0, 1000, 210));
        urb.MoveWindow(CRect(500, 210, 1000, 420));
        analysis.GetTreeList().MoveWindow(CRect(500, 420, 1000, 620));
        Pump();
    }
    void TearDown() override {
        analysis.DestroyWindows();
        AfxEnableControlContainer(nullptr);
        raw.Destroy();
        summary.DestroyWindow();
        irp.DestroyWindow();
        urb.DestroyWindow();
    }

    // The capture list's selection road: every pane emptied, then each
    // shown in turn.
    void Select(uint32_t row) { SelectIn(*log, row, nullptr); }
    void SelectIn(FakeFilterLog& from, uint32_t row, const ISummaryNames* names) {
        selected = ReadBack(from, row);
        ASSERT_TRUE(selected);
        summary.Clear();
        irp.Clear();
        urb.Clear();
        raw.Clear();
        analysis.Clear();
        summary.ShowRecord(selected->pair, selected->layout, names);
        irp.ShowRecord(selected->pair, selected->layout);
        urb.ShowRecord(selected->pair, selected->layout);
        raw.ShowRecord(selected->pair, selected->layout);
        analysis.ShowRecord(selected->pair, selected->layout);
        Pump();
    }

    std::wstring SummaryText() {
        GETTEXTLENGTHEX gtl{GTL_DEFAULT, 1200};
        const LRESULT n = summary.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        GETTEXTEX gt{};
        gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        gt.flags = GT_DEFAULT;
        gt.codepage = 1200;
        text.resize(static_cast<size_t>(
            summary.SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }
    LONG SummaryObjects() {
        IRichEditOle* ole = nullptr;
        summary.SendMessage(EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
        if (!ole) return -1;
        const LONG n = ole->GetObjectCount();
        ole->Release();
        return n;
    }
    // The lines the summary writers make of the selected record.
    std::vector<std::wstring> ExpectedLines() {
        const SummaryDocument doc = Summarize(selected->pair.record, selected->layout);
        const std::u16string text = Utf8ToWide(RtfToText(doc.rtf));
        std::vector<std::wstring> lines;
        std::wstring line;
        for (char16_t c : text) {
            if (c == u'\n') {
                if (!line.empty()) lines.push_back(line);
                line.clear();
            } else {
                line.push_back(static_cast<wchar_t>(c));
            }
        }
        if (!line.empty()) lines.push_back(line);
        return lines;
    }
    void ExpectSummaryOfSelection() {
        const std::wstring shown = SummaryText();
        const std::vector<std::wstring> lines = ExpectedLines();
        ASSERT_FALSE(lines.empty());
        for (const std::wstring& line : lines)
            EXPECT_NE(shown.find(line), std::wstring::npos) << std::string(line.begin(), line.end());
    }
    Bytes RawShown() { return raw.GetData(); }
    int TreeRows(CTreeList& list) {
        int n = 0;
        for (HTREEITEM i = list.GetTreeCtrl().GetRootItem(); i; i = list.GetTreeCtrl().GetNextSiblingItem(i)) ++n;
        return n;
    }

    static FakeFilterLog* log;
    CFakeBrowserRegistration browser;
    CCustomOccManager sites;
    CTestHostWnd* host = nullptr;
    CRequestSummary summary;
    CScriptedRawData raw;
    CIrpDetails irp;
    CUrbDetails urb;
    CDataAnalysis analysis;
    std::unique_ptr<ReadPair> selected;
};
FakeFilterLog* PanesTest::log = nullptr;

TEST_F(PanesTest, TheSummaryShowsTheSelectedPairWithItsStatusPicture) {
    ASSERT_NE(summary.GetImageList(), nullptr) << "status images missing from the resources";
    struct Case {
        Row row;
        int image;
    } cases[] = {
        {kBulkInIssue, STATUS_IMAGE_ISSUED},   {kBulkInDone, STATUS_IMAGE_SUCCEEDED},
        {kBulkInFailed, STATUS_IMAGE_FAILED},  {kCreateCanceled, STATUS_IMAGE_CANCELED},
        {kPowerPending, STATUS_IMAGE_PENDED},  {kStart, STATUS_IMAGE_START},
        {kDrop, STATUS_IMAGE_DROP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Select(c.row);
        EXPECT_EQ(CRequestSummary::GetStatusImage(selected->pair.record, selected->layout), c.image);
        ExpectSummaryOfSelection();
        EXPECT_TRUE(summary.PictureShown());
        EXPECT_EQ(SummaryObjects(), 1);
        // The picture leads, the text follows it.
        const std::wstring shown = SummaryText();
        ASSERT_FALSE(shown.empty());
        EXPECT_FALSE(iswalnum(shown[0]));
    }
}

TEST_F(PanesTest, ARecordOfAnotherTypeShowsNoText) {
    Select(kBulkInDone);
    ASSERT_FALSE(SummaryText().empty());
    Select(kOther);
    EXPECT_EQ(SummaryObjects(), 0);
    std::wstring text = SummaryText();
    text.erase(std::remove_if(text.begin(), text.end(), iswspace), text.end());
    EXPECT_EQ(text, L"");
}

TEST_F(PanesTest, RawDataFollowsDirectionAndPhase) {
    struct Case {
        Row row;
        size_t bytes;
    } cases[] = {
        {kBulkInIssue, 0},  {kBulkInDone, 64},  {kBulkInFailed, 0},
        {kBulkOutIssue, 31}, {kBulkOutDone, 0}, {kHubInfoDone, 76}, {kHubInfoIssue, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Select(c.row);
        const Bytes shown = RawShown();
        ASSERT_EQ(shown.size(), c.bytes);
        if (c.bytes && c.row != kHubInfoDone) {
            EXPECT_EQ(shown, Payload(c.bytes));
        }
    }
}

TEST_F(PanesTest, AMarkerShowsOnlyItsSummary) {
    Select(kBulkInDone);
    ASSERT_FALSE(RawShown().empty());
    ASSERT_GT(TreeRows(irp), 0);
    ASSERT_GT(TreeRows(urb), 0);
    for (Row marker : {kStart, kDrop}) {
        SCOPED_TRACE(marker);
        Select(marker);
        ExpectSummaryOfSelection();
        EXPECT_TRUE(RawShown().empty());
        EXPECT_EQ(TreeRows(irp), 0);
        EXPECT_EQ(TreeRows(urb), 0);
        EXPECT_EQ(TreeRows(analysis.GetTreeList()), 0);
    }
}

TEST_F(PanesTest, DetailsTreesShowTheIrpAndTheUrb) {
    EXPECT_EQ(irp.GetColumnCount(), 3);
    EXPECT_EQ(irp.GetColumnWidth(0), 150);
    EXPECT_EQ(irp.GetColumnWidth(1), 140);
    EXPECT_EQ(irp.GetColumnWidth(2), 200);
    Select(kBulkInDone);
    HTREEITEM top = urb.GetTreeCtrl().GetRootItem();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(urb.GetItemText(top, 0), L"struct _URB_BULK_OR_INTERRUPT_TRANSFER");
    EXPECT_GT(TreeRows(irp), 1);
    // A request that is no URB has an IRP but no URB.
    Select(kCreateCanceled);
    EXPECT_GT(TreeRows(irp), 0);
    EXPECT_EQ(TreeRows(urb), 0);
}

TEST_F(PanesTest, DataAnalysisShowsTheHubStructureAndClears) {
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    EXPECT_EQ(analysis.GetTreeList().GetColumnCount(), 3);
    Select(kHubInfoDone);
    EXPECT_GT(TreeRows(analysis.GetTreeList()), 0);
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    analysis.Clear();
    EXPECT_EQ(TreeRows(analysis.GetTreeList()), 0);
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    // A failed request shows nothing.
    Select(kBulkInFailed);
    EXPECT_EQ(TreeRows(analysis.GetTreeList()), 0);
    analysis.DestroyWindows();
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeNone);
    EXPECT_EQ(analysis.GetTreeList().m_hWnd, nullptr);
}

// The pane shows one child at a time: the tree-list, or the page child
// (through the docking pane's swap when the frame gives one).
TEST_F(PanesTest, DataAnalysisSwitchesItsShownChild) {
    CWnd& tree = analysis.GetTreeList();
    ASSERT_TRUE(::IsWindowVisible(tree));
    std::vector<HWND> attached;
    analysis.ShowView(CDataAnalysis::ModeTree);  // the current mode: nothing
    analysis.ShowView(CDataAnalysis::ModeNone);
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    if (analysis.GetHtmlView().m_hWnd) {
        EXPECT_FALSE(::IsWindowVisible(analysis.GetHtmlView()));
        analysis.ShowView(CDataAnalysis::ModeHtml);
        EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeHtml);
        EXPECT_FALSE(::IsWindowVisible(tree));
        EXPECT_TRUE(::IsWindowVisible(analysis.GetHtmlView()));
    } else {
        analysis.SetModeValue(CDataAnalysis::ModeHtml);
    }
    // A tree analysis switches back, through the frame's swap.
    analysis.attachView = [&](HWND shown) { attached.push_back(shown); };
    Select(kHubInfoDone);
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    ASSERT_EQ(attached.size(), 1u);
    EXPECT_EQ(attached[0], tree.m_hWnd);
    EXPECT_GT(TreeRows(analysis.GetTreeList()), 0);
}

// Redraw is switched off while the text is replaced, and on again after
// (switched off, the window would lose its visible style).
TEST_F(PanesTest, TheSummaryIsVisibleAfterEachRecord) {
    for (Row row : {kBulkInDone, kStart, kOther}) {
        SCOPED_TRACE(row);
        Select(row);
        EXPECT_TRUE(::GetWindowLongW(summary, GWL_STYLE) & WS_VISIBLE);
    }
}

TEST_F(PanesTest, CopyAllPutsTheShownBytesOnTheClipboard) {
    Select(kBulkOutIssue);
    raw.answer = ID_RAW_COPY_ALL;
    raw.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(raw.m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE binary = ::GetClipboardData(CHexDumpCtrl::BinaryFormat());
    Bytes copied;
    if (binary) {
        const uint8_t* p = static_cast<const uint8_t*>(::GlobalLock(binary));
        copied.assign(p, p + ::GlobalSize(binary));
        ::GlobalUnlock(binary);
    }
    ::CloseClipboard();
    ASSERT_GE(copied.size(), 31u);  // the block may be rounded up
    EXPECT_EQ(Bytes(copied.begin(), copied.begin() + 31), Payload(31));
}

// Ctrl+C, the key its menu shows, copies all as the menu item does; C alone
// copies nothing.
TEST_F(PanesTest, CtrlCInTheRawDataCopiesAll) {
    Select(kBulkOutIssue);
    auto copiedBytes = [] {
        Bytes copied;
        if (!::OpenClipboard(nullptr)) return copied;
        if (HANDLE binary = ::GetClipboardData(CHexDumpCtrl::BinaryFormat())) {
            const uint8_t* p = static_cast<const uint8_t*>(::GlobalLock(binary));
            copied.assign(p, p + ::GlobalSize(binary));
            ::GlobalUnlock(binary);
        }
        ::CloseClipboard();
        return copied;
    };
    auto holdControl = [](bool down) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    };
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
    raw.SendMessage(WM_KEYDOWN, 'C', 0);
    EXPECT_TRUE(copiedBytes().empty()) << "C alone";
    holdControl(true);
    raw.SendMessage(WM_KEYDOWN, 'C', 0);
    holdControl(false);
    const Bytes copied = copiedBytes();
    ASSERT_GE(copied.size(), 31u);
    EXPECT_EQ(Bytes(copied.begin(), copied.begin() + 31), Payload(31));
}

TEST_F(PanesTest, RawDataSettingsPersistAndBadValuesReadAsDefaults) {
    EXPECT_EQ(raw.GetSettings().width, 0u);
    EXPECT_EQ(raw.GetSettings().textSize, 11u);
    EXPECT_EQ(raw.GetSettings().lowercase, 0u);
    EXPECT_EQ(raw.GetDisplayParts(), 0x23u);
    EXPECT_EQ(raw.GetDisplayStyle(), 13u);
    // The menu marks the current settings, and its commands change them.
    raw.answer = ID_RAW_WIDTH_16;
    raw.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(raw.m_hWnd), MAKELPARAM(-1, -1));
    auto mark = [&](UINT id) {
        for (auto& m : raw.marks)
            if (m.first == id) return m.second != 0;
        ADD_FAILURE() << "no menu item " << id;
        return false;
    };
    EXPECT_TRUE(mark(ID_RAW_WIDTH_FIT));
    EXPECT_FALSE(mark(ID_RAW_WIDTH_16));
    EXPECT_TRUE(mark(ID_RAW_TEXT_MEDIUM));
    EXPECT_FALSE(mark(ID_RAW_LOWERCASE));
    EXPECT_EQ(raw.GetSettings().width, 3u);
    EXPECT_EQ(raw.GetLayout().cellsPerLine, 16);
    raw.answer = ID_RAW_TEXT_LARGEST;
    raw.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(raw.m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_TRUE(mark(ID_RAW_WIDTH_16));
    raw.answer = ID_RAW_LOWERCASE;
    raw.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(raw.m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_EQ(raw.GetSettings().textSize, 14u);
    EXPECT_EQ(raw.GetSettings().lowercase, 1u);
    // Written when the pane goes.
    EXPECT_EQ(ReadAppRegDword(L"RawData", L"Width", 99), 99u);
    raw.Destroy();
    EXPECT_EQ(ReadAppRegDword(L"RawData", L"Width", 99), 3u);
    EXPECT_EQ(ReadAppRegDword(L"RawData", L"TextSize", 99), 14u);
    EXPECT_EQ(ReadAppRegDword(L"RawData", L"Lowercase", 99), 1u);
    ASSERT_TRUE(raw.Create(*host, ID_RAW_DATA_PANE));
    EXPECT_EQ(raw.GetSettings().width, 3u);
    EXPECT_EQ(raw.GetSettings().textSize, 14u);
    // Out of range: the defaults.
    raw.Destroy();
    WriteAppRegDword(L"RawData", L"Width", 4);
    WriteAppRegDword(L"RawData", L"TextSize", 13);
    WriteAppRegDword(L"RawData", L"Lowercase", 2);
    ASSERT_TRUE(raw.Create(*host, ID_RAW_DATA_PANE));
    EXPECT_EQ(raw.GetSettings().width, 0u);
    EXPECT_EQ(raw.GetSettings().textSize, 11u);
    EXPECT_EQ(raw.GetSettings().lowercase, 0u);
}

TEST_F(PanesTest, ASummaryLongerThanAPageShowsWhole) {
    selected = ConfigurationCompletion(120);
    ASSERT_TRUE(selected);
    const SummaryDocument doc = Summarize(selected->pair.record, selected->layout);
    ASSERT_EQ(doc.result, S_OK32);
    ASSERT_GT(doc.rtf.size(), 4096u);
    summary.ShowRecord(selected->pair, selected->layout);
    EXPECT_TRUE(summary.PictureShown());
    ExpectSummaryOfSelection();
}

// A summary that fills the whole buffer is cut there, and the document is
// still closed and shown.
TEST_F(PanesTest, ASummaryThatFillsTheBufferIsShownAsFarAsItGoes) {
    selected = ConfigurationCompletion(9000);
    ASSERT_TRUE(selected);
    ASSERT_GT(selected->pair.record.dataLength, 60000u);
    const SummaryDocument doc = Summarize(selected->pair.record, selected->layout, nullptr, kSummaryBufferSize - 1);
    // The writers filled the buffer, cutting the last control word.
    ASSERT_GE(doc.rtf.size(), static_cast<size_t>(kSummaryBufferSize - 2));
    summary.ShowRecord(selected->pair, selected->layout);
    EXPECT_TRUE(summary.PictureShown());
    const std::wstring shown = SummaryText();
    EXPECT_GT(shown.size(), 20000u);
    const std::vector<std::wstring> lines = ExpectedLines();
    ASSERT_GT(lines.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_NE(shown.find(lines[i]), std::wstring::npos);
    // The document was closed behind its last whole line: no brace shows
    // as text, and the last line shown is one of the writers' lines.
    std::wstring last = shown;
    while (!last.empty() && iswspace(last.back())) last.pop_back();
    last = last.substr(last.find_last_of(L"\r\n") + 1);
    EXPECT_EQ(last.find(L'}'), std::wstring::npos);
    EXPECT_NE(std::find(lines.begin(), lines.end(), last), lines.end()) << std::string(last.begin(), last.end());
}

// The simulated driver's traffic (a mass-storage stick with a failing read,
// HID devices, a serial port, their enumeration, PnP and power requests):
// every row selected in turn.
class SimulatedCapture {
public:
    SimulatedCapture() {
        const Bytes devices = scenario.DeviceListBlock(), drivers = scenario.DriverListBlock();
        deviceNames.AddFromBlock(devices.data(), devices.size(), kDriverRecordLayout);
        driverNames.AddFromBlock(drivers.data(), drivers.size(), kDriverRecordLayout);
        std::set<uint32_t> selected;
        for (const SimDevice& d : scenario.Devices()) selected.insert(d.device.deviceObject);
        std::vector<Bytes> records{scenario.StartMarker()};
        for (int round = 0; round < 2; ++round) scenario.NextRound(selected, records);
        log.Append(records);
    }
    CDriverScenario scenario;
    CDeviceNameHash deviceNames;
    CDriverNameHash driverNames;
    CSummaryNameTables names{&deviceNames, &driverNames, nullptr};
    FakeFilterLog log;
};

TEST_F(PanesTest, EveryRecordOfASimulatedCaptureShowsByTheRules) {
    SimulatedCapture capture;
    const uint32_t rows = capture.log.GetRecordCount();
    ASSERT_GT(rows, 50u);
    int bulkIn = 0, bulkOut = 0, statusWrappers = 0, failedWrappers = 0, named = 0;
    int markers = 0, withoutData = 0, controlIn = 0, controlOut = 0, otherUrbs = 0;
    for (uint32_t row = 0; row < rows; ++row) {
        SCOPED_TRACE(row);
        selected = ReadBack(capture.log, row);
        ASSERT_TRUE(selected);
        const CRecordView& r = selected->pair.record;
        summary.Clear();
        raw.Clear();
        summary.ShowRecord(selected->pair, selected->layout, &capture.names);
        raw.ShowRecord(selected->pair, selected->layout);
        // The summary: the writers' text behind the record's picture.
        const int image = CRequestSummary::GetStatusImage(r, selected->layout);
        EXPECT_EQ(summary.PictureShown(), image != STATUS_IMAGE_NONE);
        const std::wstring text = SummaryText();
        if (r.type == RECORD_TYPE_REQUEST) {
            EXPECT_GT(text.size(), 10u);
        }
        for (const SimDevice& d : capture.scenario.Devices()) {
            const std::u16string& name = d.deviceName;
            const std::wstring last(name.begin() + static_cast<long>(name.find_last_of(u'\\') + 1), name.end());
            if (!last.empty() && text.find(last) != std::wstring::npos) {
                ++named;
                break;
            }
        }
        // Bulk transfers: IN data on a good completion only, OUT data on the
        // issue only.
        const Bytes shown = raw.GetData();
        const bool good = r.completion && GetRequestStatus(r.buffer, r.copied, selected->layout) == 0;
        // Markers and requests that carry no data of their own show none.
        const bool ioctl = IsKernelIoctlKind(r.kind) || (r.kind >= KIND_UMIO_FIRST && r.kind <= KIND_HUB_FIRST + 99);
        if (r.type != RECORD_TYPE_REQUEST || (!IsUrbKind(r.kind) && !ioctl)) {
            EXPECT_EQ(shown, Bytes{});
            ++(r.type != RECORD_TYPE_REQUEST ? markers : withoutData);
            continue;
        }
        if (ioctl) continue;  // the device-control blocks have their own tests
        const uint32_t function = r.kind - KIND_URB_FIRST;
        if (function == URB_FN_CONTROL_TRANSFER || function == URB_FN_GET_DESCRIPTOR_FROM_DEVICE) {
            // Control transfers: the transfer bytes in their direction's
            // phase (IN when the transfer flags say so at URB offset 20, and
            // every descriptor read), and only after a good completion (the
            // URB's status too) for IN.
            ASSERT_TRUE(r.urb && r.urbLength >= 24);
            const bool in = function == URB_FN_GET_DESCRIPTOR_FROM_DEVICE || (r.urb[20] & 1) != 0;
            const bool urbGood = (r.urb[7] & 0x80) == 0;
            const Bytes data = r.dataLength ? Bytes(r.data, r.data + r.dataLength) : Bytes{};
            EXPECT_EQ(shown, (in ? good && urbGood : !r.completion) ? data : Bytes{});
            ++(in ? controlIn : controlOut);
            continue;
        }
        if (function != URB_FN_BULK_OR_INTERRUPT) {
            ++otherUrbs;
            continue;
        }
        if (r.direction == DIRECTION_IN) {
            ++bulkIn;
            EXPECT_EQ(shown, good && r.dataLength ? Bytes(r.data, r.data + r.dataLength) : Bytes{});
            // The mass-storage status wrappers, the failing one among them.
            if (shown.size() == CSW_LENGTH && shown[0] == 'U' && shown[3] == 'S') {
                ++statusWrappers;
                failedWrappers += shown[CSW_STATUS_OFFSET] != 0;
            }
        } else if (r.direction == DIRECTION_OUT) {
            ++bulkOut;
            EXPECT_EQ(shown, !r.completion && r.dataLength ? Bytes(r.data, r.data + r.dataLength) : Bytes{});
        }
    }
    EXPECT_GT(bulkIn, 4);
    EXPECT_GT(bulkOut, 4);
    EXPECT_GT(markers, 0);
    EXPECT_GT(withoutData, 0);
    EXPECT_GT(controlIn, 0);
    EXPECT_GT(statusWrappers, 1);
    EXPECT_GT(failedWrappers, 0);
    EXPECT_GT(named, 0) << "no summary named its device object";
}

TEST(RawDataRules, FontHeightAndBytesPerLine) {
    EXPECT_EQ(RawDataFontHeight(96, 11), -11);
    EXPECT_EQ(RawDataFontHeight(120, 11), -11);
    EXPECT_EQ(RawDataFontHeight(144, 11), -22);
    EXPECT_EQ(RawDataBytesPerLine(0), 0);
    EXPECT_EQ(RawDataBytesPerLine(2), 8);
    EXPECT_EQ(RawDataBytesPerLine(3), 16);
}

// The panes showing the data stage of a READ(10) from the simulated
// driver's mass-storage stick.
TEST_F(PanesTest, ScreenshotOfABulkInTransfer) {
    SimulatedCapture capture;
    uint32_t row = 0;
    for (; row < capture.log.GetRecordCount(); ++row) {
        auto r = ReadBack(capture.log, row);
        const CRecordView& v = r->pair.record;
        if (v.kind == uint32_t{KIND_URB_FIRST} + URB_FN_BULK_OR_INTERRUPT && v.direction == DIRECTION_IN &&
            v.completion && v.dataLength >= 256)
            break;
    }
    ASSERT_LT(row, capture.log.GetRecordCount()) << "no bulk IN data in the simulated capture";
    SelectIn(capture.log, row, &capture.names);
    EXPECT_TRUE(summary.PictureShown());
    EXPECT_EQ(RawShown(), Bytes(selected->pair.record.data, selected->pair.record.data + selected->pair.record.dataLength));
    ::RedrawWindow(*host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
    Pump();
    EXPECT_TRUE(SaveScreenshot(*host, "panes_bulk_in.bmp"));
}

// The selection road into the page child: URB records show their decoded
// page (loaded when the browser reports its document complete), structures
// the tree; the pane switches between them.
TEST_F(PanesTest, DataAnalysisShowsPagesAndTreesBySelection) {
    FakeFilterLog pages;
    RecordBuilder b;
    const DeviceSpec d;
    const uint8_t device[18] = {18, 1, 0x00, 0x02, 0, 0, 0, 64, 0x34, 0x12, 0x78, 0x56, 0x00, 0x01, 1, 2, 0, 1};
    const UrbSpec get = GetDescriptor(1, 0, 0, 18, Bytes(device, device + 18));
    std::vector<Bytes> r;
    r.push_back(b.UrbIssue(d, get, b.NewIrp()));
    r.push_back(b.UrbCompletion(d, get, b.Last()));
    Bytes nodeInfo(76, 0);
    nodeInfo[4] = 9;
    nodeInfo[5] = 0x29;
    nodeInfo[6] = 4;
    r.push_back(b.IoctlIssue(d, KIND_HUB_FIRST, 0x220408, 76, nodeInfo, b.NewIrp()));
    r.push_back(b.IoctlCompletion(d, KIND_HUB_FIRST, 0x220408, 76, nodeInfo, b.Last()));
    pages.Append(r);
    CDataAnalysisHTML& html = analysis.GetHtmlView();
    ASSERT_NE(html.m_hWnd, nullptr);
    EXPECT_TRUE(html.EventsConnected());
    std::vector<HWND> attached;
    analysis.attachView = [&](HWND shown) { attached.push_back(shown); };

    SelectIn(pages, 1, nullptr);  // the GET_DESCRIPTOR completion: a page
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeHtml);
    ASSERT_FALSE(attached.empty());
    EXPECT_EQ(attached.back(), html.m_hWnd);
    // The browser says its document is complete from the message loop; the
    // page the window held goes in then.
    for (int i = 0; i < 100 && !html.IsLoaded(); ++i) {
        ::Sleep(10);
        Pump();
    }
    EXPECT_GE(Browser().documentCompletes, 1);
    EXPECT_TRUE(html.IsLoaded());
    EXPECT_NE(Browser().loaded.find("idVendor"), std::string::npos);
    EXPECT_NE(Browser().loaded.find("</html>"), std::string::npos);
    EXPECT_EQ(html.GetBrowserWindow(), Browser().window);

    SelectIn(pages, 3, nullptr);  // hub node information: the tree
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    EXPECT_EQ(attached.back(), analysis.GetTreeList().m_hWnd);
    EXPECT_GT(TreeRows(analysis.GetTreeList()), 0);

    // The issue of an IN request has no data: no page, the view stays.
    const size_t loads = Browser().initNew;
    SelectIn(pages, 0, nullptr);
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeTree);
    EXPECT_EQ(static_cast<size_t>(Browser().initNew), loads);

    SelectIn(pages, 1, nullptr);
    EXPECT_EQ(analysis.GetMode(), CDataAnalysis::ModeHtml);
    // Clearing in page mode shows the empty page.
    analysis.Clear();
    EXPECT_EQ(Browser().navigations.back(), L"about:blank");

    // A page selected and cleared before the browser completed: the page is
    // not loaded later (the pane never shows a page of another selection).
    Browser().loaded.clear();
    auto again = ReadBack(pages, 1);
    ASSERT_TRUE(again);
    analysis.ShowRecord(again->pair, again->layout);
    EXPECT_TRUE(html.HoldsBlock());
    analysis.Clear();
    EXPECT_FALSE(html.HoldsBlock());
    for (int i = 0; i < 10; ++i) {
        ::Sleep(10);
        Pump();
    }
    EXPECT_TRUE(Browser().loaded.empty());
    EXPECT_FALSE(html.IsLoaded());
}

// Keys typed in the page go to the browser first; its context menu offers
// Copy (with a selection) and Select All (with text) and sends the choice to
// the browser window.
TEST_F(PanesTest, ThePageTakesItsKeysAndItsContextMenu) {
    CDataAnalysisHTML& html = analysis.GetHtmlView();
    ASSERT_NE(Browser().window, nullptr);
    MSG tab{Browser().window, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_TRUE(App().PreTranslateMessage(&tab));
    EXPECT_EQ(Browser().keys, std::vector<WPARAM>{VK_TAB});

    struct Shown {
        std::vector<std::pair<UINT, bool>> items;  // id, enabled
        HWND owner = nullptr;
    } shown;
    UINT answer = 0;
    html.trackMenu = [&](HMENU menu, POINT, HWND owner) {
        shown.items.clear();
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            const UINT id = ::GetMenuItemID(menu, i);
            shown.items.emplace_back(id, !(::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED));
        }
        shown.owner = owner;
        return answer;
    };
    // The document: the command target the browser hands over.
    VARIANT v{};
    ASSERT_TRUE(SUCCEEDED(html.GetProperty(DISPID_BROWSER_DOCUMENT, v)));
    IUnknown* target = v.pdispVal;
    const POINT pt{10, 10};

    // An empty page, nothing selected: both grayed; nothing chosen, nothing sent.
    EXPECT_EQ(html.ShowContextMenu(pt, target, false), S_OK);
    ASSERT_EQ(shown.items.size(), 2u);
    EXPECT_EQ(shown.items[0], std::make_pair(ID_BROWSER_COPY, false));
    EXPECT_EQ(shown.items[1], std::make_pair(ID_BROWSER_SELECT_ALL, false));
    EXPECT_EQ(shown.owner, ::GetParent(::GetParent(Browser().window)));
    EXPECT_TRUE(Browser().commands.empty());
    // Text on the page and a selection: both on; the choice reaches the browser.
    Browser().bodyText = L"Device Descriptor";
    answer = ID_BROWSER_SELECT_ALL;
    EXPECT_EQ(html.ShowContextMenu(pt, target, true), S_OK);
    EXPECT_EQ(shown.items[0], std::make_pair(ID_BROWSER_COPY, true));
    EXPECT_EQ(shown.items[1], std::make_pair(ID_BROWSER_SELECT_ALL, true));
    answer = ID_BROWSER_COPY;
    html.ShowContextMenu(pt, target, true);
    EXPECT_EQ(Browser().commands, (std::vector<WPARAM>{ID_BROWSER_SELECT_ALL, ID_BROWSER_COPY}));
    // Without a target: no menu.
    shown.items.clear();
    EXPECT_EQ(html.ShowContextMenu(pt, nullptr, true), S_OK);
    EXPECT_TRUE(shown.items.empty());
    ::VariantClear(&v);
}

} // namespace

// The capture list on real windows under Wine: a capture by the simulated
// driver (plus a failed bulk transfer delivered after it) in a real capture
// log, the list driven by the log's own notifications and by messages as a
// user would send them, with the detail panes connected through its selection.
// Screenshot: capture_list.bmp (the list with the summary and raw data panes).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/OleControl.h"
#include "app/list/win/CaptureList.h"
#include "app/panes/win/DataAnalysis.h"
#include "app/panes/win/DetailsPanes.h"
#include "app/panes/win/RawData.h"
#include "app/panes/win/RequestSummary.h"
#include "app/res/list_ids.h"
#include "base/Text.h"
#include "capture/Filter.h"
#include "capture/MatchCriteria.h"
#include "capture/RequestKind.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/SettingsStore.h"
#include "capture/win/WindowMessageTarget.h"
#include "sim/win/SimulatedDriver.h"
#include "tests/capture/win/ScratchFolder.h"
#include "tests/capture/win/TestRegistry.h"
#include "tests/decode/SummaryText.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"

using namespace brx;
using namespace brx::test;
using brx::testing::RtfToText;
using brx::testing::SummarizeLogRecord;
using brx::testing::SummaryDocument;

namespace {

constexpr uint32_t kFailed = 0xC0000001u;

class CDropAll final : public IMessageTarget {
public:
    bool Post(uint32_t, uintptr_t, intptr_t) override { return true; }
    intptr_t Send(uint32_t, uintptr_t, intptr_t) override { return 0; }
};

// The log's names, as the list hands them to the summary.
class CNames final : public ISummaryNames {
public:
    explicit CNames(CCaptureLog& log) : log_(log) {}
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return log_.LookupDeviceName(key, out, capacity);
    }
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return log_.LookupDriverName(key, out, capacity);
    }
    int HasReportIds(const HID_OBJECT_KEY&, uint8_t) const override { return 0; }

private:
    CCaptureLog& log_;
};

// A list whose popup menus answer from the test.
class CScriptedList : public CCaptureList {
public:
    UINT answer = 0;
    struct Entry {
        UINT id;
        UINT state;
        std::wstring text;
    };
    std::vector<Entry> shown;
    int menus = 0;
    POINT at{};  // where the last menu opened (screen)

protected:
    UINT TrackMenu(HMENU menu, POINT screen) override {
        ++menus;
        at = screen;
        shown.clear();
        for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
            wchar_t text[256] = L"";
            ::GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            shown.push_back({::GetMenuItemID(menu, i), ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION), text});
        }
        return answer;
    }
};

// What the rows of the capture are.
struct Rows {
    int start = -1, pnp = -1;
    int bulkInIssue = -1, bulkInDone = -1, bulkInFailed = -1;
    int bulkOutIssue = -1, bulkOutDone = -1;
    int failedWrapper = -1, goodWrapper = -1;
};

class CaptureListTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(AfxOleInit());  // the program's start-up does it; the summary pane needs it
        scratch = new fixtures::ScratchFolder;
        CPreferences& p = GetPreferences();
        wchar_t folder[MAX_PATH + 1] = L"";
        p.GetTempDirectory(folder, MAX_PATH + 1);
        savedFolder = new std::wstring(folder);
        savedSize = p.GetTempFileSize();
        ASSERT_TRUE(p.SetTempDirectory(scratch->path().c_str()));
        ASSERT_TRUE(p.SetTempFileSize(16u << 20));
        filter = new CFilter;
        target = new CWindowMessageTarget;
        filter->SetNotifyTarget(target);
        log = new CCaptureLog(filter, &dropAll);
        log->SetAutoDelete(false);
        filter->SetLogSource([]() -> IFilterLog* { return log; });
        ASSERT_TRUE(log->CreateTempCaptureFile());

        // One round of every simulated device.
        CSimulatedDriver sim;
        CCaptureDriver driver(&sim, nullptr);
        ASSERT_TRUE(driver.Connect());
        uint32_t list[5] = {4, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
        ASSERT_TRUE(driver.AddCaptureDevices(list));
        ASSERT_TRUE(driver.StartCapture(log));
        ASSERT_TRUE(sim.WaitUntilDrained(20000));
        driver.StopCapture();
        driver.Disconnect();
        ASSERT_GT(log->GetRecordCount(), 50u);

        // A failed bulk IN transfer and a bulk OUT transfer after it.
        uint32_t first = 0, last = 0;
        ASSERT_TRUE(log->GetSequenceRange(first, last));
        RecordBuilder b;
        b.SetSequence(last + 1);
        DeviceSpec d;
        d.deviceObject = SIM_MOUSE_OBJECT;
        const PipeSpec in{0x81, 0x8A0C2000, 0}, out{0x02, 0x8A0C2100, 0};
        Bytes data(24);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
        UrbSpec failed = BulkTransfer(in, 64, data);
        failed.usbdStatus = static_cast<int32_t>(0xC0000004);
        Bytes bytes;
        for (const Bytes& r : {b.UrbIssue(d, BulkTransfer(in, 64), b.NewIrp()), b.UrbCompletion(d, failed, b.Last(), kFailed)})
            bytes.insert(bytes.end(), r.begin(), r.end());
        for (const Bytes& r : {b.UrbIssue(d, BulkTransfer(out, 24, data), b.NewIrp()),
                               b.UrbCompletion(d, BulkTransfer(out, 24), b.Last())})
            bytes.insert(bytes.end(), r.begin(), r.end());
        uint8_t* window = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(log->AcquireWriteWindow(&window, &length), S_OK32);
        ASSERT_GE(length, bytes.size());
        std::memcpy(window, bytes.data(), bytes.size());
        ASSERT_EQ(log->CommitCapturedData(window, static_cast<uint32_t>(bytes.size())), S_OK32);
        Classify();
    }
    static void TearDownTestSuite() {
        log->Close();
        delete log;
        delete target;
        delete filter;
        CPreferences& p = GetPreferences();
        p.SetTempDirectory(savedFolder->c_str());
        p.SetTempFileSize(savedSize);
        delete savedFolder;
        delete scratch;
    }

    static void Classify() {
        std::vector<uint8_t> a(0x10000), c(0x10000);
        for (uint32_t row = 0; row < filter->GetRowCount(); ++row) {
            CRecordPairView pair;
            pair.Init(a.data(), 0x10000, c.data(), 0x10000);
            ASSERT_EQ(filter->ReadRecordData(row, pair), S_OK32);
            const CRecordView& r = pair.record;
            const int i = static_cast<int>(row);
            if (r.type == RECORD_TYPE_START && rows.start < 0) rows.start = i;
            if (r.type != RECORD_TYPE_REQUEST) continue;
            if (IsPnpKind(r.kind) && rows.pnp < 0) rows.pnp = i;
            if (r.kind != KIND_URB_FIRST + 9) continue;
            const uint32_t status = GetRequestStatus(r.buffer, r.copied, log->GetRecordLayout());
            if (IsFailedStatusWrapper(r)) rows.failedWrapper = i;
            if (r.completion && r.dataLength == 13 && !IsFailedStatusWrapper(r) && rows.goodWrapper < 0)
                rows.goodWrapper = i;
            if (r.direction == DIRECTION_IN && !r.massStorage) {
                if (r.completion && status == kFailed) rows.bulkInFailed = i;
                if (r.completion && status == 0 && r.dataLength && rows.bulkInDone < 0) {
                    rows.bulkInDone = i;
                    rows.bulkInIssue = static_cast<int>(filter->FindRowBySequence(
                        GetRequestIssueSequence(r.buffer, r.copied, log->GetRecordLayout())));
                }
            }
            if (r.direction == DIRECTION_OUT && r.dataLength == 24 && !r.completion) rows.bulkOutIssue = i;
            if (r.direction == DIRECTION_OUT && r.completion && rows.bulkOutIssue >= 0) rows.bulkOutDone = i;
        }
    }

    void SetUp() override {
        host = SharedHost(CRect(0, 0, 1200, 700));
        ASSERT_NE(host->m_hWnd, nullptr);
        MakeList();
        ASSERT_TRUE(summary.CreatePane(*host, 11));
        ASSERT_TRUE(raw.Create(*host, ID_RAW_DATA_PANE));
        ASSERT_TRUE(irp.CreatePane(*host, 13));
        ASSERT_TRUE(urb.CreatePane(*host, 14));
        ASSERT_TRUE(analysis.Create(*host));
        summary.MoveWindow(CRect(0, 420, 600, 700));
        raw.MoveWindow(CRect(600, 420, 1200, 700));
        irp.MoveWindow(CRect(1200, 0, 1400, 10));
        urb.MoveWindow(CRect(1200, 10, 1400, 20));
        CAPTURE_LIST_PANES panes;
        panes.summary = &summary;
        panes.irpDetails = &irp;
        panes.urbDetails = &urb;
        panes.rawData = &raw;
        panes.dataAnalysis = &analysis;
        list->SetPanes(panes);
        // A new receiver, attached as the main frame attaches its list: the
        // window first, then the target through the filter, which forgets
        // the notices the last test's list had not taken (one that waited
        // for its count timer would otherwise cover this list's first).
        target->SetWindow(*list);
        filter->SetNotifyTarget(target);
        filter->PostNotify(LOG_NOTIFY_AFTER, 0);
        PumpUntilTaken();
        ASSERT_EQ(list->GetItemCount(), static_cast<int>(filter->GetRowCount()));
    }
    void TearDown() override {
        target->SetWindow(nullptr);
        list->DestroyWindow();
        list.reset();
        analysis.DestroyWindows();
        raw.Destroy();
        summary.DestroyWindow();
        irp.DestroyWindow();
        urb.DestroyWindow();
    }

    void MakeList() {
        list = std::make_unique<CScriptedList>();
        list->SetFilter(filter);
        list->SetLogSource([] { return log; });
        ASSERT_TRUE(list->Create(*host, 10, CRect(0, 0, 1200, 420)));
        list->OnInitialUpdate();
    }

    // Pumps until the list has taken the log's notices. The list follows
    // the log's count at most once an interval: a notice that comes sooner
    // waits for the list's timer, and a test that reads the rows waits with
    // it (bounded, so that a lost notice fails the test instead of hanging).
    void PumpUntilTaken() {
        Pump();
        const DWORD end = ::GetTickCount() + 5000;
        while (filter->IsNotifyPending(LOG_NOTIFY_AFTER) && static_cast<LONG>(end - ::GetTickCount()) > 0) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            Pump();
        }
        EXPECT_FALSE(filter->IsNotifyPending(LOG_NOTIFY_AFTER)) << "the list never took the log's notice";
    }

    // A row made visible and painted whole, so that the last cache hint
    // covers every visible row.
    void Show(int row) {
        list->EnsureRowVisible(row);
        ::InvalidateRect(*list, nullptr, TRUE);
        ::UpdateWindow(*list);
    }
    // A user's click on a row: the row is made visible, then clicked.
    void Click(int row) {
        list->EnsureRowVisible(row);
        ::UpdateWindow(*list);
        RECT rc{};
        ASSERT_TRUE(list->GetItemRect(row, rc, LVIR_BOUNDS));
        const LPARAM at = MAKELPARAM(rc.left + 20, (rc.top + rc.bottom) / 2);
        list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        list->SendMessage(WM_LBUTTONUP, 0, at);
        Pump();
        ASSERT_EQ(list->GetSelectedRow(), row);
    }
    // The text the list control shows in a cell (it asks the list, which
    // answers from its cache).
    std::string CellText(int row, int column) {
        wchar_t text[COLUMN_TEXT_SIZE] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = COLUMN_TEXT_SIZE;
        list->SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return WideToUtf8(reinterpret_cast<const char16_t*>(text));
    }
    std::wstring SummaryText() {
        GETTEXTLENGTHEX gtl{GTL_DEFAULT, 1200};
        const LRESULT n = summary.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        GETTEXTEX gt{};
        gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        gt.codepage = 1200;
        text.resize(static_cast<size_t>(
            summary.SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }
    int TreeRows(CTreeList& tree) {
        int n = 0;
        for (HTREEITEM i = tree.GetTreeCtrl().GetRootItem(); i; i = tree.GetTreeCtrl().GetNextSiblingItem(i)) ++n;
        return n;
    }
    // The record of a row as the list's panes get it.
    Bytes RecordData(int row) {
        std::vector<uint8_t> a(0x10000), c(0x10000);
        CRecordPairView pair;
        pair.Init(a.data(), 0x10000, c.data(), 0x10000);
        EXPECT_EQ(filter->ReadRecordData(static_cast<uint32_t>(row), pair), S_OK32);
        return Bytes(pair.record.data, pair.record.data + pair.record.dataLength);
    }
    void ExpectSummaryOf(int row) {
        CNames names(*log);
        const SummaryDocument doc = SummarizeLogRecord(*log, filter->RowToRecord(static_cast<uint32_t>(row)), &names);
        const std::u16string expected = Utf8ToWide(RtfToText(doc.rtf));
        const std::wstring shown = SummaryText();
        size_t lines = 0;
        std::u16string line;
        for (char16_t ch : expected + u"\n") {
            if (ch != u'\n') {
                line.push_back(ch);
                continue;
            }
            if (!line.empty()) {
                ++lines;
                EXPECT_NE(shown.find(std::wstring(line.begin(), line.end())), std::wstring::npos)
                    << WideToUtf8(line);
            }
            line.clear();
        }
        EXPECT_GT(lines, 1u);
    }

    static fixtures::ScratchFolder* scratch;
    static std::wstring* savedFolder;
    static uint32_t savedSize;
    static CFilter* filter;
    static CWindowMessageTarget* target;
    static CDropAll dropAll;
    static CCaptureLog* log;
    static Rows rows;

    brx::testing::TestRegistry registry;
    CTestHostWnd* host = nullptr;
    std::unique_ptr<CScriptedList> list;
    CRequestSummary summary;
    CRawData raw;
    CIrpDetails irp;
    CUrbDetails urb;
    CDataAnalysis analysis;
};

fixtures::ScratchFolder* CaptureListTest::scratch = nullptr;
std::wstring* CaptureListTest::savedFolder = nullptr;
uint32_t CaptureListTest::savedSize = 0;
CFilter* CaptureListTest::filter = nullptr;
CWindowMessageTarget* CaptureListTest::target = nullptr;
CDropAll CaptureListTest::dropAll;
CCaptureLog* CaptureListTest::log = nullptr;
Rows CaptureListTest::rows;

TEST_F(CaptureListTest, TheCaptureFillsTheListThroughTheLogsNotifications) {
    ASSERT_GE(rows.start, 0);
    EXPECT_EQ(list->GetItemCount(), static_cast<int>(log->GetRecordCount()));
    ASSERT_EQ(list->GetHeader().GetItemCount(), 15);
    wchar_t text[64] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = text;
    item.cchTextMax = 64;
    list->GetHeader().GetItem(14, item);
    EXPECT_STREQ(text, L"IRP Status (URB Status)");
    EXPECT_EQ(item.cxy, 120);
    EXPECT_EQ(list->GetStyle() & 0x100D, 0x100Du);
    EXPECT_EQ(list->GetExtendedStyle() & 0x31, 0x31u);

    // What the control shows of visible rows comes from the column texts.
    ::UpdateWindow(*list);
    EXPECT_EQ(CellText(rows.start, 0), "START");
    EXPECT_EQ(CellText(rows.start, 1), "0001");
    EXPECT_EQ(CellText(rows.start, 3), "");
    list->EnsureRowVisible(rows.bulkInDone);
    ::UpdateWindow(*list);
    EXPECT_EQ(CellText(rows.bulkInDone, 0), "URB");
    EXPECT_EQ(CellText(rows.bulkInDone, 5), "Bulk or Interrupt Transfer");
    EXPECT_EQ(CellText(rows.bulkInDone, 8), "in");
    EXPECT_EQ(CellText(rows.bulkInDone, 9), "01:00:81");
    EXPECT_EQ(CellText(rows.bulkInDone, 14), "Success (Success)");
    EXPECT_NE(CellText(rows.bulkInDone, 7), "");
    EXPECT_NE(CellText(rows.bulkInDone, 11), "") << "device name from the driver's name list";
    // The cache holds the rows of the last hint only.
    EXPECT_EQ(list->GetCache().GetRowBkColor(rows.start), kNoColor);
}

TEST_F(CaptureListTest, AppendedRecordsKeepTheSelectionAndTheScrollPosition) {
    const int count = list->GetItemCount();
    const int perPage = static_cast<int>(list->SendMessage(LVM_GETCOUNTPERPAGE));
    ASSERT_GT(count, 3 * perPage) << "the log must be longer than three pages";
    list->SelectRow(perPage / 2);
    Pump();
    ASSERT_EQ(list->GetSelectedRow(), perPage / 2);
    // The user scrolls away from the selected row, to the middle of the log.
    for (int page = 0; page < 2; ++page) list->SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    Pump();
    const int top = list->GetTopIndex();
    ASSERT_GT(top, perPage);

    filter->PostNotify(LOG_NOTIFY_AFTER, 0);
    PumpUntilTaken();
    EXPECT_EQ(list->GetItemCount(), count);
    EXPECT_EQ(list->GetSelectedRow(), perPage / 2);
    EXPECT_EQ(list->GetNextItem(-1, LVNI_FOCUSED), perPage / 2);
    EXPECT_EQ(list->GetTopIndex(), top);
}

TEST_F(CaptureListTest, RowColours) {
    ASSERT_GE(rows.failedWrapper, 0) << "the simulated stick's failing command";
    ASSERT_GE(rows.bulkInFailed, 0);
    ASSERT_GE(rows.pnp, 0);
    struct Case {
        int row;
        LIST_COLOR text;
    } cases[] = {{rows.bulkInFailed, kErrorTextColor},
                 {rows.failedWrapper, kErrorTextColor},
                 {rows.goodWrapper, CCaptureList::GetWindowTextColor()},
                 {rows.bulkInDone, CCaptureList::GetWindowTextColor()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Show(c.row);
        EXPECT_EQ(list->GetCache().GetRowTextColor(c.row), c.text);
        // What custom draw makes of it.
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(c.row);
        EXPECT_EQ(list->OnCustomDraw(cd), CDRF_NEWFONT);
        EXPECT_EQ(cd.clrText, c.text);
    }
    // The kind colour on the screen: a PnP row is light yellow.
    Show(rows.pnp);
    RECT rc{};
    ASSERT_TRUE(list->GetItemRect(rows.pnp, rc, LVIR_BOUNDS));
    EXPECT_EQ(list->GetCache().GetRowBkColor(rows.pnp), RGB(255, 255, 224));
    HDC dc = ::GetDC(*list);
    const COLORREF pixel = ::GetPixel(dc, rc.left + 600, (rc.top + rc.bottom) / 2);
    ::ReleaseDC(*list, dc);
    EXPECT_EQ(pixel, RGB(255, 255, 224));
}

TEST_F(CaptureListTest, CustomDrawFollowsTheColouringSwitches) {
    Show(rows.pnp);
    const LIST_COLOR window = CCaptureList::GetWindowColor();
    auto draw = [&](DWORD stage, int row, int subItem, LRESULT& result) {
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.dwDrawStage = stage;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        cd.iSubItem = subItem;
        result = list->OnCustomDraw(cd);
        return cd.clrTextBk;
    };
    LRESULT r = 0;
    NMLVCUSTOMDRAW pre{};
    pre.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(list->OnCustomDraw(pre), CDRF_NOTIFYITEMDRAW);
    // Whole rows tinted.
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, rows.pnp, 0, r), RGB(255, 255, 224));
    // Only the "Type" cell tinted.
    list->m_colorizeBkEntireRow = 0;
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, rows.pnp, 0, r), window);
    EXPECT_EQ(r, CDRF_NEWFONT | CDRF_NOTIFYSUBITEMDRAW);
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT | CDDS_SUBITEM, rows.pnp, 0, r), RGB(255, 255, 224));
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT | CDDS_SUBITEM, rows.pnp, 5, r), window);
    // No kind colours: odd rows shaded.
    list->m_colorizeBk = 0;
    const int odd = rows.pnp | 1, even = rows.pnp & ~1;
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, odd, 0, r), list->GetOddRowShade());
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, even, 0, r), window);
    EXPECT_EQ(draw(CDDS_POSTPAINT, even, 0, r), 0u);
    EXPECT_EQ(r, 0);
}

TEST_F(CaptureListTest, ColumnStateRoundTripAndDamagedState) {
    CHeaderCtrlEx& header = list->GetHeader();
    header.SetColumnWidth(5, 222);
    ASSERT_TRUE(header.ShowColumn(12, FALSE));
    int order[15];
    ASSERT_TRUE(header.GetOrderArray(order, 15));
    std::swap(order[1], order[2]);
    header.SetOrderArray(order, 15);
    ASSERT_TRUE(header.GetOrderArray(order, 15));
    list->DestroyWindow();  // saves the state
    MakeList();
    CHeaderCtrlEx& again = list->GetHeader();
    int restored[15];
    ASSERT_TRUE(again.GetOrderArray(restored, 15));
    EXPECT_TRUE(std::equal(order, order + 15, restored));
    EXPECT_EQ(again.GetColumnWidth(5), 222);
    EXPECT_FALSE(again.IsColumnVisible(12));
    EXPECT_TRUE(again.IsColumnVisible(11));

    // A value of the wrong size, and one whose order repeats a column.
    std::vector<uint8_t> bytes(4 + 12 * 15, 0);
    bytes[0] = 15;
    for (const bool repeat : {false, true}) {
        SCOPED_TRACE(repeat);
        if (repeat) {
            ASSERT_TRUE(WriteAppRegBinary(L"CaptureList", L"ColumnState", bytes.data(), static_cast<uint32_t>(bytes.size())));
        } else {
            ASSERT_TRUE(WriteAppRegBinary(L"CaptureList", L"ColumnState", bytes.data(), 100));
        }
        list->OnInitialUpdate();  // not again in the product; here it reloads the state
        list->DestroyWindow();
        ASSERT_TRUE(WriteAppRegBinary(L"CaptureList", L"ColumnState", bytes.data(),
                                      repeat ? static_cast<uint32_t>(bytes.size()) : 100u));
        MakeList();
        CHeaderCtrlEx& reset = list->GetHeader();
        int defaults[15];
        ASSERT_TRUE(reset.GetOrderArray(defaults, 15));
        for (int i = 0; i < 15; ++i) {
            EXPECT_EQ(defaults[i], i);
            EXPECT_EQ(reset.GetColumnWidth(i), CAPTURE_LIST_COLUMNS[i].width);
            EXPECT_TRUE(reset.IsColumnVisible(i));
        }
    }
}

TEST_F(CaptureListTest, TheTypeColumnCannotBeHidden) {
    CHeaderCtrlEx& header = list->GetHeader();
    RECT rc{};
    header.GetItemRect(3, rc);
    const LPARAM at = MAKELPARAM(rc.left + 5, (rc.top + rc.bottom) / 2);
    // A right click on the header: the column menu.
    list->answer = 1;  // "Type"
    header.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
    header.SendMessage(WM_RBUTTONUP, 0, at);
    Pump();
    ASSERT_EQ(list->menus, 1);
    ASSERT_EQ(list->shown.size(), 17u);
    EXPECT_EQ(list->shown[0].text, L"Type");
    EXPECT_TRUE(list->shown[0].state & MF_CHECKED);
    EXPECT_TRUE(list->shown[0].state & MF_GRAYED);
    EXPECT_FALSE(list->shown[5].state & MF_GRAYED);
    EXPECT_EQ(list->shown[16].text, L"Reset to Default");
    EXPECT_EQ(list->shown[16].id, 17u);
    EXPECT_TRUE(header.IsColumnVisible(0));
    // Another column hides and shows again; "Reset to Default" brings all back.
    list->answer = 6;
    NMHDR nm{header.m_hWnd, static_cast<UINT_PTR>(header.GetDlgCtrlID()), static_cast<UINT>(NM_RCLICK)};
    list->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    EXPECT_FALSE(header.IsColumnVisible(5));
    EXPECT_TRUE(list->shown[5].state & MF_CHECKED) << "menu state before the change";
    list->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    EXPECT_TRUE(header.IsColumnVisible(5));
    list->answer = 6;
    list->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    list->answer = 17;
    list->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    EXPECT_TRUE(header.IsColumnVisible(5));
    EXPECT_EQ(header.GetColumnWidth(5), 160);
}

TEST_F(CaptureListTest, DividerDoubleClickOfAHiddenColumnSizesTheVisibleOneBeforeIt) {
    Show(rows.bulkInDone);
    CHeaderCtrlEx& header = list->GetHeader();
    ASSERT_TRUE(header.ShowColumn(5, FALSE));  // moves behind the visible columns
    int order[15];
    ASSERT_TRUE(header.GetOrderArray(order, 15));
    const int before = order[13];              // the last visible column
    ASSERT_EQ(order[14], 5);
    header.SetColumnWidth(before, 4);
    NMHEADERW nm{};
    nm.hdr = {header.m_hWnd, static_cast<UINT_PTR>(header.GetDlgCtrlID()), static_cast<UINT>(HDN_DIVIDERDBLCLICKW)};
    nm.iItem = 5;
    EXPECT_EQ(list->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)), 1);
    EXPECT_GT(header.GetColumnWidth(before), 4);
    EXPECT_EQ(header.GetColumnWidth(5), 0) << "the hidden column stays hidden";
}

TEST_F(CaptureListTest, SelectingAMarkerShowsOnlyItsSummary) {
    Click(rows.bulkInDone);
    EXPECT_GT(TreeRows(irp), 0);
    Click(rows.start);
    EXPECT_NE(SummaryText().find(L"Start"), std::wstring::npos);
    EXPECT_TRUE(summary.PictureShown());
    EXPECT_TRUE(raw.GetData().empty());
    EXPECT_EQ(TreeRows(irp), 0);
    EXPECT_EQ(TreeRows(urb), 0);
    EXPECT_EQ(TreeRows(analysis.GetTreeList()), 0);
}

TEST_F(CaptureListTest, TheSummaryAndRawDataOfTheSelectedPair) {
    ASSERT_GE(rows.bulkInIssue, 0);
    ASSERT_GE(rows.bulkOutDone, 0);
    struct Case {
        const char* what;
        int row;
        bool data;
    } cases[] = {
        {"bulk IN issue", rows.bulkInIssue, false}, {"bulk IN completion", rows.bulkInDone, true},
        {"failed bulk IN", rows.bulkInFailed, false}, {"bulk OUT issue", rows.bulkOutIssue, true},
        {"bulk OUT completion", rows.bulkOutDone, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Click(c.row);
        ExpectSummaryOf(c.row);
        EXPECT_TRUE(summary.PictureShown()) << "the status picture in the rich edit";
        EXPECT_EQ(raw.GetData(), c.data ? RecordData(c.row) : Bytes{});
        if (c.data) {
            EXPECT_FALSE(raw.GetData().empty());
        }
        EXPECT_GT(TreeRows(urb), 0);
        EXPECT_GT(TreeRows(irp), 0);
    }
    // RefreshSelection shows the selected record again.
    raw.Clear();
    list->RefreshSelection();
    EXPECT_EQ(raw.GetData(), Bytes{});
    Click(rows.bulkInDone);
    raw.Clear();
    list->RefreshSelection();
    EXPECT_EQ(raw.GetData(), RecordData(rows.bulkInDone));
}

TEST_F(CaptureListTest, ReferenceAndContextMenu) {
    Click(rows.bulkInDone);
    RECT rc{};
    list->GetItemRect(rows.bulkInDone, rc, LVIR_BOUNDS);
    POINT pt{rc.left + 30, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(*list, &pt);
    list->answer = 0;
    list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(pt.x, pt.y));
    ASSERT_EQ(list->menus, 1);
    bool issueText = false, referenceMenu = false;
    for (const auto& e : list->shown) {
        if (e.id == ID_LIST_GO_TO_CORRESPONDING) issueText = e.text == L"&Go to Request Issue\tCtrl+->" && !(e.state & MF_GRAYED);
        if (e.text == L"Elapsed Time &Reference") referenceMenu = !(e.state & MF_GRAYED);
    }
    EXPECT_TRUE(issueText);
    EXPECT_TRUE(referenceMenu);
    // A right click on the header is the header's: the list shows no menu.
    RECT header{};
    ::GetWindowRect(list->GetHeader(), &header);
    list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd),
                      MAKELPARAM(header.left + 40, (header.top + header.bottom) / 2));
    EXPECT_EQ(list->menus, 1);
    // The keyboard's menu is the list's, even though its point (-1, -1) lies
    // nowhere: it opens at the selected row's image...
    list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_EQ(list->menus, 2);
    RECT icon{};
    list->GetItemRect(rows.bulkInDone, icon, LVIR_ICON);
    POINT row{icon.left, (icon.top + icon.bottom) / 2};
    ::ClientToScreen(*list, &row);
    EXPECT_EQ(list->at.y, row.y);
    EXPECT_GE(list->at.x, row.x);
    // ...and, with no row selected, under the header's first column.
    list->SetItemState(rows.bulkInDone, 0, LVIS_SELECTED);
    ASSERT_LT(list->GetSelectedRow(), 0);
    list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_EQ(list->menus, 3);
    EXPECT_EQ(list->at.y, header.bottom);
    EXPECT_EQ(list->at.x, header.left);
    list->SetReference(123, 4);
    EXPECT_TRUE(list->HasReference());
    EXPECT_EQ(list->GetReferenceSequence(), 4u);
    list->OnLogNotify(LOG_NOTIFY_NEW);
    EXPECT_FALSE(list->HasReference());
    EXPECT_EQ(list->GetReferenceStamp(), 0);
}

TEST_F(CaptureListTest, ElapsedTimesFollowTheReference) {
    std::vector<uint8_t> a(0x10000), c(0x10000);
    CRecordPairView pair;
    pair.Init(a.data(), 0x10000, c.data(), 0x10000);
    ASSERT_EQ(filter->ReadRecordData(2, pair), S_OK32);
    const int64_t second = GetRecordCounter(pair.record.buffer, pair.record.copied);
    // Without a reference the log's first record (the start marker) is the origin.
    Show(0);
    char16_t text[COLUMN_TEXT_SIZE] = u"";
    FormatTimeValue(second, log->GetFirstCounterStamp(), log->GetCounterFrequency(), ELAPSED_FORMAT_SCALED, text,
                    COLUMN_TEXT_SIZE);
    EXPECT_EQ(CellText(2, 3), WideToUtf8(text));
    EXPECT_NE(CellText(2, 3), "0");
    // The second request row as the reference: the first shows a negative time.
    list->SetReference(second, 3);
    Show(0);
    EXPECT_EQ(CellText(2, 3), "0");
    EXPECT_EQ(CellText(1, 3).substr(0, 1), "-");
}

// Selection by the keyboard and the mouse: one row selected and focused,
// scrolled into view, its record in the panes; a key or click that selects
// nothing new keeps the row and leaves the panes alone.
TEST_F(CaptureListTest, KeysAndClicksMoveTheOneSelectedRow) {
    const int count = list->GetItemCount();
    const int perPage = static_cast<int>(list->SendMessage(LVM_GETCOUNTPERPAGE));
    ASSERT_GT(count, perPage + 2);
    auto top = [&] { return static_cast<int>(list->SendMessage(LVM_GETTOPINDEX)); };
    auto expectSelected = [&](int row, bool road) {
        EXPECT_EQ(list->GetSelectedRow(), row);
        EXPECT_EQ(list->GetSelectedCount(), 1u);
        EXPECT_EQ(list->GetNextItem(-1, LVNI_FOCUSED), row);
        EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), row);
        EXPECT_TRUE(row >= top() && row < top() + perPage) << "row " << row << ", top " << top();
        if (road && row == rows.start) {
            EXPECT_NE(SummaryText().find(L"Start"), std::wstring::npos);
        } else if (road) {
            ExpectSummaryOf(row);
        } else {
            EXPECT_TRUE(SummaryText().empty()) << "the panes were filled again";
        }
    };
    Click(rows.bulkInDone);
    ::SetFocus(*list);
    // Where each key goes from the focused row (Page Down/Up: to the bottom
    // or top of the page, then a page on).
    auto target = [&](UINT key, int focused) {
        switch (key) {
        case VK_DOWN: return std::min(focused + 1, count - 1);
        case VK_UP: return std::max(focused - 1, 0);
        case VK_NEXT: {
            const int last = top() + perPage - 1;
            return std::min(focused == last ? focused + perPage - 1 : last, count - 1);
        }
        case VK_PRIOR: return std::max(focused == top() ? focused - perPage + 1 : top(), 0);
        case VK_HOME: return 0;
        case VK_END: return count - 1;
        }
        return -1;
    };
    const UINT keys[] = {VK_DOWN, VK_UP, VK_NEXT, VK_NEXT, VK_PRIOR, VK_PRIOR, VK_END,
                         VK_END, VK_DOWN, VK_NEXT, VK_HOME, VK_UP, VK_PRIOR, VK_DOWN};
    for (UINT key : keys) {
        const int from = list->GetSelectedRow();
        const int to = target(key, from);
        SCOPED_TRACE(::testing::Message() << "key " << key << " from row " << from << " to " << to);
        summary.Clear();
        list->SendMessage(WM_KEYDOWN, key, 0);
        list->SendMessage(WM_KEYUP, key, 0);
        Pump();
        expectSelected(to, to != from);
    }
    // Clicks: another row at the right of its line, the selected row again,
    // a right click on another row, and a right click with Shift, which only
    // moves the focus.
    auto rowPoint = [&](int row, bool right) {
        RECT rc{};
        EXPECT_TRUE(list->GetItemRect(row, rc, LVIR_BOUNDS));
        return MAKELPARAM(right ? rc.right - 30 : rc.left + 20, (rc.top + rc.bottom) / 2);
    };
    Show(rows.bulkInIssue);
    summary.Clear();
    LPARAM at = rowPoint(rows.bulkInIssue, true);
    list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    list->SendMessage(WM_LBUTTONUP, 0, at);
    Pump();
    expectSelected(rows.bulkInIssue, true);
    summary.Clear();
    at = rowPoint(rows.bulkInIssue, false);
    list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    list->SendMessage(WM_LBUTTONUP, 0, at);
    Pump();
    expectSelected(rows.bulkInIssue, false);
    const int other = rows.bulkInIssue - 2;
    list->answer = 0;
    const int menus = list->menus;
    summary.Clear();
    at = rowPoint(other, false);
    list->PostMessage(WM_RBUTTONUP, 0, at);  // ends the control's wait for a drag
    list->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
    Pump();
    expectSelected(other, true);
    EXPECT_EQ(list->menus, menus + 1) << "the row menu of the right click";
    at = rowPoint(other + 1, false);
    list->PostMessage(WM_RBUTTONUP, MK_SHIFT, at);
    list->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, at);
    Pump();
    EXPECT_EQ(list->GetSelectedRow(), other);
    EXPECT_EQ(list->GetSelectedCount(), 1u);
    EXPECT_EQ(list->GetNextItem(-1, LVNI_FOCUSED), other + 1);
    // From the program: SelectRow (the control scrolls to the focused row),
    // the control's own message as the main frame sends it, and a row the
    // control refuses, which leaves the selection.
    summary.Clear();
    list->SelectRow(count - 2);
    Pump();
    expectSelected(count - 2, true);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    summary.Clear();
    list->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(count - 5), reinterpret_cast<LPARAM>(&item));
    Pump();
    expectSelected(count - 5, true);
    summary.Clear();
    EXPECT_FALSE(list->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(count + 3), reinterpret_cast<LPARAM>(&item)));
    Pump();
    expectSelected(count - 5, false);
    SaveScreenshot(::GetParent(*list), "capture_list_selection.bmp");
}

// Last: clears the shared log.
// The header's pixels on the screen against the header's own drawing of
// itself, where the list shows it (the header is as wide as the columns and
// moves left as the list scrolls sideways): the count of pixels that differ.
int HeaderPixelsOff(HWND header) {
    FlushToScreen();
    RECT rc{};
    ::GetClientRect(header, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(header, &origin);
    RECT list{};
    ::GetClientRect(::GetParent(header), &list);
    ::MapWindowPoints(::GetParent(header), header, reinterpret_cast<POINT*>(&list), 2);
    RECT seen{};
    if (!::IntersectRect(&seen, &rc, &list)) return -1;
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    void* shownBits = nullptr;
    void* ownBits = nullptr;
    HBITMAP shown = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &shownBits, nullptr, 0);
    HBITMAP own = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &ownBits, nullptr, 0);
    int off = -1;
    if (shown && own && shownBits && ownBits) {
        HGDIOBJ old = ::SelectObject(memory, shown);
        ::BitBlt(memory, seen.left, seen.top, seen.right - seen.left, seen.bottom - seen.top, screen,
                 origin.x + seen.left, origin.y + seen.top, SRCCOPY);
        ::SelectObject(memory, own);
        ::SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        ::SelectObject(memory, old);
        ::GdiFlush();
        off = 0;
        const auto* a = static_cast<const uint32_t*>(shownBits);
        const auto* b = static_cast<const uint32_t*>(ownBits);
        for (LONG y = seen.top; y < seen.bottom; ++y)
            for (LONG x = seen.left; x < seen.right; ++x) {
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(rc.right) + static_cast<size_t>(x);
                off += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
            }
    }
    if (shown) ::DeleteObject(shown);
    if (own) ::DeleteObject(own);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return off;
}

TEST_F(CaptureListTest, TheHeaderDrawsRightWhileTheListScrollsAndColumnsChange) {
    CHeaderCtrlEx& header = list->GetHeader();
    Show(0);
    Pump();
    EXPECT_EQ(HeaderPixelsOff(header), 0) << "at the top";
    // Sideways: the header moves with the columns.
    list->SendMessage(WM_HSCROLL, SB_PAGERIGHT, 0);
    ::UpdateWindow(*list);
    Pump();
    ASSERT_GT(::GetScrollPos(*list, SB_HORZ), 0);
    EXPECT_EQ(HeaderPixelsOff(header), 0) << "scrolled sideways";
    SaveScreenshot(::GetParent(*list), "capture_list_scrolled.bmp");
    // A column wider, then a page down and back to the left.
    list->SendMessage(LVM_SETCOLUMNWIDTH, 5, 260);
    ::UpdateWindow(*list);
    Pump();
    EXPECT_EQ(HeaderPixelsOff(header), 0) << "a column wider";
    list->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    ::UpdateWindow(*list);
    Pump();
    EXPECT_EQ(HeaderPixelsOff(header), 0) << "a page down";
    list->SendMessage(WM_HSCROLL, SB_LEFT, 0);
    ::UpdateWindow(*list);
    Pump();
    EXPECT_EQ(HeaderPixelsOff(header), 0) << "back to the left";
    list->SendMessage(LVM_SETCOLUMNWIDTH, 5, 160);
}

TEST_F(CaptureListTest, ZzClearingTheLogEmptiesEveryPane) {
    Click(rows.bulkInDone);
    ASSERT_FALSE(raw.GetData().empty());
    ASSERT_GT(TreeRows(urb), 0);
    SaveScreenshot(::GetParent(*list), "capture_list.bmp");
    log->Clear();  // posts code 5 through the filter
    Pump();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_TRUE(SummaryText().empty());
    EXPECT_TRUE(raw.GetData().empty());
    EXPECT_EQ(TreeRows(irp), 0);
    EXPECT_EQ(TreeRows(urb), 0);
}

} // namespace

// The road test: the whole program on the simulated machine (brindlex-sim.exe)
// started as a process of its own and used as a person uses it, through its
// menus, keys, clicks and dialogs, one step after the other on the same
// running program, with a picture of the screen after each step (in the test
// output folder, road/).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "app/res/resource.h"
#include "app/res/devtree_ids.h"
#include "app/res/dialogs_ids.h"
#include "tests/app/road/win/RoadDriver.h"

namespace brx::road {
namespace {

std::wstring OutputPath(const std::wstring& name) {
    return Widen(std::string(BRX_TEST_OUTPUT_DIR)) + L"/road/" + name;
}

// A dialog shown at start-up (the tip of the day) is closed as a user
// closes it.
std::function<void()> CloseTipOfTheDay(const Program& p) {
    return [&p] {
        if (HWND tip = FindTopWindow(p.pid(), L"Tip of the Day")) {
            ScreenShot("01_tip_of_the_day.bmp");
            PressButton(tip, IDOK);
        }
    };
}

// The main window brought to the front so that the keys reach it.
void Activate(HWND w) {
    ::SetForegroundWindow(w);
    WaitFor([&] { return ::GetForegroundWindow() == w; }, 3000);
}

// Lets the program take in what it was sent: it has no input left waiting.
void Settle(const Program& p, DWORD extra = 100) {
    ::WaitForInputIdle(p.process.hProcess, 5000);
    ::Sleep(extra);
}

// A row of the capture list as it shows: its type, sequence and request.
struct Row {
    std::wstring type, sequence, request, device;
};

// A column of the list by its title; -1 when none.
int ListColumn(HWND list, const std::wstring& title) {
    for (int i = 0, n = ListColumnCount(list); i < n; ++i)
        if (ListColumnTitle(list, i) == title) return i;
    return -1;
}

// The list's rows as a user reads them, a page at a time: the list keeps
// the texts of the rows it shows.
std::vector<Row> ReadRows(HWND list) {
    std::vector<Row> rows;
    const int count = ListCount(list);
    const int deviceColumn = ListColumn(list, L"Device Name");
    const int page = std::max(1, static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)));
    for (int first = 0; first < count; first += page) {
        const int last = std::min(count, first + page) - 1;
        ::SendMessageW(list, LVM_ENSUREVISIBLE, last, FALSE);
        ::SendMessageW(list, LVM_ENSUREVISIBLE, first, FALSE);
        ::UpdateWindow(list);
        for (int row = first; row <= last; ++row) {
            auto read = [&] {
                return Row{ListText(list, row, 0), ListText(list, row, 1), ListText(list, row, 5),
                           deviceColumn >= 0 ? ListText(list, row, deviceColumn) : std::wstring()};
            };
            Row r = read();
            if (r.sequence.empty()) { // the page was not drawn yet
                ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                WaitFor([&] { return !ListText(list, row, 1).empty(); }, 2000);
                r = read();
            }
            rows.push_back(r);
        }
    }
    ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    return rows;
}

class Road : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CreateDirectoryW(OutputPath(L"").c_str(), nullptr); }
    // The program's settings go with it: window tests that share this test
    // slot share its registry.
    static void TearDownTestSuite() {
        EndProgram(app);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brindlex");
    }

    static HWND Main() { return app.main; }
    static HWND Pane(int id, const wchar_t* className = nullptr) { return DescendantById(app.main, id, className); }
    static HWND List() { return Pane(AFX_IDW_PANE_FIRST_ID); }
    static HWND DeviceTree() { return Pane(IDC_DEVICE_TREE); }
    static HWND ToolBar() { return DescendantByClass(app.main, TOOLBARCLASSNAMEW); }
    static bool ButtonChecked(int command) {
        return ::SendMessageW(ToolBar(), TB_ISBUTTONCHECKED, command, 0) != 0;
    }
    static bool ButtonEnabled(int command) {
        return ::SendMessageW(ToolBar(), TB_ISBUTTONENABLED, command, 0) != 0;
    }
    static constexpr int AFX_IDW_PANE_FIRST_ID = 0xE900;

    static Program app;
    static std::vector<Row> rows; // the list after the capture
};
Program Road::app;
std::vector<Row> Road::rows;

TEST_F(Road, Step01_StartsWithCleanSettings) {
    // The program keeps its settings under the user's key of its name.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brindlex");
    HKEY key = nullptr;
    ASSERT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Brindlex", 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_TRUE(StartProgram(app, L"", OutputPath(L"main.drawn"), CloseTipOfTheDay(app)));
    EXPECT_TRUE(::IsWindowVisible(Main()));
    Activate(Main());
    Settle(app);
    EXPECT_NE(List(), nullptr) << "the capture list";
    EXPECT_NE(DeviceTree(), nullptr) << "the device tree";
    EXPECT_NE(ToolBar(), nullptr);
    EXPECT_EQ(ListCount(List()), 0) << "a new log";
    EXPECT_TRUE(ScreenShot("01_started.bmp"));
}

TEST_F(Road, Step02_ChoosesDevicesInTheTree) {
    ASSERT_NE(Main(), nullptr);
    HWND tree = DeviceTree();
    ASSERT_NE(tree, nullptr);
    // The devices that can be captured show an empty box (state 1).
    std::vector<std::pair<HTREEITEM, std::wstring>> boxes;
    WalkTree(tree, [&](HTREEITEM item, const std::wstring& text, int depth) {
        std::printf("%*s%s [%d]\n", depth * 2, "", Narrow(text).c_str(), TreeCheckState(tree, item));
        if (TreeCheckState(tree, item) == 1 && text.find(L"Hub") == std::wstring::npos) boxes.emplace_back(item, text);
    });
    ASSERT_GE(boxes.size(), 4u) << "the stick, the mouse, the keyboard and the serial device";
    Activate(Main());
    for (const auto& [item, text] : boxes) {
        SCOPED_TRACE(Narrow(text));
        // A click on the name selects the device; Space checks its box (Wine's
        // tree reports no hit on the box itself).
        ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        ClickCentre(tree, TreeItemRect(tree, item));
        EXPECT_TRUE(WaitFor([&] { return TreeNext(tree, nullptr, TVGN_CARET) == item; }, 3000)) << "selected";
        Settle(app, 0);
        Key(VK_SPACE);
        EXPECT_TRUE(WaitFor([&] { return TreeCheckState(tree, item) == 2; }, 3000)) << "checked";
    }
    EXPECT_TRUE(ButtonEnabled(ID_CAPTURE_START));
    EXPECT_TRUE(ScreenShot("02_devices_checked.bmp"));
}

RECT ToolButtonRect(HWND toolbar, int command) {
    RemoteMemory memory(toolbar, sizeof(RECT));
    RECT rc{};
    ::SendMessageW(toolbar, TB_GETRECT, command, memory.At());
    memory.Read(&rc, sizeof rc);
    return rc;
}

// A combo box's choice as the user makes it: the selection, and the
// notification the box sends its dialog.
void ChooseInCombo(HWND dialog, int id, int index) {
    HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::wstring ComboText(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }

bool Checked(HWND dialog, int id) { return ::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

TEST_F(Road, Step03_CaptureSettingsFromTheMenu) {
    ASSERT_NE(Main(), nullptr);
    Activate(Main());
    MenuKeys(L"cc"); // Capture > Capture Settings...
    HWND dialog = WaitForTopWindow(app.pid(), L"Capture Settings");
    ASSERT_NE(dialog, nullptr) << "Alt+C, C opened the dialog";
    Settle(app);
    EXPECT_GT(TreeCount(::GetDlgItem(dialog, IDC_CS_REQUEST_TREE)), 0) << "the request tree";
    const bool body = Checked(dialog, IDC_CS_IRP_AND_SL_BODY);
    const int limits = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_CS_SIZE_LIMIT, CB_GETCOUNT, 0, 0));
    ASSERT_GE(limits, 2);
    const int limit = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_CS_SIZE_LIMIT, CB_GETCURSEL, 0, 0));
    // A larger transfer buffer kept (64K), so that the records keep their
    // data.
    const int newLimit = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_CS_SIZE_LIMIT, CB_FINDSTRINGEXACT,
                                                                static_cast<WPARAM>(-1),
                                                                reinterpret_cast<LPARAM>(L"64K")));
    ASSERT_GE(newLimit, 0);
    EXPECT_NE(newLimit, limit);
    ChooseInCombo(dialog, IDC_CS_SIZE_LIMIT, newLimit);
    const std::wstring limitText = ComboText(dialog, IDC_CS_SIZE_LIMIT);
    PressButton(dialog, IDC_CS_IRP_AND_SL_BODY);
    EXPECT_NE(Checked(dialog, IDC_CS_IRP_AND_SL_BODY), body);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_CS_APPLY))) << "a change to apply";
    EXPECT_TRUE(ScreenShot("03_capture_settings_changed.bmp"));
    PostPressButton(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "OK closed the dialog";

    // Opened again from the toolbar's button, it shows what was chosen.
    HWND toolbar = ToolBar();
    ClickCentre(toolbar, ToolButtonRect(toolbar, ID_CAPTURE_SETTINGS));
    dialog = WaitForTopWindow(app.pid(), L"Capture Settings");
    ASSERT_NE(dialog, nullptr) << "the toolbar button opened the dialog";
    Settle(app);
    EXPECT_EQ(ComboText(dialog, IDC_CS_SIZE_LIMIT), limitText);
    EXPECT_NE(Checked(dialog, IDC_CS_IRP_AND_SL_BODY), body);
    EXPECT_TRUE(ScreenShot("03_capture_settings_reopened.bmp"));
    PostPressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
}

TEST_F(Road, Step04_CapturesAndStops) {
    ASSERT_NE(Main(), nullptr);
    Activate(Main());
    HWND toolbar = ToolBar();
    ASSERT_TRUE(ButtonEnabled(ID_CAPTURE_START));
    ClickCentre(toolbar, ToolButtonRect(toolbar, ID_CAPTURE_START));
    // Start and Stop are a pair of radio buttons: the one pressed tells the state.
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_CAPTURE_START) && !ButtonChecked(ID_CAPTURE_STOP); }))
        << "capturing";
    EXPECT_TRUE(WaitFor([&] { return ListCount(List()) >= 1000; }, 30000)) << ListCount(List());
    EXPECT_TRUE(ScreenShot("04_capturing.bmp"));
    Activate(Main());
    Key('T', kCtrl); // Stop Capture
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_CAPTURE_STOP) && !ButtonChecked(ID_CAPTURE_START); }))
        << "stopped";
    const int records = ListCount(List());
    Settle(app, 500);
    EXPECT_EQ(ListCount(List()), records) << "no record after the stop";
    std::printf("captured %d records\n", records);
    // What the requests are, for the table of record classes below.
    rows = ReadRows(List());
    EXPECT_GE(ListColumn(List(), L"Device Name"), 0);
    std::map<std::wstring, int> requests;
    for (const Row& row : rows) ++requests[row.type + L" | " + row.request + L" | " + row.device];
    for (const auto& [text, n] : requests) std::printf("  %5d %s\n", n, Narrow(text).c_str());
    EXPECT_EQ(static_cast<int>(rows.size()), records);
    EXPECT_TRUE(ScreenShot("04_stopped.bmp"));
}


// The clipboard's text, as another program pastes it.
std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void EmptyClipboard() {
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}

// Brings a pane forward in the tabbed group below the request summary as a
// user does: a click on its tab. The tabs are drawn by the group window, so
// the click walks along the tab strip until the pane is the one shown (a
// pane behind its tab has no size).
bool PaneShown(HWND pane) {
    RECT rc{};
    ::GetWindowRect(pane, &rc);
    return ::IsWindowVisible(pane) && rc.right > rc.left && rc.bottom > rc.top;
}

// The group: the dock window that holds the shown pane of the tabs (by
// default the request summary's; the USB properties' for the left one).
bool ClickPaneTab(const Program& p, HWND pane, int shownPaneId = IDC_REQUEST_SUMMARY) {
    auto shown = [&] { return PaneShown(pane); };
    if (shown()) return true;
    HWND group = ::GetParent(DescendantById(p.main, shownPaneId));
    if (!group || group == p.main) return false;
    RECT client{};
    ::GetClientRect(group, &client);
    // The tabs run along the group's lower edge.
    for (int x = 4; x < client.right && !shown(); x += 10) {
        SentClick(group, x, client.bottom - 8);
        Settle(p, 0);
    }
    return shown();
}

// Checks a request tree's top items (every request kind) as a user does: a
// click on the item's name, then Space.
void CheckTreeRoots(const Program& p, HWND dialog, int id, const std::vector<std::wstring>& names = {}) {
    HWND tree = ::GetDlgItem(dialog, id);
    Activate(dialog);
    for (HTREEITEM item = TreeNext(tree, nullptr, TVGN_ROOT); item; item = TreeNext(tree, item, TVGN_NEXT)) {
        const std::wstring text = TreeText(tree, item);
        if (!names.empty() && std::find(names.begin(), names.end(), text) == names.end()) continue;
        if (TreeCheckState(tree, item) == 2) continue;
        ClickCentre(tree, TreeItemRect(tree, item));
        WaitFor([&] { return TreeNext(tree, nullptr, TVGN_CARET) == item; }, 3000);
        Settle(p, 0);
        Key(VK_SPACE);
        EXPECT_TRUE(WaitFor([&] { return TreeCheckState(tree, item) == 2; }, 3000)) << Narrow(text);
    }
}

TEST_F(Road, Step05_FiltersAndFinds) {
    ASSERT_NE(Main(), nullptr);
    ASSERT_FALSE(rows.empty());
    HWND list = List();
    const int records = ListCount(list);
    Activate(Main());
    MenuKeys(L"cf"); // Capture > Filter Settings...
    HWND dialog = WaitForTopWindow(app.pid(), L"Filter Settings");
    ASSERT_NE(dialog, nullptr) << "Alt+C, F opened the dialog";
    Settle(app);
    // Only the requests as issued: no completions.
    if (!Checked(dialog, IDC_FS_USE_FILTER)) PressButton(dialog, IDC_FS_USE_FILTER);
    if (Checked(dialog, IDC_FS_SUCCESS)) PressButton(dialog, IDC_FS_SUCCESS);
    if (Checked(dialog, IDC_FS_FAILURE)) PressButton(dialog, IDC_FS_FAILURE);
    if (!Checked(dialog, IDC_FS_ISSUE)) PressButton(dialog, IDC_FS_ISSUE);
    if (!Checked(dialog, IDC_FS_INPUT)) PressButton(dialog, IDC_FS_INPUT);
    if (!Checked(dialog, IDC_FS_OUTPUT)) PressButton(dialog, IDC_FS_OUTPUT);
    CheckTreeRoots(app, dialog, IDC_FS_REQUEST_TREE);
    EXPECT_TRUE(ScreenShot("05_filter_settings.bmp"));
    PostPressButton(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    // The issues stay, but those of no transfer direction (the start
    // record, Select Configuration: the unnamed direction box, left clear).
    std::vector<std::wstring> expected;
    for (const Row& r : rows)
        if (r.sequence.find(L'-') == std::wstring::npos && r.type != L"START" && r.request != L"Select Configuration")
            expected.push_back(r.sequence);
    ASSERT_LT(expected.size(), rows.size());
    EXPECT_TRUE(WaitFor([&] { return ListCount(list) == static_cast<int>(expected.size()); }))
        << ListCount(list) << " rows, " << records << " records, " << expected.size() << " expected";
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_FILTER_APPLY); }, 5000)) << "the filter shows as applied";
    const std::vector<Row> filtered = ReadRows(list);
    std::vector<std::wstring> shown;
    for (const Row& r : filtered) shown.push_back(r.sequence);
    EXPECT_EQ(shown, expected) << "the issues, in their order";
    EXPECT_TRUE(ScreenShot("05_filtered.bmp"));
    // The toolbar's Apply Filter button takes the filter off.
    HWND toolbar = ToolBar();
    ClickCentre(toolbar, ToolButtonRect(toolbar, ID_FILTER_APPLY));
    EXPECT_TRUE(WaitFor([&] { return ListCount(list) == records; })) << "every record shows again";
    EXPECT_FALSE(ButtonChecked(ID_FILTER_APPLY));

    // Find: the command block wrapper of the stick's SCSI commands ("USBC").
    ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    ClickCentre(list, ListItemRect(list, 0));
    EXPECT_TRUE(WaitFor([&] { return ListSelected(list) == 0; }, 3000));
    Activate(Main());
    Key('F', kCtrl);
    dialog = WaitForTopWindow(app.pid(), L"Find Settings");
    ASSERT_NE(dialog, nullptr) << "Ctrl+F opened the dialog";
    Settle(app);
    // Bulk transfers out, as issued and completed.
    CheckTreeRoots(app, dialog, IDC_FD_REQUEST_TREE, {L"URB Functions"});
    for (int id : {IDC_FD_ISSUE, IDC_FD_SUCCESS, IDC_FD_OUTPUT})
        if (!Checked(dialog, id)) PressButton(dialog, id);
    HWND pattern = ::GetDlgItem(dialog, IDC_FD_PATTERN);
    ::SendMessageW(pattern, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"55 53 42 43"));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FD_PATTERN, EN_CHANGE), reinterpret_cast<LPARAM>(pattern));
    PressButton(dialog, IDC_FD_NEXT);
    EXPECT_TRUE(WaitFor([&] { return ListSelected(list) > 0; })) << "a row found";
    const int found = ListSelected(list);
    EXPECT_TRUE(ScreenShot("05_found.bmp"));
    PostPressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    ASSERT_GT(found, 0);
    EXPECT_EQ(ListText(list, found, 0), L"URB") << Narrow(ListText(list, found, 5));
    // Its bytes, as the raw data pane copies them (its tab clicked, then
    // Ctrl+C in the pane).
    Activate(Main());
    HWND raw = Pane(IDC_RAW_DATA);
    ASSERT_NE(raw, nullptr);
    EXPECT_TRUE(ClickPaneTab(app, raw)) << "the Raw Data tab";
    EmptyClipboard();
    RECT rc{};
    ::GetClientRect(raw, &rc);
    SentClick(raw, 10, 10);
    Settle(app);
    Key('C', kCtrl);
    std::wstring copied;
    EXPECT_TRUE(WaitFor([&] { return !(copied = ClipboardText()).empty(); }, 5000)) << "raw data copied";
    std::printf("raw data of row %d:\n%s\n", found, Narrow(copied.substr(0, 300)).c_str());
    EXPECT_NE(copied.find(L"55 53 42 43"), std::wstring::npos) << Narrow(copied);
    EXPECT_EQ(ListSelected(list), found) << "the row stays selected";
    EXPECT_TRUE(ScreenShot("05_found_raw_data.bmp"));
}

// ---- Records of every class in the panes

// The panes' texts as they show for the selected row.
struct PaneTexts {
    std::wstring summary, irp, urb, analysis;
    int irpItems = 0, urbItems = 0, analysisItems = 0;
};

HWND PaneTree(HWND pane) { return pane ? DescendantByClass(pane, WC_TREEVIEWW, false) : nullptr; }

// A row of the table: a class of record the simulated devices produce, how
// to find one in the list, and what the panes must show for it. The data
// analysis pane shows most records as a page (its browser control, which
// draws nothing under Wine), some as a tree, and has nothing for some (an
// empty view of the kind it showed last).
enum class Analysis { Page, Tree, None };
struct RecordCase {
    const char* what;
    const wchar_t* type;       // the list's Type column
    const wchar_t* request;    // the list's Request column
    bool completion;           // the completion (its sequence "n-m") or the issue
    const wchar_t* device;     // the list's Device Name column
    const wchar_t* summary;    // text of the request summary that tells the request (finds the row)
    const wchar_t* details;    // a field of the IRP or URB details
    Analysis analysis;         // how the data analysis pane shows it
    const wchar_t* analysisText; // text of the analysis tree (Tree only)
    int rawBytes;              // bytes the raw data pane shows (-1: not looked at)
    const wchar_t* rawStart;   // how those bytes begin ("" for any)
};

const RecordCase kRecordCases[] = {
    {"PnP start", L"PnP", L"Start Device", false, L"USBPDO-4", L"IRP_MN_START_DEVICE", L"struct StartDevice",
     Analysis::None, nullptr, -1, L""},
    {"power IRP", L"Power", L"Set Power", false, L"USBPDO-4", L"IRP_MN_SET_POWER", L"struct Power", Analysis::None,
     nullptr, -1, L""},
    {"device descriptor (enumeration)", L"URB", L"Get Descriptor from Device", true, L"USBPDO-4",
     L"Descriptor\tDevice", L"Descriptor Type", Analysis::Page, nullptr, 18, L"12 01"},
    {"select configuration", L"URB", L"Select Configuration", false, L"USBPDO-4", L"SELECT_CONFIGURATION",
     L"Configuration Descriptor", Analysis::Page, nullptr, -1, L""},
    {"SCSI command (mass storage CBW)", L"URB", L"Bulk or Interrupt Transfer", false, L"USBPDO-4",
     L"Bytes to Transfer\t31", L"struct _URB_BULK_OR_INTERRUPT_TRANSFER", Analysis::Page, nullptr, 31, L"55 53 42 43"},
    {"HID input report (mouse)", L"URB", L"Bulk or Interrupt Transfer", true, L"USBPDO-5", L"Report Length\t4",
     L"struct _URB_BULK_OR_INTERRUPT_TRANSFER", Analysis::Page, nullptr, 4, L""},
    {"HID input report (keyboard)", L"URB", L"Bulk or Interrupt Transfer", true, L"USBPDO-6", L"Report Length\t8",
     L"struct _URB_BULK_OR_INTERRUPT_TRANSFER", Analysis::Page, nullptr, 8, L""},
    {"CDC SET_LINE_CODING (serial)", L"URB", L"Class Interface", false, L"USBPDO-7", L"Request\t20h",
     L"TransferBufferLength", Analysis::Page, nullptr, 7, L""},
    {"CDC bulk data (serial)", L"URB", L"Bulk or Interrupt Transfer", false, L"USBPDO-7", L"Bulk",
     L"struct _URB_BULK_OR_INTERRUPT_TRANSFER", Analysis::Page, nullptr, -1, L""},
    // The composite CDC ACM device, the DFU bootloader and the printer.
    {"CDC GET_LINE_CODING (composite ACM)", L"URB", L"Class Interface", true, L"USBPDO-9", L"Request\tGet Line Coding",
     L"TransferBufferLength", Analysis::Page, nullptr, 7, L""},
    {"DFU_GETSTATUS (DFU bootloader)", L"URB", L"Class Interface", true, L"USBPDO-11", L"Request\tDFU Get Status",
     L"TransferBufferLength", Analysis::Page, nullptr, 6, L""},
    {"printer GET_DEVICE_ID", L"URB", L"Class Interface", true, L"USBPDO-12", L"Request\t00h",
     L"TransferBufferLength", Analysis::Page, nullptr, 43, L"00 2B"},
};

// The bytes the raw data pane shows, as it copies them (its tab, a click in
// it, Ctrl+C): "12 01 00 02 " (each byte and a space).
std::wstring RawDataBytes(const Program& p) {
    HWND raw = DescendantById(p.main, IDC_RAW_DATA);
    EmptyClipboard();
    if (!ClickPaneTab(p, raw)) return L"(no tab)";
    SentClick(raw, 10, 10);
    Settle(p, 0);
    Key('C', kCtrl);
    std::wstring copied;
    if (!WaitFor([&] { return !(copied = ClipboardText()).empty(); }, 5000)) return L"(nothing copied)";
    // Lines of "offset  bytes  text": the bytes are the two-digit words after
    // the offset, up to the text.
    std::wstring bytes;
    size_t at = 0;
    while (at < copied.size()) {
        size_t end = copied.find(L'\n', at);
        if (end == std::wstring::npos) end = copied.size();
        const std::wstring line = copied.substr(at, end - at);
        at = end + 1;
        const size_t offsetEnd = line.find(L"  ");
        if (offsetEnd == std::wstring::npos) continue;
        std::wstring part = line.substr(offsetEnd + 2);
        part = part.substr(0, part.find(L"  "));
        for (size_t i = 0; i + 2 <= part.size(); i += 3) {
            if (!std::iswxdigit(part[i]) || !std::iswxdigit(part[i + 1])) break;
            bytes += part.substr(i, 2) + L" ";
        }
    }
    return bytes;
}

TEST_F(Road, Step06_EveryRecordClassInThePanes) {
    ASSERT_NE(Main(), nullptr);
    ASSERT_FALSE(rows.empty());
    HWND list = List();
    HWND summary = Pane(IDC_REQUEST_SUMMARY);
    HWND irp = PaneTree(Pane(IDC_IRP_DETAILS));
    HWND urb = PaneTree(Pane(IDC_URB_DETAILS));
    HWND analysis = PaneTree(Pane(IDC_DATA_ANALYSIS_TREE));
    ASSERT_TRUE(summary && irp && urb && analysis);
    // The request summary in front (its tab), for the pictures.
    Activate(Main());
    EXPECT_TRUE(ClickPaneTab(app, summary)) << "the Summary tab";
    int shot = 0;
    for (const RecordCase& c : kRecordCases) {
        SCOPED_TRACE(c.what);
        bool found = false;
        int tried = 0;
        for (size_t i = 0; i < rows.size() && !found && tried < 40; ++i) {
            const Row& r = rows[i];
            if (r.type != c.type || r.request != c.request) continue;
            if ((r.sequence.find(L'-') != std::wstring::npos) != c.completion || r.device != c.device) continue;
            ++tried;
            const int row = static_cast<int>(i);
            ::SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
            ClickCentre(list, ListItemRect(list, row));
            if (!WaitFor([&] { return ListSelected(list) == row; }, 3000)) continue;
            Settle(app, 50);
            PaneTexts t;
            t.summary = TextOf(summary);
            if (t.summary.find(c.summary) == std::wstring::npos) continue;
            found = true;
            // The data analysis pane, its tab clicked, shows one of its two
            // views: the page (the browser control's window) or the tree.
            HWND html = Pane(IDC_DATA_ANALYSIS_HTML), tree = Pane(IDC_DATA_ANALYSIS_TREE);
            ClickPaneTab(app, c.analysis == Analysis::Tree ? tree : html);
            const bool page = PaneShown(html);
            EXPECT_NE(page, PaneShown(tree)) << "one view of the analysis";
            t.irp = TreeAllText(irp);
            t.urb = TreeAllText(urb);
            t.analysis = TreeAllText(analysis);
            t.irpItems = TreeCount(irp);
            t.urbItems = TreeCount(urb);
            t.analysisItems = TreeCount(analysis);
            std::printf("%s: row %d (%s): IRP details %d, URB details %d, analysis %s (%d)\n", c.what, row,
                        Narrow(r.sequence).c_str(), t.irpItems, t.urbItems, page ? "page" : "tree", t.analysisItems);
            EXPECT_NE(t.summary.find(c.summary), std::wstring::npos) << "summary";
            EXPECT_GT(t.irpItems, 0) << "IRP details";
            if (c.type == std::wstring(L"URB")) {
                EXPECT_GT(t.urbItems, 0) << "URB details";
            }
            const std::wstring details = t.irp + t.urb;
            EXPECT_NE(details.find(c.details), std::wstring::npos) << "IRP or URB details";
            if (c.analysis == Analysis::Page) {
                EXPECT_TRUE(page) << "the analysis page's view is the one shown";
            } else if (c.analysis == Analysis::None) {
                if (!page) {
                    EXPECT_EQ(t.analysisItems, 0) << "an empty analysis tree";
                }
            } else {
                EXPECT_FALSE(page);
                EXPECT_NE(t.analysis.find(c.analysisText), std::wstring::npos) << "data analysis";
            }
            if (c.rawBytes >= 0) {
                const std::wstring bytes = RawDataBytes(app);
                EXPECT_EQ(static_cast<int>(bytes.size() / 3), c.rawBytes) << "raw data: " << Narrow(bytes);
                EXPECT_EQ(bytes.rfind(c.rawStart, 0), 0u) << "raw data: " << Narrow(bytes);
            }
            // The summary in front again for the picture.
            EXPECT_TRUE(ClickPaneTab(app, summary));
            char name[64];
            std::snprintf(name, sizeof name, "06_record_%d.bmp", ++shot);
            EXPECT_TRUE(ScreenShot(name));
        }
        EXPECT_TRUE(found) << "a row of the class: its device in the list, its request in the summary";
    }
}

// ---- Export in every format through the save dialog

// The common file dialog (Wine's own) answered as a user: the file type,
// the name typed in its name field, then its OK button.
bool AnswerFileDialog(HWND dialog, const std::wstring& path, int fileType = -1) {
    if (!dialog) return false;
    if (fileType >= 0) {
        HWND types = DescendantById(dialog, 0x470); // cmb1
        if (types) {
            // A choice in the box sends both (Wine's dialog takes the first).
            ::SendMessageW(types, CB_SETCURSEL, fileType, 0);
            for (WORD code : {CBN_SELENDOK, CBN_SELCHANGE})
                ::SendMessageW(::GetParent(types), WM_COMMAND, MAKEWPARAM(0x470, code),
                               reinterpret_cast<LPARAM>(types));
        }
    }
    HWND name = DescendantById(dialog, 0x480); // edt1
    if (!name) name = DescendantById(dialog, 0x47c); // cmb13
    if (!name) return false;
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    return true;
}

std::wstring WindowsPath(const std::wstring& name) {
    std::wstring path = OutputPath(name);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

void WriteListRows(const std::vector<Row>& rows, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    for (const Row& r : rows)
        std::fprintf(f, "%s\t%s\t%s\n", Narrow(r.type).c_str(), Narrow(r.sequence).c_str(), Narrow(r.request).c_str());
    std::fclose(f);
}

// ---- Device properties

TEST_F(Road, Step07_DeviceProperties) {
    ASSERT_NE(Main(), nullptr);
    HWND tree = DeviceTree();
    HTREEITEM stick = nullptr;
    WalkTree(tree, [&](HTREEITEM item, const std::wstring& text, int) {
        if (!stick && text.find(L"Mass Storage") != std::wstring::npos) stick = item;
    });
    ASSERT_NE(stick, nullptr);
    ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(stick));
    ClickCentre(tree, TreeItemRect(tree, stick));
    EXPECT_TRUE(WaitFor([&] { return TreeNext(tree, nullptr, TVGN_CARET) == stick; }, 3000));
    Settle(app, 300);
    // The PnP properties: a text pane (View > Panes > PnP Properties brings
    // it forward in its group when it is not the one shown).
    HWND pnp = Pane(IDC_PNP_PROPERTIES);
    ASSERT_NE(pnp, nullptr);
    Activate(Main());
    EXPECT_TRUE(ClickPaneTab(app, pnp, IDC_USB_PROPERTIES)) << "the PnP Prop tab";
    const std::wstring pnpText = TextOf(pnp);
    std::printf("PnP properties:\n%s\n", Narrow(pnpText.substr(0, 600)).c_str());
    EXPECT_NE(pnpText.find(L"USB Mass Storage Device"), std::wstring::npos);
    HWND usb = Pane(IDC_USB_PROPERTIES);
    ASSERT_NE(usb, nullptr);
    EXPECT_NE(DescendantByClass(usb, L"Shell Embedding", false), nullptr);
    EXPECT_TRUE(ScreenShot("07_pnp_properties.bmp"));
    // Its USB properties: a page in the browser control, which Wine does not
    // draw: the pane holds the control.
    EXPECT_TRUE(ClickPaneTab(app, usb, IDC_PNP_PROPERTIES)) << "the USB Prop tab";
    EXPECT_TRUE(ScreenShot("07_usb_properties.bmp"));
    // The page's Export... (its context menu, which the browser control
    // opens; Wine's draws no page to click, so the command the menu item
    // sends goes to the main window): the save dialog, then the report file,
    // which tools/check_road_export.sh opens in a browser.
    const std::wstring report = WindowsPath(L"usb_properties.html");
    ::DeleteFileW(report.c_str());
    ::PostMessageW(Main(), WM_COMMAND, ID_USB_PROPERTIES_EXPORT, 0);
    HWND dialog = WaitForTopWindow(app.pid(), L"Export As");
    ASSERT_NE(dialog, nullptr) << "the save dialog of the USB properties";
    Settle(app);
    ASSERT_TRUE(AnswerFileDialog(dialog, report));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return ::GetFileAttributesW(report.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "the report was written";
}

TEST_F(Road, Step08_ExportsInEveryFormat) {
    ASSERT_NE(Main(), nullptr);
    ASSERT_FALSE(rows.empty());
    // What the list shows, for the second reader of the exported files
    // (tools/check_road_export.sh).
    WriteListRows(rows, std::string(BRX_TEST_OUTPUT_DIR) + "/road/list_rows.txt");
    const wchar_t* names[] = {L"export.html", L"export.xml", L"export.csv", L"export.txt"};
    for (int type = 0; type < 4; ++type) {
        SCOPED_TRACE(Narrow(names[type]));
        const std::wstring path = WindowsPath(names[type]);
        ::DeleteFileW(path.c_str());
        Activate(Main());
        MenuKeys(L"fe"); // File > Export List...
        HWND dialog = WaitForTopWindow(app.pid(), L"Export As");
        ASSERT_NE(dialog, nullptr) << "Alt+F, E opened the save dialog";
        Settle(app);
        if (type == 0) {
            EXPECT_TRUE(ScreenShot("08_export_dialog.bmp"));
        }
        ASSERT_TRUE(AnswerFileDialog(dialog, path, type));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "the dialog closed";
        EXPECT_TRUE(WaitFor([&] { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }))
            << "the file was written";
        Settle(app, 200);
    }
}

// ---- Save, open, and a viewer instance

TEST_F(Road, Step09_SavesOpensAndViews) {
    ASSERT_NE(Main(), nullptr);
    const int records = ListCount(List());
    const std::wstring path = WindowsPath(L"road_capture.bdx");
    ::DeleteFileW(path.c_str());
    Activate(Main());
    MenuKeys(L"fa"); // File > Save As...
    HWND dialog = WaitForTopWindow(app.pid(), L"Save");
    ASSERT_NE(dialog, nullptr) << "Alt+F, A opened the save dialog";
    Settle(app);
    EXPECT_TRUE(ScreenShot("09_save_as_dialog.bmp"));
    ASSERT_TRUE(AnswerFileDialog(dialog, path));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "saved";
    EXPECT_TRUE(WaitFor([&] { return TextOf(Main()).find(L"road_capture") != std::wstring::npos; }))
        << Narrow(TextOf(Main()));
    Settle(app, 300);

    // A second instance started on the file while this one runs: a viewer.
    // (While a program has the file open, another is told it is in use.)
    Program viewer;
    ProgramGuard viewerGuard{viewer};
    ASSERT_TRUE(StartProgram(viewer, L"\"" + path + L"\"", OutputPath(L"viewer.drawn")));
    HWND viewerList = DescendantById(viewer.main, 0xE900);
    ASSERT_NE(viewerList, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ListCount(viewerList) == records; })) << ListCount(viewerList);
    HWND viewerBar = DescendantByClass(viewer.main, TOOLBARCLASSNAMEW);
    ASSERT_NE(viewerBar, nullptr);
    for (int command : {ID_CAPTURE_START, ID_CAPTURE_STOP, ID_CAPTURE_SETTINGS, ID_CAPTURE_CLEAR_LIST})
        EXPECT_FALSE(::SendMessageW(viewerBar, TB_ISBUTTONENABLED, command, 0)) << command;
    Activate(viewer.main);
    Settle(viewer, 300);
    EXPECT_TRUE(ScreenShot("09_viewer_instance.bmp"));
    ::PostMessageW(viewer.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(viewer.process.hProcess, kWait), WAIT_OBJECT_0);
    DWORD code = 99;
    ::GetExitCodeProcess(viewer.process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EndProgram(viewer);

    // A new empty log (Ctrl+N), then File > Open (Ctrl+O) of the file.
    Activate(Main());
    Key('N', kCtrl);
    EXPECT_TRUE(WaitFor([&] { return ListCount(List()) == 0; })) << "a new log";
    Key('O', kCtrl);
    dialog = WaitForTopWindow(app.pid(), L"Open");
    ASSERT_NE(dialog, nullptr) << "Ctrl+O opened the open dialog";
    Settle(app);
    ASSERT_TRUE(AnswerFileDialog(dialog, path));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return ListCount(List()) == records; })) << ListCount(List());
    EXPECT_TRUE(WaitFor([&] { return !ButtonEnabled(ID_CAPTURE_START); }, 5000)) << "a file is not captured into";
    EXPECT_TRUE(ScreenShot("09_reopened.bmp"));

    // Another instance on the file this one holds open is told so.
    Program third;
    ProgramGuard thirdGuard{third};
    ASSERT_TRUE(StartProgram(third, L"\"" + path + L"\"", OutputPath(L"third.drawn"), {}, false));
    // The message box (a dialog holding the text), once it is up.
    HWND box = nullptr;
    std::wstring text;
    WaitFor([&] {
        for (HWND w : TopWindows(third.pid())) {
            if (ClassOf(w) != L"#32770") continue;
            std::wstring all;
            for (HWND c : Descendants(w)) all += TextOf(c) + L"|";
            if (all.find(L"road_capture.bdx") != std::wstring::npos) {
                box = w;
                text = all;
                return true;
            }
        }
        return false;
    });
    ASSERT_NE(box, nullptr) << "a message about the file";
    EXPECT_NE(text.find(L"being used by another process"), std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(ScreenShot("09_file_in_use.bmp"));
    PostPressButton(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    // It goes on with a new log of its own, and closes.
    EXPECT_TRUE(WaitFor([&] { return (third.main = FindMainWindow(third.pid())) != nullptr; }));
    Settle(third, 300);
    ::PostMessageW(third.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(third.process.hProcess, kWait), WAIT_OBJECT_0);
    EndProgram(third);
}

// ---- Preferences

TEST_F(Road, Step10_PreferencesChangeTheTimeColumn) {
    ASSERT_NE(Main(), nullptr);
    HWND list = List();
    ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    WaitFor([&] {
        ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return !ListText(list, 1, 2).empty();
    }, 5000);
    const std::wstring before = ListText(list, 1, 2);
    ASSERT_FALSE(before.empty()) << "the time of the second row";
    Activate(Main());
    MenuKeys(L"tp"); // Tools > Preferences...
    HWND sheet = WaitForTopWindow(app.pid(), L"Preferences");
    ASSERT_NE(sheet, nullptr) << "Alt+T, P opened the sheet";
    Settle(app);
    // The Time page: its radio button for the date with the time of day.
    HWND dateButton = nullptr;
    WaitFor([&] {
        HWND tree = DescendantByClass(sheet, WC_TREEVIEWW);
        if (tree) {
            WalkTree(tree, [&](HTREEITEM item, const std::wstring& text, int) {
                if (text == L"Time") {
                    ClickCentre(tree, TreeItemRect(tree, item));
                }
            });
        }
        Settle(app, 100);
        dateButton = DescendantById(sheet, 1117);
        return dateButton && ::IsWindowVisible(dateButton);
    }, 10000);
    ASSERT_NE(dateButton, nullptr);
    ::SendMessageW(dateButton, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(dateButton, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(ScreenShot("10_preferences_time.bmp"));
    ::PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(sheet, IDOK)));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet) || !::IsWindowVisible(sheet); })) << "OK closed the sheet";
    std::wstring after;
    EXPECT_TRUE(WaitFor([&] {
        ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return (after = ListText(list, 1, 2)) != before && !after.empty();
    }, 5000));
    std::printf("time column: \"%s\" -> \"%s\"\n", Narrow(before).c_str(), Narrow(after).c_str());
    EXPECT_EQ(after.size(), before.size() + 11) << "the date (\"yyyy-mm-dd \") shows before the time";
    EXPECT_EQ(after.substr(11), before);
    EXPECT_TRUE(ScreenShot("10_time_with_date.bmp"));
}

// ---- Screen sets

// Which panes the layout shows: the panes' windows that sit in a pane host.
std::wstring ShownPanes(HWND main) {
    std::wstring shown;
    const std::pair<int, const wchar_t*> panes[] = {
        {IDC_DEVICE_TREE, L"tree"},       {IDC_DEVICE_STACK, L"stack"},   {IDC_USB_PROPERTIES, L"usb"},
        {IDC_PNP_PROPERTIES, L"pnp"},     {IDC_REQUEST_SUMMARY, L"summary"}, {IDC_RAW_DATA, L"raw"},
        {IDC_IRP_DETAILS, L"irp"},        {IDC_URB_DETAILS, L"urb"},      {IDC_DATA_ANALYSIS_TREE, L"analysis"}};
    for (const auto& [id, name] : panes) {
        HWND w = DescendantById(main, id);
        if (!w || !PaneShown(w)) continue;
        RECT rc{};
        ::GetWindowRect(w, &rc);
        wchar_t place[64];
        std::swprintf(place, 64, L"(%ld,%ld %ldx%ld) ", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        shown += std::wstring(name) + place;
    }
    return shown;
}

bool TreeShown(HWND main) { return PaneShown(DescendantById(main, IDC_DEVICE_TREE)); }

TEST_F(Road, Step11_ScreenSetsSwitchAndLock) {
    ASSERT_NE(Main(), nullptr);
    Activate(Main());
    Key('1', kAlt);
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_SCREEN_SET_1); }, 3000));
    Settle(app, 300);
    const std::wstring set1 = ShownPanes(Main());
    ASSERT_TRUE(TreeShown(Main()));
    // Set 2 starts as the default layout; the device tree closed in it
    // (View > Panes > Device Tree) is its own change.
    Key('2', kAlt);
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_SCREEN_SET_2); }, 3000)) << "Alt+2 chose set 2";
    Settle(app, 300);
    MenuKeys(L"vpt");
    EXPECT_TRUE(WaitFor([&] { return !TreeShown(Main()); }, 3000)) << "the device tree closed";
    const std::wstring set2 = ShownPanes(Main());
    std::printf("set 1: %s\nset 2: %s\n", Narrow(set1).c_str(), Narrow(set2).c_str());
    EXPECT_TRUE(ScreenShot("11_screen_set_2_without_tree.bmp"));
    Key('1', kAlt);
    EXPECT_TRUE(WaitFor([&] { return TreeShown(Main()); }, 3000)) << "set 1 keeps its device tree";
    EXPECT_TRUE(ScreenShot("11_screen_set_1.bmp"));
    Key('2', kAlt);
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_SCREEN_SET_2) && !TreeShown(Main()); }, 3000))
        << "set 2 kept its change";
    // Locked (Ctrl+Shift+L), set 2 holds its layout: the tree opened again
    // in it is gone when the set is chosen again.
    Key('L', kCtrl | kShift);
    Settle(app, 300);
    MenuKeys(L"vpt");
    EXPECT_TRUE(WaitFor([&] { return TreeShown(Main()); }, 3000)) << "the device tree opened";
    Key('1', kAlt);
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_SCREEN_SET_1); }, 3000));
    Key('2', kAlt);
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_SCREEN_SET_2); }, 3000));
    Settle(app, 300);
    EXPECT_FALSE(TreeShown(Main())) << "the locked set came back as it was locked";
    EXPECT_TRUE(ScreenShot("11_screen_set_2_locked.bmp"));
    // Back to set 1 for the rest.
    Key('1', kAlt);
    EXPECT_TRUE(WaitFor([&] { return TreeShown(Main()); }, 3000));
}

// ---- Exit

TEST_F(Road, Step12_ExitsAsAUser) {
    ASSERT_NE(Main(), nullptr);
    // A new capture, not saved, so that leaving asks.
    Activate(Main());
    Key('N', kCtrl); // File > New
    EXPECT_TRUE(WaitFor([&] { return ListCount(List()) == 0 && ButtonEnabled(ID_CAPTURE_START); }));
    Key('R', kCtrl); // Start Capture
    EXPECT_TRUE(WaitFor([&] { return ListCount(List()) >= 50; }));
    Key('T', kCtrl);
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(ID_CAPTURE_STOP); }));
    Settle(app, 200);
    MenuKeys(L"fx"); // File > Exit
    HWND box = WaitForTopWindow(app.pid(), L"", L"#32770", 5000);
    ASSERT_NE(box, nullptr) << "asked whether to save";
    std::wstring text;
    for (HWND w : Descendants(box)) text += TextOf(w) + L"|";
    std::printf("on exit: %s\n", Narrow(text).c_str());
    EXPECT_NE(text.find(L"Save changes"), std::wstring::npos);
    EXPECT_TRUE(ScreenShot("12_save_changes.bmp"));
    PostPressButton(box, IDNO);
    EXPECT_EQ(::WaitForSingleObject(app.process.hProcess, kWait), WAIT_OBJECT_0) << "the program ended";
    DWORD code = 99;
    ::GetExitCodeProcess(app.process.hProcess, &code);
    EXPECT_EQ(code, 0u);
}

} // namespace
} // namespace brx::road

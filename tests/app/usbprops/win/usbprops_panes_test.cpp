// The USB properties and PnP properties panes and the device tree's Restart,
// Properties and Export commands on real windows under Wine, against the
// simulated USB host and capture driver. The browser is the in-process
// stand-in (Wine renders no HTML): the tests read the bytes the pane streamed
// into its document, and save them (usbprops_pane_*.html) for the browser
// check. Saves pnp_problem.bmp: the PnP pane of a device with a problem code.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/devtree/win/DeviceTree.h"
#include "app/usbprops/win/DeviceActions.h"
#include "app/usbprops/win/PnpProp.h"
#include "app/usbprops/win/UsbProp.h"
#include "app/usbprops/win/UsbReportExport.h"
#include "capture/win/SystemHelpers.h"
#include "capture/win/CaptureDriver.h"
#include "framework/SystemLibrary.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"
#include "tests/WindowScreenshot.h"
#include "tests/capture/win/ScriptedPrompts.h"
#include "tests/capture/win/TestRegistry.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "tests/toolkit/html/FakeBrowser.h"

using namespace brx;
using namespace brx::test;
using brx::testing::ScriptedPrompts;

// The system's device properties entry point, as the loader seam finds it in
// this program when a test hands out the program's own module.
namespace {
std::wstring g_propertiesLine;
HWND g_propertiesOwner = nullptr;
int g_propertiesShow = -1;
std::wstring g_libraryAsked;
}

extern "C" __declspec(dllexport) void WINAPI DeviceProperties_RunDLLW(HWND owner, HINSTANCE, LPCWSTR line, int show) {
    g_propertiesOwner = owner;
    g_propertiesLine = line ? line : L"";
    g_propertiesShow = show;
}

namespace {

HMODULE LoadThisProgram(const wchar_t* path) {
    g_libraryAsked = path ? path : L"";
    HMODULE self = nullptr;
    ::GetModuleHandleExW(0, nullptr, &self);   // counted, as a load is
    return self;
}
HMODULE LoadNothing(const wchar_t* path) {
    g_libraryAsked = path ? path : L"";
    return nullptr;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The names in a folder, "." and ".." left out.
std::vector<std::wstring> FolderFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

// The write seam of the export: the disk is full at the first write.
BOOL WINAPI DiskFullWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    if (written) *written = 0;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
// A write that takes half of what it is given and says nothing.
BOOL WINAPI ShortWrite(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    ::SetLastError(0);
    return ::WriteFile(file, bytes, size / 2, written, overlapped);
}

void SaveOutput(const std::string& name, const std::string& bytes) {
    std::ofstream out(std::string(BRX_TEST_OUTPUT_DIR) + "/" + name, std::ios::binary);
    out << bytes;
}

// The host records the commands that reach it (the main window's place).
class CRecordingHost : public CTestHostWnd {
public:
    std::vector<UINT> commands;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_COMMAND) commands.push_back(LOWORD(wp));
        return CTestHostWnd::OnWndMsg(msg, wp, lp, result);
    }
};

// The pane with its menu answered by the test: the items as shown, then the
// scripted choice; the commands it receives itself are recorded.
class CTestUsbProp : public CUsbProp {
public:
    UINT answer = 0;
    std::vector<std::pair<UINT, UINT>> items;   // id, MF_GRAYED or 0
    std::vector<UINT> commands;

protected:
    UINT TrackMenu(HMENU menu, POINT, HWND) override {
        items.clear();
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            const UINT id = ::GetMenuItemID(menu, i);
            if (id != 0) items.push_back({id, ::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED});
        }
        return answer;
    }
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_COMMAND) commands.push_back(LOWORD(wp));
        return CUsbProp::OnWndMsg(msg, wp, lp, result);
    }
};

class UsbPropsPanesTest : public ::testing::Test {
protected:
    UsbPropsPanesTest() : usbHost(driverSim.Topology()) {}
    static void SetUpTestSuite() { ASSERT_TRUE(AfxOleInit()); }

    void SetUp() override {
        ::InitCommonControls();
        ASSERT_TRUE(registration.Ok());
        Browser() = FakeBrowserLog{};
        AfxEnableControlContainer(&manager);
        host = SharedHost<CRecordingHost>(CRect(0, 0, 900, 600));
        ASSERT_NE(host->m_hWnd, nullptr);
        ASSERT_TRUE(driver.Connect());
        tree.SetCaptureDriver(&driver);
        tree.SetUsbHost(&usbHost);
        tree.SetPropertyPanes(&usbProp, &pnpProp);
        ASSERT_TRUE(tree.Create(*host, IDC_DEVICE_TREE, CRect(0, 0, 300, 600)));
        ASSERT_TRUE(usbProp.Create(WS_CHILD | WS_VISIBLE, CRect(300, 0, 900, 300), *host, 40057, CLSID_FakeBrowser));
        ASSERT_TRUE(pnpProp.Create(CPnpProp::kStyle | WS_VISIBLE, CRect(300, 300, 900, 600), *host, 40058));
        pnpProp.InitFormat();
        ::MoveWindow(pnpProp, 300, 300, 600, 300, FALSE);   // the pane is made 100 x 100, then laid out
        tree.Refresh();
        Pump();
    }

    void TearDown() override {
        tree.ClearTree();
        pnpProp.DestroyWindow();
        usbProp.DestroyWindow();
        tree.DestroyWindow();
        AfxEnableControlContainer(nullptr);
        Pump();
    }

    HTREEITEM Find(const std::wstring& prefix, HTREEITEM first = nullptr) {
        for (HTREEITEM item = first ? first : tree.GetRootItem(); item; item = tree.GetNextSiblingItem(item)) {
            if (tree.GetItemText(item).rfind(prefix, 0) == 0) return item;
            if (HTREEITEM child = tree.GetChildItem(item))
                if (HTREEITEM found = Find(prefix, child)) return found;
        }
        return nullptr;
    }

    // Selects an item as the user does and returns the page the pane then
    // streamed into its document ("" when it showed about:blank only).
    std::string Select(HTREEITEM item) {
        Browser().loaded.clear();
        tree.SelectItem(item);
        Pump();
        usbProp.OnDocumentComplete(Browser().browser, L"about:blank");
        return Browser().loaded;
    }

    std::wstring PnpText() {
        const int n = ::GetWindowTextLengthW(pnpProp);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        ::GetWindowTextW(pnpProp, text.data(), n + 1);
        text.resize(static_cast<size_t>(n));
        return text;
    }

    // The colour and boldness of the pane's text at a character position.
    CHARFORMATW FormatAt(LONG at) {
        CHARRANGE range{at, at + 1};
        pnpProp.SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMATW cf{};
        cf.cbSize = sizeof(cf);
        pnpProp.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return cf;
    }

    uint32_t Devinst(const wchar_t* instanceId) {
        return usbHost.Topology().FindDevnode(reinterpret_cast<const char16_t*>(instanceId));
    }

    brx::testing::TestRegistry registry;
    CFakeBrowserRegistration registration;
    CCustomOccManager manager;
    CRecordingHost* host = nullptr;
    CSimulatedDriver driverSim;
    CCaptureDriver driver{&driverSim, nullptr};
    CSimulatedUsbHost usbHost;
    CDeviceTree tree;
    CTestUsbProp usbProp;
    CPnpProp pnpProp;
};

constexpr wchar_t kStickId[] = L"USB\\VID_1209&PID_B5D1\\0123456789ABCDEF";

TEST_F(UsbPropsPanesTest, SelectingNodesFillsBothPanes) {
    const std::string computer = Select(tree.GetRootItem());
    EXPECT_NE(computer.find("<td><b>Enhanced Host Controllers</b></td><td>1</td>"), std::string::npos);
    EXPECT_NE(computer.find("<td><b>eXtensible Host Controllers</b></td><td>1</td>"), std::string::npos);
    EXPECT_NE(computer.find("<td><b>Open Host Controllers</b></td><td>1</td>"), std::string::npos);
    EXPECT_NE(computer.find("<td><b>Root Hubs</b></td><td>2</td>"), std::string::npos);
    EXPECT_EQ(PnpText(), L"") << "the computer has no PnP view";
    SaveOutput("usbprops_pane_computer.html", computer);

    const std::string stick = Select(Find(L"Port1: USB Mass Storage"));
    EXPECT_NE(stick.find("<b>Device Descriptor</b>"), std::string::npos);
    EXPECT_NE(stick.find("<td><b>Speed</b></td><td>High (480 Mbit/s)</td>"), std::string::npos);
    EXPECT_NE(stick.find("</html>"), std::string::npos);
    SaveOutput("usbprops_pane_stick.html", stick);
    const std::wstring pnp = PnpText();
    EXPECT_NE(pnp.find(L"Instance ID:\tUSB\\VID_1209&PID_B5D1\\0123456789ABCDEF"), std::wstring::npos) << pnp;
    EXPECT_NE(pnp.find(L"Description:\t"), std::wstring::npos);
    EXPECT_NE(pnp.find(L"Hardware IDs:\tUSB\\VID_1209&PID_B5D1&REV"), std::wstring::npos) << pnp;
    EXPECT_NE(pnp.find(L"Setup Class GUID:\t{36fc9e60-c465-11cf-8056-444553540000}"), std::wstring::npos) << pnp;
    EXPECT_EQ(pnp.find(L"Problem"), std::wstring::npos);

    const std::string mouse = Select(Find(L"Port1: USB Input Device"));
    EXPECT_NE(mouse.find("HID Report Descriptor"), std::string::npos);
    SaveOutput("usbprops_pane_mouse.html", mouse);

    const std::string hub = Select(Find(L"Port2: Generic USB Hub"));
    EXPECT_NE(hub.find("<b>Hub Descriptor</b> 4 Ports"), std::string::npos);
    EXPECT_NE(PnpText().find(L"Symbolic Link:\t"), std::wstring::npos);
    SaveOutput("usbprops_pane_hub.html", hub);

    const std::string empty = Select(Find(L"Port4:"));
    EXPECT_NE(empty.find("No device connected"), std::string::npos);
    EXPECT_EQ(empty.find("Device Descriptor"), std::string::npos);

    // A host controller: the styles and an empty body.
    const std::string controller = Select(tree.GetChildItem(tree.GetRootItem()));
    EXPECT_NE(controller.find("<body><a name=\"top\"></a>\r\n</body>"), std::string::npos);

    // No selection: about:blank and an empty PnP pane.
    Browser().navigations.clear();
    tree.SelectItem(nullptr);
    Pump();
    EXPECT_EQ(Browser().navigations, std::vector<std::wstring>{L"about:blank"});
}

TEST_F(UsbPropsPanesTest, PnpPaneShowsAProblemInRedAndTheStatusFlags) {
    const uint32_t devinst = Devinst(kStickId);
    ASSERT_NE(devinst, 0u);
    SimDevnode& d = usbHost.Topology().Devnode(devinst);
    d.status |= 0x400;   // DN_HAS_PROBLEM
    d.problem = 28;      // CM_PROB_FAILED_INSTALL
    Select(Find(L"Port1: USB Mass Storage"));
    const std::wstring text = PnpText();
    const size_t problem = text.find(L"Problem: ");
    ASSERT_NE(problem, std::wstring::npos) << text;
    EXPECT_NE(text.find(L"(Code 28)"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"For more information and troubleshooting"), std::wstring::npos);
    // Rich edit counts a line break as one character.
    auto position = [&](size_t at) {
        LONG p = 0;
        for (size_t i = 0; i < at; ++i) p += !(text[i] == L'\n' && i > 0 && text[i - 1] == L'\r');
        return p;
    };
    const CHARFORMATW label = FormatAt(position(problem));
    EXPECT_EQ(label.crTextColor, CPnpProp::kRed);
    EXPECT_TRUE(label.dwEffects & CFE_BOLD);
    const CHARFORMATW code = FormatAt(position(text.find(L"(Code 28)") + 1));
    EXPECT_EQ(code.crTextColor, CPnpProp::kRed);
    EXPECT_FALSE(code.dwEffects & CFE_BOLD);
    const CHARFORMATW description = FormatAt(position(text.find(L"Description:")));
    EXPECT_EQ(description.crTextColor, CPnpProp::kBlack);

    // Status 0180240Ah: eight digits, a trailing h and a tab, one flag a
    // line, lowest bit first, further ones indented by two tabs.
    const size_t status = text.find(L"Instance Status:\t");
    ASSERT_NE(status, std::wstring::npos);
    EXPECT_EQ(text.substr(status + 17, 10), L"0180240Ah\t") << text;
    EXPECT_NE(text.find(L"0180240Ah\tDN_DRIVER_LOADED\r\n\t\tDN_STARTED\r\n\t\tDN_HAS_PROBLEM\r\n\t\t"),
              std::wstring::npos)
        << text;

    host->UpdateWindow();
    FlushToScreen();
    EXPECT_TRUE(SaveScreenshot(*host, "pnp_problem.bmp"));
}

TEST_F(UsbPropsPanesTest, RestartIsOfferedRefusedAndReportedWithItsOutcome) {
    ScriptedPrompts prompts;
    struct Case {
        const wchar_t* item;
        DWORD installFlags;
        bool offered;
        RestartOutcome outcome;
        uint32_t restarts;   // of the stick's devnode afterwards
    } cases[] = {
        {L"Port1: USB Mass Storage", 0, true, RestartOutcome::Restarted, 1},
        {L"Port1: USB Mass Storage", DI_NEEDREBOOT, true, RestartOutcome::RebootNeeded, 2},
        {L"Port1: USB Mass Storage", DI_NEEDRESTART, true, RestartOutcome::RebootNeeded, 3},
        {L"USB Root Hub", 0, false, RestartOutcome::NotRestartable, 3},   // not removable
    };
    const uint32_t stick = Devinst(kStickId);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.item << " " << c.installFlags);
        usbHost.knobs().installFlags = c.installFlags;
        HTREEITEM item = Find(c.item);
        ASSERT_NE(item, nullptr);
        tree.SelectItem(item);
        CTestCmdUI ui;
        ui.m_nID = ID_DEVICE_RESTART;
        ASSERT_TRUE(tree.OnUpdateCommand(ui));
        EXPECT_EQ(ui.m_bEnabled, c.offered);
        prompts.boxes.clear();
        // A command that is not offered does not run from the menu; run
        // directly, it says why.
        if (c.offered)
            tree.SendMessage(WM_COMMAND, ID_DEVICE_RESTART);
        else
            tree.OnRestart();
        EXPECT_EQ(tree.LastRestartOutcome(), c.outcome);
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_EQ(prompts.boxes[0].text, RestartOutcomeText(c.outcome));
        EXPECT_EQ(usbHost.Restarts(stick), c.restarts);
        EXPECT_TRUE(tree.IsWindowEnabled());
    }
    // A problem code takes the offer away.
    usbHost.Topology().Devnode(stick).problem = 10;
    tree.SelectItem(Find(L"Port1: USB Mass Storage"));
    CTestCmdUI ui;
    ui.m_nID = ID_DEVICE_RESTART;
    tree.OnUpdateCommand(ui);
    EXPECT_FALSE(ui.m_bEnabled);
    usbHost.Topology().Devnode(stick).problem = 0;

    // The device leaves while the menu is open: refused, and said so.
    tree.SelectItem(Find(L"Port1: USB Mass Storage"));
    usbHost.Unplug(0, 1);
    prompts.boxes.clear();
    tree.OnRestart();
    EXPECT_EQ(tree.LastRestartOutcome(), RestartOutcome::Refused);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, RestartOutcomeText(RestartOutcome::Refused));
    EXPECT_TRUE(prompts.boxes[0].type & MB_ICONWARNING);
}

TEST_F(UsbPropsPanesTest, PropertiesGoesThroughTheLoaderSeam) {
    tree.SelectItem(Find(L"Port1: USB Mass Storage"));
    CTestCmdUI ui;
    ui.m_nID = ID_DEVICE_PROPERTIES;
    ASSERT_TRUE(tree.OnUpdateCommand(ui));
    EXPECT_TRUE(ui.m_bEnabled);

    const LoadLibraryCall previous = SetLoadLibraryCall(LoadThisProgram);
    g_propertiesLine.clear();
    tree.SendMessage(WM_COMMAND, ID_DEVICE_PROPERTIES);
    SetLoadLibraryCall(previous);
    EXPECT_EQ(g_propertiesLine, std::wstring(L"/MachineName \"\" /DeviceID ") + kStickId);
    EXPECT_EQ(g_propertiesShow, SW_SHOW);
    EXPECT_EQ(g_propertiesOwner, ::GetAncestor(tree, GA_ROOT));
    const std::wstring asked = g_libraryAsked;
    ASSERT_GE(asked.size(), 11u);
    EXPECT_EQ(_wcsicmp(asked.c_str() + asked.size() - 11, L"\\devmgr.dll"), 0) << asked;

    // No library (as on Wine): nothing happens.
    SetLoadLibraryCall(LoadNothing);
    g_propertiesLine.clear();
    EXPECT_FALSE(ShowDeviceProperties(*host, WString(u"USB\\VID_1209&PID_B5D1\\0123456789ABCDEF")));
    SetLoadLibraryCall(previous);
    EXPECT_EQ(g_propertiesLine, L"");

    // The root item has no node: the command is not offered.
    tree.SelectItem(tree.GetRootItem());
    tree.OnUpdateCommand(ui);
    EXPECT_FALSE(ui.m_bEnabled);
}

TEST_F(UsbPropsPanesTest, ContextMenuOffersCopySelectAllAndExport) {
    struct Case {
        bool report;          // a node with a report is selected
        bool textSelected;
        UINT answer;
        UINT copy, selectAll, exportState;   // MF_GRAYED or 0
        bool toPane, toMain;  // where the chosen command went
    } cases[] = {
        {true, true, ID_BROWSER_COPY, 0, 0, 0, true, false},
        {true, false, ID_BROWSER_SELECT_ALL, MF_GRAYED, 0, 0, true, false},
        {true, false, ID_USB_PROPERTIES_EXPORT, MF_GRAYED, 0, 0, false, true},
        {false, false, 0, MF_GRAYED, MF_GRAYED, MF_GRAYED, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        tree.SelectItem(c.report ? Find(L"Port1: USB Mass Storage") : nullptr);
        Pump();
        EXPECT_EQ(usbProp.HasReport(), c.report);
        usbProp.answer = c.answer;
        usbProp.commands.clear();
        host->commands.clear();
        EXPECT_EQ(usbProp.OnShowContextMenu(POINT{10, 10}, nullptr, c.textSelected), S_OK);
        const std::vector<std::pair<UINT, UINT>> expected = {
            {ID_BROWSER_COPY, c.copy}, {ID_BROWSER_SELECT_ALL, c.selectAll}, {ID_USB_PROPERTIES_EXPORT, c.exportState}};
        EXPECT_EQ(usbProp.items, expected);
        EXPECT_EQ(usbProp.commands, c.toPane ? std::vector<UINT>{c.answer} : std::vector<UINT>{});
        EXPECT_EQ(host->commands, c.toMain ? std::vector<UINT>{c.answer} : std::vector<UINT>{});
    }

    // A floating pane sits in a frame of its own, owned by the main window:
    // Export still goes to the main window.
    HWND floating = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300,
                                      *host, nullptr, nullptr, nullptr);
    ASSERT_NE(floating, nullptr);
    ::SetParent(usbProp.m_hWnd, floating);
    tree.SelectItem(Find(L"Port1: USB Mass Storage"));
    Pump();
    usbProp.answer = ID_USB_PROPERTIES_EXPORT;
    host->commands.clear();
    EXPECT_EQ(usbProp.OnShowContextMenu(POINT{10, 10}, nullptr, false), S_OK);
    EXPECT_EQ(host->commands, std::vector<UINT>{ID_USB_PROPERTIES_EXPORT});
    ::SetParent(usbProp.m_hWnd, *host);
    ::DestroyWindow(floating);
}

TEST_F(UsbPropsPanesTest, ExportWritesTheSavedReportOrSaysWhyNot) {
    ScriptedPrompts prompts;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"brx_usbprops_export";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& name : FolderFiles(folder)) {   // what a failed run left
        ::SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW((folder + L"\\" + name).c_str());
        ::RemoveDirectoryW((folder + L"\\" + name).c_str());
    }
    const std::wstring path = folder + L"\\stick.html";

    HTREEITEM item = Find(L"Port1: USB Mass Storage");
    tree.SelectItem(item);
    prompts.files.push_back(path);
    tree.SendMessage(WM_COMMAND, ID_USB_PROPERTIES_EXPORT);
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].initialName, L"USB Mass Storage Device");
    EXPECT_EQ(prompts.fileDialogs[0].filter, L"HTML Files (*.html);*.html;");
    EXPECT_EQ(prompts.fileDialogs[0].defaultExtension, L"html");
    EXPECT_TRUE(prompts.boxes.empty());
    const std::string saved = ReadFile(path);
    PageBuffer page(kUsbPropertiesPageCapacity);
    ASSERT_TRUE(WriteSavedUsbReport(page, tree.NodeOf(item), false, {}, "Brindlex", "https://www.brindlex.example/"));
    EXPECT_EQ(saved, std::string(page.view()));
    EXPECT_NE(saved.find("<title>Brindlex Report</title>"), std::string::npos);
    EXPECT_NE(saved.find("This report was generated by"), std::string::npos);
    SaveOutput("usbprops_export_stick.html", saved);
    EXPECT_EQ(FolderFiles(folder), std::vector<std::wstring>{L"stick.html"}) << "no temporary file is left";

    // The computer item: no heading, an empty default name.
    const std::wstring computerPath = folder + L"\\computer.html";
    tree.SelectItem(tree.GetRootItem());
    prompts.files.push_back(computerPath);
    tree.SendMessage(WM_COMMAND, ID_USB_PROPERTIES_EXPORT);
    ASSERT_EQ(prompts.fileDialogs.size(), 2u);
    EXPECT_EQ(prompts.fileDialogs[1].initialName, L"");
    const std::string computer = ReadFile(computerPath);
    EXPECT_NE(computer.find("Enhanced Host Controllers"), std::string::npos);
    EXPECT_EQ(computer.find("font-size:9pt;font-weight:bold;\">"), std::string::npos);

    // Cancelled: nothing written, nothing said.
    const std::wstring cancelled = folder + L"\\never.html";
    prompts.files.push_back(L"");
    tree.SendMessage(WM_COMMAND, ID_USB_PROPERTIES_EXPORT);
    EXPECT_TRUE(prompts.boxes.empty());

    // A folder that does not exist: the user is told, and nothing is left.
    const std::wstring bad = folder + L"\\missing\\x.html";
    prompts.files.push_back(bad);
    tree.SendMessage(WM_COMMAND, ID_USB_PROPERTIES_EXPORT);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.rfind(L"The export file " + bad + L" could not be created.\n\n", 0), 0u)
        << prompts.boxes[0].text;
    EXPECT_TRUE(prompts.boxes[0].type & MB_ICONERROR);

    // An existing file stays whole, and no temporary file is left, when the
    // new one cannot be written (a full disk, a short write) or cannot take
    // its place (the target is open in another program, which does not let
    // it go). (A read-only target would do under Windows; Wine replaces it.)
    const std::string before = ReadFile(path);
    ASSERT_FALSE(before.empty());
    struct Case {
        const char* name;
        FileWriteFunction write;
        bool targetOpen;
        DWORD error;   // the system's words for it end the message; 0: any error
    };
    const Case cases[] = {
        {"disk full", DiskFullWrite, false, ERROR_DISK_FULL},
        {"short write", ShortWrite, false, ERROR_WRITE_FAULT},
        {"target held open", ::WriteFile, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE held = c.targetOpen ? ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                   nullptr)
                                   : INVALID_HANDLE_VALUE;
        ASSERT_EQ(held != INVALID_HANDLE_VALUE, c.targetOpen);
        prompts.files.push_back(path);
        prompts.boxes.clear();
        EXPECT_EQ(ExportUsbReport(*host, tree.NodeOf(item), false, {}, c.write), ExportResult::Failed);
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
        ASSERT_EQ(prompts.boxes.size(), 1u);
        const std::wstring start = L"The export file " + path + L" could not be created.\n\n";
        EXPECT_EQ(prompts.boxes[0].text.rfind(start, 0), 0u) << prompts.boxes[0].text;
        if (c.error) {
            EXPECT_EQ(prompts.boxes[0].text, start + SystemErrorText(c.error));
        }
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(FolderFiles(folder).size(), 2u) << "stick.html and computer.html only";
    }
    // Written again, it replaces the old file.
    const std::string old = "old";
    { std::ofstream(path.c_str(), std::ios::binary) << old; }
    prompts.files.push_back(path);
    prompts.boxes.clear();
    EXPECT_EQ(ExportUsbReport(*host, tree.NodeOf(item), false, {}), ExportResult::Written);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(ReadFile(path), before);

    // A folder in the target's place stays, and the user is told.
    ::DeleteFileW(path.c_str());
    ::CreateDirectoryW(path.c_str(), nullptr);
    prompts.files.push_back(path);
    prompts.boxes.clear();
    tree.SendMessage(WM_COMMAND, ID_USB_PROPERTIES_EXPORT);
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    ::RemoveDirectoryW(path.c_str());
    EXPECT_EQ(FolderFiles(folder), std::vector<std::wstring>{L"computer.html"});
    ::DeleteFileW(computerPath.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace

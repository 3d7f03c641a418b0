// The device tree and device stack views on real windows under Wine, against
// the simulated capture driver and the simulated USB host sharing one
// machine: the topology with its check boxes, capture selection by clicks and
// the space bar (refused changes leave the boxes alone), the debounced
// automatic refresh and its setting in the first and in a second instance,
// selection by device object, and the stack rows with their icons. Saves
// device_views.bmp: both views side by side with one device checked.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <set>
#include <string>
#include <vector>

#include "app/devices/DeviceNode.h"
#include "app/devtree/win/DeviceStack.h"
#include "app/devtree/win/DeviceTree.h"
#include "capture/win/CaptureDriver.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"
#include "tests/app/devtree/win/ClassImageHost.h"
#include "tests/capture/win/TestRegistry.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"

using namespace brx;
using namespace brx::test;

namespace {

constexpr uint32_t kRootHub20 = 0, kExternalHub = 1;
constexpr uint32_t kUsbstorObject = 0x89A11830;    // the stick's second capturable object
constexpr uint32_t kHubPdo = 0x89A0F030;

const std::vector<std::wstring> kTree = {
    L"BRINDLEX-SIM",
    L"  Intel(R) ICH9 Family USB2 Enhanced Host Controller - 293C",
    L"    USB Root Hub",
    L"      Port1: USB Mass Storage Device (E:, F:)",
    L"        BRINDLEX SIM DISK USB Device",
    L"      Port2: Generic USB Hub",
    L"        Port1: USB Input Device",
    L"          HID-compliant mouse",
    L"        Port2: USB Input Device",
    L"          HID Keyboard Device",
    L"        Port3:",
    L"        Port4:",
    L"      Port3: USB Serial Device (COM3)",
    L"      Port4: USB Composite Device",
    L"        USB Serial Device (COM5)",
    L"        USB Mass Storage Device",
    L"  Intel(R) USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)",
    L"    USB Root Hub (USB 3.0)",
    L"      Port1: USB Printing Support",
    L"      Port2: Black Magic Probe DFU",
    L"  NEC PCI to USB Open Host Controller",
};

// The host forwards device changes to the tree, as the main frame does.
class CViewsHost : public CTestHostWnd {
public:
    CDeviceTree* tree = nullptr;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_DEVICECHANGE && tree) {
            result = tree->OnDeviceChange(wp, lp);
            return true;
        }
        return CTestHostWnd::OnWndMsg(msg, wp, lp, result);
    }
};

void PumpFor(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    for (;;) {
        Pump();
        const DWORD now = ::GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

class DeviceViewsTest : public ::testing::Test {
protected:
    explicit DeviceViewsTest(bool firstInstance = true) : usbHost(driverSim.Topology()), tree(firstInstance) {}

    void SetUp() override {
        ::InitCommonControls();
        ASSERT_NE(host.m_hWnd, nullptr);
        ASSERT_TRUE(driver.Connect());
        tree.SetCaptureDriver(&driver);
        tree.SetUsbHost(&usbHost);
        tree.SetDeviceStack(&stack);
        stack.SetDeviceTree(&tree);
        const CRect client = host.GetClientRect();
        ASSERT_TRUE(tree.Create(host, IDC_DEVICE_TREE, CRect(0, 0, client.Width() / 2 - 2, client.Height())));
        ASSERT_TRUE(stack.Create(host, IDC_DEVICE_STACK, CRect(client.Width() / 2 + 2, 0, client.Width(), client.Height())));
        stack.InitColumns();
        host.tree = &tree;
        ::SetForegroundWindow(host);
        tree.SetFocus();
    }

    void TearDown() override {
        host.tree = nullptr;
        tree.ClearTree();
        stack.Clear();
        stack.DestroyWindow();
        tree.DestroyWindow();
        Pump();
    }

    void Refresh() {
        tree.Refresh();
        Pump();
    }

    uint32_t Refreshes() { return driverSim.CallCount(IOCTL_BRX_GET_REFRESH_DATA); }

    // Every item's text, indented two spaces a level.
    void Lines(HTREEITEM first, int depth, std::vector<std::wstring>& lines) {
        for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item)) {
            lines.push_back(std::wstring(2 * depth, L' ') + tree.GetItemText(item));
            Lines(tree.GetChildItem(item), depth + 1, lines);
        }
    }
    std::vector<std::wstring> Lines() {
        std::vector<std::wstring> lines;
        Lines(tree.GetRootItem(), 0, lines);
        return lines;
    }

    HTREEITEM Find(const std::wstring& prefix, HTREEITEM first = nullptr) {
        for (HTREEITEM item = first ? first : tree.GetRootItem(); item; item = tree.GetNextSiblingItem(item)) {
            if (tree.GetItemText(item).rfind(prefix, 0) == 0)
                return item;
            if (HTREEITEM child = tree.GetChildItem(item))
                if (HTREEITEM found = Find(prefix, child))
                    return found;
        }
        return nullptr;
    }

    uint32_t State(HTREEITEM item) { return tree.GetItemState(item, TVIS_STATEIMAGEMASK) >> 12; }
    uint32_t RowState(int row) { return stack.GetItemState(row, LVIS_STATEIMAGEMASK) >> 12; }

    // A point of the item's state image, found by hit tests along its row.
    POINT StateIconPoint(HTREEITEM item) {
        RECT rc{};
        tree.GetItemRect(item, rc, TRUE);
        for (int x = 0; x < rc.left; ++x) {
            TVHITTESTINFO hit{};
            hit.pt = {x, (rc.top + rc.bottom) / 2};
            if (tree.HitTest(hit) == item && (hit.flags & TVHT_ONITEMSTATEICON))
                return hit.pt;
        }
        ADD_FAILURE() << "no state image";
        return {-1, -1};
    }
    POINT LabelPoint(HTREEITEM item) {
        RECT rc{};
        tree.GetItemRect(item, rc, TRUE);
        return {rc.left + 4, (rc.top + rc.bottom) / 2};
    }
    // A click as the user makes it: the release is already waiting when the
    // control handles the press (both controls watch for it before they
    // report the click).
    static void Click(CWnd& wnd, POINT pt) {
        wnd.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        Pump();
    }
    static void Key(CWnd& wnd, UINT vk) {
        wnd.SendMessage(WM_KEYDOWN, vk, 1);
        wnd.SendMessage(WM_KEYUP, vk, 0xC0000001);
        Pump();
    }

    // A point of a stack row's state image or of its label.
    POINT RowPoint(int row, bool stateIcon) {
        RECT rc{};
        stack.GetItemRect(row, rc, LVIR_LABEL);
        if (!stateIcon)
            return {rc.left + 6, (rc.top + rc.bottom) / 2};
        for (int x = 0; x < rc.left; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = {x, (rc.top + rc.bottom) / 2};
            if (stack.HitTest(hit) == row && hit.flags == LVHT_ONITEMSTATEICON)
                return hit.pt;
        }
        ADD_FAILURE() << "no state image in row " << row;
        return {-1, -1};
    }

    std::set<uint32_t> Objects(HTREEITEM item) {
        const std::vector<uint32_t> v = CapturableObjects(tree.NodeOf(item)->stack.get());
        return {v.begin(), v.end()};
    }

    brx::testing::TestRegistry registry;
    CViewsHost& host = *SharedHost<CViewsHost>(CRect(20, 20, 940, 460));
    CSimulatedDriver driverSim;
    CCaptureDriver driver{&driverSim, nullptr};
    CSimulatedUsbHost usbHost;
    CDeviceTree tree;
    CDeviceStack stack;
};

TEST_F(DeviceViewsTest, TreeShowsTheMachineWithBoxesForCapturableStacks) {
    Refresh();
    EXPECT_EQ(Lines(), kTree);
    EXPECT_EQ(tree.Counts().hostControllers, 3u);
    EXPECT_EQ(tree.NodeOf(tree.GetRootItem()), nullptr);
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);

    // Images: the system has no class images here, so the tree's own serve.
    EXPECT_FALSE(tree.HasClassImages());
    auto image = [&](HTREEITEM item) {
        TVITEMW it{};
        it.mask = TVIF_IMAGE | TVIF_HANDLE;
        it.hItem = item;
        tree.GetItem(it);
        return it.iImage;
    };
    const CDeviceTree::IMAGES& images = tree.Images();
    EXPECT_EQ(image(tree.GetRootItem()), images.computer);
    EXPECT_EQ(image(Find(L"Intel(R) ICH9")), images.hostController);
    EXPECT_EQ(image(Find(L"USB Root Hub")), images.hub);
    EXPECT_EQ(image(Find(L"Port2: Generic")), images.hub);
    EXPECT_EQ(image(Find(L"Port4:")), images.emptyPort);
    EXPECT_EQ(image(Find(L"Port1: USB Mass")), images.unknownDevice);
    EXPECT_EQ(::ImageList_GetImageCount(tree.GetImageList(TVSIL_STATE)), 5);

    // Boxes only where the stack has objects to capture; none selected yet.
    struct Case {
        const wchar_t* prefix;
        uint32_t state;
    } cases[] = {
        {L"Intel(R) ICH9", CAPTURE_STATE_NONE},   {L"USB Root Hub", CAPTURE_STATE_NONE},
        {L"Port1: USB Mass", CAPTURE_STATE_UNCHECKED}, {L"BRINDLEX SIM DISK", CAPTURE_STATE_NONE},
        {L"Port2: Generic", CAPTURE_STATE_UNCHECKED},  {L"Port1: USB Input", CAPTURE_STATE_UNCHECKED},
        {L"Port4:", CAPTURE_STATE_NONE},
        // The composite device's own stack captures nothing; its serial function does.
        {L"Port4: USB Composite", CAPTURE_STATE_NONE}, {L"USB Serial Device (COM5)", CAPTURE_STATE_UNCHECKED},
        {L"Port1: USB Printing", CAPTURE_STATE_UNCHECKED}, {L"Port2: Black Magic", CAPTURE_STATE_UNCHECKED},
    };
    for (const Case& c : cases)
        EXPECT_EQ(State(Find(c.prefix)), c.state) << std::string(c.prefix, c.prefix + wcslen(c.prefix));
}

TEST_F(DeviceViewsTest, WithTheSystemsClassImagesDevicesShowTheirClass) {
    CClassImageHost classHost(usbHost);
    tree.SetUsbHost(&classHost);
    Refresh();
    ASSERT_TRUE(tree.HasClassImages());
    auto image = [&](HTREEITEM item) {
        TVITEMW it{};
        it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
        it.hItem = item;
        tree.GetItem(it);
        EXPECT_EQ(it.iImage, it.iSelectedImage);
        return it.iImage;
    };
    const CDeviceTree::IMAGES& images = tree.Images();
    // The class images come first; the tree's own icons follow them, and the
    // computer is the computer class's image.
    EXPECT_EQ(images.computer, 0);
    EXPECT_EQ(images.unknownDevice, 3);
    EXPECT_EQ(images.problem, 7);
    EXPECT_EQ(::ImageList_GetImageCount(tree.GetImageList(TVSIL_NORMAL)), 8);
    EXPECT_EQ(image(tree.GetRootItem()), 0);
    EXPECT_EQ(image(Find(L"Port1: USB Mass")), 1);       // USB class
    EXPECT_EQ(image(Find(L"Port1: USB Input")), 2);      // HID class
    EXPECT_EQ(image(Find(L"BRINDLEX SIM DISK")), images.unknownDevice);   // a class without an image
    EXPECT_EQ(image(Find(L"Port2: Generic")), images.hub);
    EXPECT_EQ(image(Find(L"Port4:")), images.emptyPort);

    // Each refresh gives the system's list back before it takes a new one.
    Refresh();
    EXPECT_EQ(classHost.listsMade, 2);
    EXPECT_EQ(classHost.listsDestroyed, 1);
    tree.ClearTree();
    EXPECT_EQ(classHost.listsDestroyed, 2);
    tree.SetUsbHost(&usbHost);
}

TEST_F(DeviceViewsTest, TheBoxesShowTheDriversSelectionInThreeStates) {
    // One of the stick's two objects and both of the hub's.
    const uint32_t some[] = {1, kUsbstorObject};
    const uint32_t all[] = {2, kHubPdo, 0x89A0F130};
    ASSERT_TRUE(driver.AddCaptureDevices(some));
    ASSERT_TRUE(driver.AddCaptureDevices(all));
    Refresh();
    EXPECT_EQ(State(Find(L"Port1: USB Mass")), CAPTURE_STATE_SOME);
    EXPECT_EQ(State(Find(L"Port2: Generic")), CAPTURE_STATE_CHECKED);
    EXPECT_EQ(State(Find(L"Port1: USB Input")), CAPTURE_STATE_UNCHECKED);
}

TEST_F(DeviceViewsTest, ClickingTheBoxSelectsWhatWasClickedInTheDriver) {
    Refresh();
    HTREEITEM stick = Find(L"Port1: USB Mass");
    ASSERT_TRUE(stick);
    const std::set<uint32_t> objects = Objects(stick);
    EXPECT_EQ(objects, (std::set<uint32_t>{SIM_STICK_OBJECT, kUsbstorObject}));
    tree.SelectItem(stick);
    ASSERT_EQ(stack.GetItemCount(), 2);
    EXPECT_EQ(RowState(0), STACK_STATE_UNCHECKED);

    Click(tree, StateIconPoint(stick));
    EXPECT_EQ(driverSim.SelectedDevices(), objects);
    EXPECT_EQ(State(stick), CAPTURE_STATE_CHECKED);
    EXPECT_EQ(tree.CaptureSelection().Objects().size(), 2u);   // reloaded from the driver
    EXPECT_EQ(RowState(0), STACK_STATE_CHECKED) << "the stack pane shows the new selection";
    EXPECT_EQ(RowState(1), STACK_STATE_CHECKED);

    // A second device adds to the selection; a click on a checked box removes.
    HTREEITEM keyboard = Find(L"Port2: USB Input");
    Click(tree, StateIconPoint(keyboard));
    EXPECT_EQ(driverSim.SelectedDevices().size(), 4u);
    Click(tree, StateIconPoint(stick));
    EXPECT_EQ(driverSim.SelectedDevices(), Objects(keyboard));
    EXPECT_EQ(State(stick), CAPTURE_STATE_UNCHECKED);

    // A partly checked box removes what is selected.
    const uint32_t one[] = {1, kUsbstorObject};
    ASSERT_TRUE(driver.AddCaptureDevices(one));
    Refresh();
    stick = Find(L"Port1: USB Mass");
    ASSERT_EQ(State(stick), CAPTURE_STATE_SOME);
    Click(tree, StateIconPoint(stick));
    EXPECT_EQ(State(stick), CAPTURE_STATE_UNCHECKED);
    EXPECT_EQ(driverSim.SelectedDevices().count(kUsbstorObject), 0u);

    // Clicking a label selects the item without touching the capture.
    const std::set<uint32_t> before = driverSim.SelectedDevices();
    Click(tree, LabelPoint(stick));
    EXPECT_EQ(tree.GetSelectedItem(), stick);
    EXPECT_EQ(driverSim.SelectedDevices(), before);
    EXPECT_EQ(State(stick), CAPTURE_STATE_UNCHECKED);
}

TEST_F(DeviceViewsTest, ARefusedChangeLeavesTheBoxAsItWas) {
    Refresh();
    HTREEITEM stick = Find(L"Port1: USB Mass");
    driverSim.SetFailure(IOCTL_BRX_ADD_CAPTURE_DEVICES, ERROR_ACCESS_DENIED);
    Click(tree, StateIconPoint(stick));
    EXPECT_TRUE(driverSim.SelectedDevices().empty());
    EXPECT_EQ(State(stick), CAPTURE_STATE_UNCHECKED);

    driverSim.SetFailure(IOCTL_BRX_ADD_CAPTURE_DEVICES, 0);
    Click(tree, StateIconPoint(stick));
    ASSERT_EQ(State(stick), CAPTURE_STATE_CHECKED);
    driverSim.SetFailure(IOCTL_BRX_REMOVE_CAPTURE_DEVICES, ERROR_GEN_FAILURE);
    Click(tree, StateIconPoint(stick));
    EXPECT_EQ(State(stick), CAPTURE_STATE_CHECKED);
    EXPECT_EQ(driverSim.SelectedDevices().size(), 2u);
}

TEST_F(DeviceViewsTest, TheSpaceBarTogglesTheSelectedItemOnlyWhenItHasABox) {
    Refresh();
    HTREEITEM hub = Find(L"Port2: Generic");
    tree.SelectItem(hub);
    Key(tree, VK_SPACE);
    EXPECT_EQ(State(hub), CAPTURE_STATE_CHECKED);
    EXPECT_EQ(driverSim.SelectedDevices(), Objects(hub));
    Key(tree, VK_SPACE);
    EXPECT_EQ(State(hub), CAPTURE_STATE_UNCHECKED);
    EXPECT_TRUE(driverSim.SelectedDevices().empty());

    // The disk's stack has nothing to capture: no box, and Space does nothing.
    HTREEITEM disk = Find(L"BRINDLEX SIM DISK");
    tree.SelectItem(disk);
    const uint32_t adds = driverSim.CallCount(IOCTL_BRX_ADD_CAPTURE_DEVICES);
    Key(tree, VK_SPACE);
    EXPECT_EQ(State(disk), CAPTURE_STATE_NONE);
    EXPECT_EQ(driverSim.CallCount(IOCTL_BRX_ADD_CAPTURE_DEVICES), adds);
}

TEST_F(DeviceViewsTest, DeviceChangesGiveOneRefreshAQuietMomentAfterTheLast) {
    Refresh();
    const uint32_t before = Refreshes();
    DWORD last = 0;
    for (WPARAM event : {WPARAM{DBT_DEVICEARRIVAL}, WPARAM{DBT_DEVNODES_CHANGED}, WPARAM{DBT_DEVICEREMOVECOMPLETE}}) {
        host.SendMessage(WM_DEVICECHANGE, event, 0);
        last = ::GetTickCount();
        PumpFor(500);
        EXPECT_EQ(Refreshes(), before) << "no refresh while notifications keep coming";
    }
    // Other events do not restart the wait.
    host.SendMessage(WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, 0);
    PumpFor(1100 - (::GetTickCount() - last));
    EXPECT_EQ(Refreshes(), before) << "not before 1200 ms after the last";
    const DWORD end = last + 5000;
    while (Refreshes() == before && static_cast<LONG>(end - ::GetTickCount()) > 0)
        PumpFor(20);
    EXPECT_GE(::GetTickCount() - last, 1200u);
    EXPECT_EQ(Refreshes(), before + 1);
    PumpFor(1500);
    EXPECT_EQ(Refreshes(), before + 1) << "one shot";
    // A timer of the same id that no device change asked for is the control's.
    tree.SendMessage(WM_TIMER, CDeviceTree::kRefreshTimer, 0);
    EXPECT_EQ(Refreshes(), before + 1);
}

TEST_F(DeviceViewsTest, UnpluggingADeviceRebuildsTheTreeWithoutIt) {
    Refresh();
    // The main frame registers for USB device interfaces; so does the host.
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HDEVNOTIFY registration = usbHost.RegisterDeviceNotificationW(host, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    ASSERT_NE(registration, nullptr);
    ASSERT_TRUE(Find(L"HID-compliant mouse"));
    const uint32_t before = Refreshes();
    usbHost.Unplug(kExternalHub, 1);
    PumpFor(1000);
    EXPECT_TRUE(Find(L"HID-compliant mouse")) << "not yet";
    const DWORD end = ::GetTickCount() + 3000;
    while (Refreshes() == before && static_cast<LONG>(end - ::GetTickCount()) > 0)
        PumpFor(20);
    EXPECT_EQ(Refreshes(), before + 1);
    EXPECT_FALSE(Find(L"HID-compliant mouse"));
    EXPECT_TRUE(Find(L"HID Keyboard Device"));
    HTREEITEM port = Find(L"Port1:", Find(L"Port2: Generic"));
    ASSERT_TRUE(port);
    EXPECT_EQ(tree.GetItemText(port), L"Port1:");
    usbHost.UnregisterDeviceNotification(registration);
}

TEST_F(DeviceViewsTest, AutoRefreshSettingIsReadAtCreationAndWrittenOnToggle) {
    EXPECT_TRUE(tree.AutoRefresh());
    EXPECT_TRUE(tree.DisplayDeviceComponents());
    CTestCmdUI ui;
    ui.m_nID = ID_DEVICE_AUTO_REFRESH;
    ASSERT_TRUE(tree.OnUpdateCommand(ui));
    EXPECT_TRUE(ui.m_bEnabled);
    EXPECT_EQ(ui.m_nCheck, 1);

    ASSERT_TRUE(tree.ExecuteCommand(ID_DEVICE_AUTO_REFRESH));
    EXPECT_FALSE(tree.AutoRefresh());
    EXPECT_EQ(ReadAppRegDword(L"DeviceTree", L"AutoRefresh", 7), 0u);
    EXPECT_EQ(ReadAppRegDword(L"DeviceTree", L"DisplayDeviceComponents", 7), 1u);

    // Off: device changes start nothing.
    Refresh();
    const uint32_t before = Refreshes();
    host.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    PumpFor(1500);
    EXPECT_EQ(Refreshes(), before);

    // A new tree reads the stored choice; any non-zero value reads as on.
    tree.DestroyWindow();
    WriteAppRegDword(L"DeviceTree", L"DisplayDeviceComponents", 5);
    CDeviceTree other;
    EXPECT_TRUE(other.AutoRefresh());   // before its window exists
    ASSERT_TRUE(other.Create(host, IDC_DEVICE_TREE));
    EXPECT_FALSE(other.AutoRefresh());
    EXPECT_TRUE(other.DisplayDeviceComponents());
    other.DestroyWindow();
}

TEST_F(DeviceViewsTest, DisplayDeviceComponentsTogglesTheComponentItems) {
    Refresh();
    EXPECT_TRUE(Find(L"HID-compliant mouse"));
    ASSERT_TRUE(tree.ExecuteCommand(ID_DEVICE_DISPLAY_COMPONENTS));
    EXPECT_FALSE(tree.DisplayDeviceComponents());
    EXPECT_FALSE(Find(L"HID-compliant mouse"));
    EXPECT_TRUE(Find(L"Port1: USB Input"));
    EXPECT_EQ(ReadAppRegDword(L"DeviceTree", L"DisplayDeviceComponents", 7), 0u);
    CTestCmdUI ui;
    ui.m_nID = ID_DEVICE_DISPLAY_COMPONENTS;
    ASSERT_TRUE(tree.OnUpdateCommand(ui));
    EXPECT_EQ(ui.m_nCheck, 0);
}

TEST_F(DeviceViewsTest, SelectingTheComputerEmptiesTheStackPane) {
    Refresh();
    tree.SelectItem(Find(L"Port1: USB Mass"));
    Pump();
    EXPECT_EQ(stack.GetItemCount(), 2);
    tree.SelectItem(tree.GetRootItem());
    Pump();
    EXPECT_EQ(stack.GetItemCount(), 0);
    // A refresh leaves no selection and an empty pane.
    tree.SelectItem(Find(L"Port1: USB Mass"));
    Refresh();
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    EXPECT_EQ(stack.GetItemCount(), 0);
}

TEST_F(DeviceViewsTest, SelectByDeviceObjectFindsTheItemAndTheRow) {
    Refresh();
    tree.SelectByDeviceObject(kUsbstorObject);
    Pump();
    EXPECT_EQ(tree.GetSelectedItem(), Find(L"Port1: USB Mass"));
    ASSERT_EQ(stack.GetItemCount(), 2);
    EXPECT_EQ(stack.GetNextItem(-1, LVNI_SELECTED), 0);   // the top object
    EXPECT_EQ(static_cast<uint32_t>(stack.GetItemData(0)), kUsbstorObject);

    // An object no item shows clears the selection and the pane.
    tree.SelectByDeviceObject(0x12345678);
    Pump();
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    EXPECT_EQ(stack.GetItemCount(), 0);
    // Objects that cannot be captured are not looked up either.
    tree.SelectByDeviceObject(0x89C11030);   // the disk's PDO
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
}

TEST_F(DeviceViewsTest, StackListsObjectsTopFirstWithIconsAndNames) {
    Refresh();
    tree.SelectItem(Find(L"BRINDLEX SIM DISK"));
    Pump();
    ASSERT_EQ(stack.GetItemCount(), 3);
    const struct {
        const wchar_t* name;
        const wchar_t* object;
        const wchar_t* driver;
        int icon;
    } rows[] = {
        {L"", L"89C11230", L"partmgr", stack.TopIcon()},
        {L"DR1", L"89C11130", L"disk", stack.MiddleIcon()},
        {L"00000072", L"89C11030", L"USBSTOR", stack.BottomIcon()},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(stack.GetItemText(i, 0), rows[i].name) << i;
        EXPECT_EQ(stack.GetItemText(i, 1), rows[i].object) << i;
        EXPECT_EQ(stack.GetItemText(i, 2), rows[i].driver) << i;
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        stack.GetItem(item);
        EXPECT_EQ(item.iImage, rows[i].icon) << i;
        EXPECT_EQ(RowState(i), STACK_STATE_NONE) << "nothing to capture";
    }
    EXPECT_NE(stack.TopIcon(), stack.MiddleIcon());
    EXPECT_NE(stack.TopIcon(), stack.BottomIcon());

    HWND header = stack.GetHeaderCtrl();
    ASSERT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(stack.GetColumnWidth(0), 120);
    EXPECT_EQ(stack.GetColumnWidth(1), 80);
    EXPECT_EQ(stack.GetExtendedStyle() & 0x21u, 0x21u);
}

TEST_F(DeviceViewsTest, StackBoxesToggleByTheirIconAndSpaceNotByTheLabel) {
    Refresh();
    HTREEITEM stick = Find(L"Port1: USB Mass");
    tree.SelectItem(stick);
    Pump();
    ASSERT_EQ(stack.GetItemCount(), 2);
    EXPECT_EQ(RowState(0), STACK_STATE_UNCHECKED);
    EXPECT_EQ(RowState(1), STACK_STATE_UNCHECKED);

    stack.SetFocus();
    Click(stack, RowPoint(0, false));
    EXPECT_EQ(stack.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_EQ(RowState(0), STACK_STATE_UNCHECKED) << "a label click does not toggle";
    EXPECT_TRUE(driverSim.SelectedDevices().empty());

    Click(stack, RowPoint(1, true));
    EXPECT_EQ(RowState(1), STACK_STATE_CHECKED);
    EXPECT_EQ(driverSim.SelectedDevices(), (std::set<uint32_t>{SIM_STICK_OBJECT}));
    EXPECT_EQ(State(stick), CAPTURE_STATE_SOME) << "the tree follows";

    stack.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Key(stack, VK_SPACE);
    EXPECT_EQ(RowState(0), STACK_STATE_CHECKED);
    EXPECT_EQ(State(stick), CAPTURE_STATE_CHECKED);

    // Refused: the row keeps its box, and so does the tree.
    driverSim.SetFailure(IOCTL_BRX_REMOVE_CAPTURE_DEVICES, ERROR_ACCESS_DENIED);
    Key(stack, VK_SPACE);
    EXPECT_EQ(RowState(0), STACK_STATE_CHECKED);
    EXPECT_EQ(State(stick), CAPTURE_STATE_CHECKED);
    driverSim.SetFailure(IOCTL_BRX_REMOVE_CAPTURE_DEVICES, 0);
    Key(stack, VK_SPACE);
    EXPECT_EQ(RowState(0), STACK_STATE_UNCHECKED);
    EXPECT_EQ(State(stick), CAPTURE_STATE_SOME);
}

TEST_F(DeviceViewsTest, WithoutTheDriverThereAreNoStacksOrBoxes) {
    driver.Disconnect();
    Refresh();
    EXPECT_EQ(Lines(), kTree);
    HTREEITEM stick = Find(L"Port1: USB Mass");
    EXPECT_EQ(State(stick), CAPTURE_STATE_NONE);
    tree.SelectItem(stick);
    Pump();
    EXPECT_EQ(stack.GetItemCount(), 0);
}

TEST_F(DeviceViewsTest, ScreenshotOfBothViewsWithOneDeviceChecked) {
    Refresh();
    HTREEITEM stick = Find(L"Port1: USB Mass");
    Click(tree, StateIconPoint(stick));
    tree.SelectItem(stick);
    tree.SetFocus();
    Pump();
    host.Invalidate();
    host.UpdateWindow();
    ::RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    EXPECT_EQ(RowState(0), STACK_STATE_CHECKED);
    EXPECT_TRUE(SaveScreenshot(host, "device_views.bmp"));

    // The buffered paint of the list leaves its header to the header: its
    // captions show on the screen, not the list's background.
    RECT header{};
    ::GetWindowRect(stack.GetHeaderCtrl(), &header);
    HDC screen = ::GetDC(nullptr);
    const COLORREF background = ::GetPixel(screen, header.left + 2, header.bottom + 80);
    int drawn = 0;
    for (int y = header.top + 2; y < header.bottom - 2; ++y)
        for (int x = header.left + 2; x < header.left + 60; ++x)
            drawn += ::GetPixel(screen, x, y) != background;
    ::ReleaseDC(nullptr, screen);
    EXPECT_GT(drawn, 20) << "the header's first caption";
}

TEST_F(DeviceViewsTest, ADeviceWithAProblemCarriesTheOverlay) {
    Refresh();
    const DEVICE_NODE* serial = tree.NodeOf(Find(L"Port3: USB Serial"));
    ASSERT_TRUE(serial);
    const uint32_t devinst = usbHost.Topology().FindDevnode(serial->instanceId);
    ASSERT_NE(devinst, 0u);
    usbHost.Topology().Devnode(devinst).status |= DN_HAS_PROBLEM;
    usbHost.Topology().Devnode(devinst).problem = CM_PROB_FAILED_START;
    Refresh();
    EXPECT_EQ(tree.GetItemState(Find(L"Port3: USB Serial"), TVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(tree.GetItemState(Find(L"Port1: USB Mass"), TVIS_OVERLAYMASK), 0u);
}

// The context menu: what its items show, where it opens. A thread timer looks
// at the open menu and closes it.
struct MENU_SEEN {
    bool open = false;
    RECT where{};
    std::vector<std::pair<UINT, UINT>> items;   // id, state
};
MENU_SEEN* g_seen = nullptr;

void CALLBACK LookAtMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (!popup || !g_seen || g_seen->open)
        return;
    g_seen->open = true;
    ::GetWindowRect(popup, &g_seen->where);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
        const UINT id = ::GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1))
            g_seen->items.push_back({id, ::GetMenuState(menu, id, MF_BYCOMMAND)});
    }
    ::EndMenu();
}

MENU_SEEN OpenContextMenu(CDeviceTree& tree, POINT at) {
    MENU_SEEN seen;
    g_seen = &seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, LookAtMenu);
    tree.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree.m_hWnd), MAKELPARAM(at.x, at.y));
    ::KillTimer(nullptr, timer);
    g_seen = nullptr;
    return seen;
}

UINT StateOf(const MENU_SEEN& seen, UINT id) {
    for (const auto& [item, state] : seen.items)
        if (item == id)
            return state;
    ADD_FAILURE() << "no item " << id;
    return 0;
}

TEST_F(DeviceViewsTest, ContextMenuShowsTheSwitchesAndOpensAtTheSelectedItem) {
    Refresh();
    HTREEITEM stick = Find(L"Port1: USB Mass");
    tree.SelectItem(stick);
    Pump();
    MENU_SEEN seen = OpenContextMenu(tree, POINT{-1, -1});
    ASSERT_TRUE(seen.open);
    EXPECT_EQ(seen.items.size(), 5u);
    EXPECT_TRUE(StateOf(seen, ID_DEVICE_AUTO_REFRESH) & MF_CHECKED);
    EXPECT_FALSE(StateOf(seen, ID_DEVICE_AUTO_REFRESH) & MF_GRAYED);
    EXPECT_TRUE(StateOf(seen, ID_DEVICE_DISPLAY_COMPONENTS) & MF_CHECKED);
    EXPECT_FALSE(StateOf(seen, ID_DEVICE_REFRESH) & MF_GRAYED);
    // A removable device without a problem: restarting and the device's
    // property sheet are offered.
    EXPECT_FALSE(StateOf(seen, ID_DEVICE_RESTART) & MF_GRAYED);
    EXPECT_FALSE(StateOf(seen, ID_DEVICE_PROPERTIES) & MF_GRAYED);
    // Below the left end of the item's text.
    RECT text{};
    tree.GetItemRect(stick, text, TRUE);
    POINT corner{text.left, text.bottom};
    ::ClientToScreen(tree, &corner);
    EXPECT_EQ(seen.where.left, corner.x);
    EXPECT_EQ(seen.where.top, corner.y);

    // Without a selection the keyboard's menu opens near the window's corner.
    tree.SelectItem(nullptr);
    seen = OpenContextMenu(tree, POINT{-1, -1});
    ASSERT_TRUE(seen.open);
    const CRect window = tree.GetWindowRect();
    EXPECT_EQ(seen.where.left, window.left + 5);
    EXPECT_EQ(seen.where.top, window.top + 5);
}

// A second running instance.
class SecondInstanceTest : public DeviceViewsTest {
protected:
    SecondInstanceTest() : DeviceViewsTest(false) {}
};

TEST_F(SecondInstanceTest, DoesNotRefreshByItselfAndNeverWritesTheSetting) {
    EXPECT_FALSE(tree.AutoRefresh());
    Refresh();
    const uint32_t before = Refreshes();
    host.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    PumpFor(1500);
    EXPECT_EQ(Refreshes(), before);

    CTestCmdUI ui;
    ui.m_nID = ID_DEVICE_AUTO_REFRESH;
    ASSERT_TRUE(tree.OnUpdateCommand(ui));
    EXPECT_FALSE(ui.m_bEnabled);
    EXPECT_EQ(ui.m_nCheck, 0);

    tree.OnCommand(*std::make_unique<CCommand>(ID_DEVICE_AUTO_REFRESH));
    EXPECT_FALSE(tree.AutoRefresh());
    tree.DestroyWindow();
    DWORD type = 0;
    std::string bytes;
    EXPECT_FALSE(registry.Get(L"DeviceTree", L"AutoRefresh", type, bytes));
    EXPECT_TRUE(registry.Get(L"DeviceTree", L"DisplayDeviceComponents", type, bytes));
}

TEST_F(SecondInstanceTest, ContextMenuHasAutoRefreshDisabled) {
    Refresh();
    const MENU_SEEN seen = OpenContextMenu(tree, POINT{-1, -1});
    ASSERT_TRUE(seen.open);
    EXPECT_TRUE(StateOf(seen, ID_DEVICE_AUTO_REFRESH) & MF_GRAYED);
    EXPECT_FALSE(StateOf(seen, ID_DEVICE_AUTO_REFRESH) & MF_CHECKED);
}

TEST_F(SecondInstanceTest, IgnoresAStoredAutoRefresh) {
    tree.DestroyWindow();
    WriteAppRegDword(L"DeviceTree", L"AutoRefresh", 1);
    CDeviceTree second(false);
    ASSERT_TRUE(second.Create(host, IDC_DEVICE_TREE));
    EXPECT_FALSE(second.AutoRefresh());
    second.DestroyWindow();
}

} // namespace

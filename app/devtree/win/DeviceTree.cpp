#include "app/devtree/win/DeviceTree.h"

#include <dbt.h>

#include <algorithm>
#include <optional>

#include "app/devices/win/UsbHost.h"
#include "app/devtree/win/DeviceStack.h"
#include "app/devtree/win/DeviceViewImages.h"
#include "app/usbprops/win/PnpProp.h"
#include "app/usbprops/win/UsbProp.h"
#include "app/usbprops/win/UsbReportExport.h"
#include "capture/win/Prompts.h"
#include "toolkit/html/HtmlHost.h"
#include "base/win/WaitCursor.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/SettingsStore.h"
#include "framework/FrameworkDefs.h"
#include "framework/Menu.h"
#include "framework/MsgArgs.h"

namespace brx {

namespace {

const wchar_t kSection[] = L"DeviceTree";
const wchar_t kAutoRefreshValue[] = L"AutoRefresh";
const wchar_t kComponentsValue[] = L"DisplayDeviceComponents";
const wchar_t kDefaultRootText[] = L"Computer";
constexpr DWORD kComputerNameChars = 16;

const GUID kComputerClass = {0x4D36E966, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// The USB setup class {36FC9E60-C465-11CF-8056-444553540000}.
const GUID kUsbSetupClass = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DWORD kCompatibleIdBytes = 2048;
constexpr DWORD kCompatibleIdMaxBytes = 0x10000;

HTREEITEM ItemArg(DEVICE_ITEM item) { return static_cast<HTREEITEM>(item); }
wchar_t* W(const WString& s) { return const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(s.c_str())); }

} // namespace

CDeviceTree::CDeviceTree(bool firstInstance)
    : firstInstance_(firstInstance), autoRefresh_(firstInstance),
      enumerator_(std::make_unique<CDeviceEnumerator>()) {
    classImages_.cbSize = sizeof(classImages_);
}

CDeviceTree::~CDeviceTree() {
    if (m_hWnd)
        DestroyWindow();
    FreeImageLists();
}

void CDeviceTree::SetUsbHost(IUsbHost* host) {
    host_ = host;
    enumerator_ = std::make_unique<CDeviceEnumerator>(host);
}

CCaptureDriver& CDeviceTree::Driver() const { return driver_ ? *driver_ : GetCaptureDriver(); }
IUsbHost& CDeviceTree::Host() const { return host_ ? *host_ : UsbHost(); }

BOOL CDeviceTree::Create(HWND parent, UINT id, const RECT& rect, DWORD style) {
    return CTreeCtrl::Create(style, rect, parent, id);
}

// ---------------------------------------------------------------------------
// Settings

void CDeviceTree::LoadSettings() {
    if (firstInstance_)
        autoRefresh_ = ReadAppRegDword(kSection, kAutoRefreshValue, 1) != 0;
    displayComponents_ = ReadAppRegDword(kSection, kComponentsValue, 1) != 0;
}

void CDeviceTree::SaveSettings() {
    if (firstInstance_)
        WriteAppRegDword(kSection, kAutoRefreshValue, autoRefresh_ ? 1 : 0);
    WriteAppRegDword(kSection, kComponentsValue, displayComponents_ ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Images

void CDeviceTree::FreeImageLists() {
    if (m_hWnd) {
        SetImageList(nullptr, TVSIL_NORMAL);
        SetImageList(nullptr, TVSIL_STATE);
    }
    if (classImagesLoaded_)
        Host().SetupDiDestroyClassImageList(&classImages_);
    classImagesLoaded_ = false;
    classImages_ = SP_CLASSIMAGELIST_DATA{};
    classImages_.cbSize = sizeof(classImages_);
    if (ownImages_)
        ::ImageList_Destroy(ownImages_);
    ownImages_ = nullptr;
    if (stateImages_)
        ::ImageList_Destroy(stateImages_);
    stateImages_ = nullptr;
    images_ = IMAGES{};
}

void CDeviceTree::LoadImageLists() {
    FreeImageLists();
    HIMAGELIST normal = nullptr;
    if (Host().SetupDiGetClassImageList(&classImages_) && classImages_.ImageList) {
        classImagesLoaded_ = true;
        normal = classImages_.ImageList;
        int index = -1;
        if (Host().SetupDiGetClassImageIndex(&classImages_, &kComputerClass, &index) && index >= 0)
            images_.computer = index;
    } else {
        // No class images (as under Wine): the tree's own icons alone.
        classImages_.cbSize = sizeof(classImages_);
        ownImages_ = CreateSmallImageList(colorFlags_, 8);
        normal = ownImages_;
    }
    if (images_.computer < 0)
        images_.computer = AddIconResource(normal, IDI_COMPUTER);
    images_.unknownDevice = AddIconResource(normal, IDI_UNKNOWN_DEVICE);
    images_.hostController = AddIconResource(normal, IDI_HOST_CONTROLLER);
    images_.hub = AddIconResource(normal, IDI_HUB);
    images_.emptyPort = AddIconResource(normal, IDI_EMPTY_PORT);
    images_.problem = AddIconResource(normal, IDI_DEVICE_PROBLEM);
    if (images_.problem >= 0)
        ::ImageList_SetOverlayImage(normal, images_.problem, 1);
    SetImageList(normal, TVSIL_NORMAL);
    stateImages_ = LoadCaptureStateImages();
    SetImageList(stateImages_, TVSIL_STATE);
}

int CDeviceTree::NodeImage(const DEVICE_NODE& node) const {
    switch (node.kind) {
    case NODE_HOST_CONTROLLER: return images_.hostController;
    case NODE_ROOT_HUB:
    case NODE_EXTERNAL_HUB: return images_.hub;
    default: break;
    }
    if (node.connection && node.connection->connectionStatus == 0)
        return images_.emptyPort;
    if (classImagesLoaded_ && !node.instanceId.empty()) {
        IUsbHost& host = Host();
        HDEVINFO set = host.SetupDiCreateDeviceInfoList(nullptr, nullptr);
        int index = -1;
        if (set != INVALID_HANDLE_VALUE) {
            SP_DEVINFO_DATA data{};
            data.cbSize = sizeof(data);
            if (host.SetupDiOpenDeviceInfoW(set, W(node.instanceId), nullptr, 0, &data) &&
                !host.SetupDiGetClassImageIndex(const_cast<SP_CLASSIMAGELIST_DATA*>(&classImages_), &data.ClassGuid,
                                                &index))
                index = -1;
            host.SetupDiDestroyDeviceInfoList(set);
        }
        if (index >= 0)
            return index;
    }
    return images_.unknownDevice;
}

bool CDeviceTree::HasProblem(const DEVICE_NODE& node) const {
    if (node.instanceId.empty())
        return false;
    IUsbHost& host = Host();
    DEVINST devinst = 0;
    ULONG status = 0, problem = 0;
    WString id = node.instanceId;
    return host.CM_Locate_DevNodeW(&devinst, W(id), CM_LOCATE_DEVNODE_NORMAL) == CR_SUCCESS && devinst &&
           host.CM_Get_DevNode_Status(&status, &problem, devinst, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM);
}

// ---------------------------------------------------------------------------
// Refresh

void CDeviceTree::ClearTree() {
    if (m_hWnd) {
        SelectItem(nullptr);
        DeleteAllItems();
        FreeImageLists();
    }
    nodes_.clear();
    objectToItem_.clear();
    selection_.Clear();
    enumerator_->Clear();
    root_ = nullptr;
    ShowNode(nullptr, false);
}

void CDeviceTree::LoadSelection() {
    DriverBuffer reply;
    const uint32_t n = Driver().QuerySelectedDevices(reply);
    selection_.Load(reply.get(), n);
}

void CDeviceTree::Refresh() {
    if (!m_hWnd)
        return;
    std::optional<CWaitCursor> wait;
    if (IsWindowEnabled())
        wait.emplace();
    SendMessage(WM_SETREDRAW, FALSE);
    ClearTree();
    LoadImageLists();

    wchar_t name[kComputerNameChars + 1] = {};
    DWORD size = kComputerNameChars;
    const wchar_t* rootText = Host().GetComputerNameW(name, &size) && name[0] ? name : kDefaultRootText;
    root_ = InsertItem(rootText, TVI_ROOT, TVI_FIRST, images_.computer);
    if (root_) {
        CCaptureDriver& driver = Driver();
        enumerator_->LoadDriverData(driver);
        LoadSelection();
        enumerator_->Enumerate(*this, root_, displayComponents_);
        ExpandAll(root_);
    }
    SendMessage(WM_SETREDRAW, TRUE);
    Invalidate();
}

void CDeviceTree::ExpandAll(HTREEITEM first) {
    for (HTREEITEM item = first; item; item = GetNextSiblingItem(item)) {
        ExpandAll(GetChildItem(item));
        Expand(item, TVE_EXPAND);
    }
}

DEVICE_ITEM CDeviceTree::InsertDeviceNode(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node,
                                          const wchar_t* text) {
    if (!node || !text)
        return nullptr;
    const int image = NodeImage(*node);
    HTREEITEM item = InsertItem(text, ItemArg(parent), TVI_LAST, image, image, reinterpret_cast<LPARAM>(node.get()));
    if (!item)
        return nullptr;
    nodes_.push_back(std::move(node));
    const DEVICE_NODE& n = *nodes_.back();
    for (uint32_t object : CapturableObjects(n.stack.get()))
        objectToItem_[object] = item;   // a later item wins
    if (HasProblem(n))
        SetItemState(item, INDEXTOOVERLAYMASK(1), TVIS_OVERLAYMASK);
    UpdateCaptureState(item);
    return item;
}

// ---------------------------------------------------------------------------
// Capture check boxes

const DEVICE_NODE* CDeviceTree::NodeOf(HTREEITEM item) const {
    return item && m_hWnd ? reinterpret_cast<const DEVICE_NODE*>(GetItemData(item)) : nullptr;
}

HTREEITEM CDeviceTree::ItemOfDeviceObject(uint32_t deviceObject) const {
    const auto found = objectToItem_.find(deviceObject);
    return found == objectToItem_.end() ? nullptr : found->second;
}

void CDeviceTree::UpdateCaptureState(HTREEITEM item) {
    if (!item)
        item = GetSelectedItem();
    const DEVICE_NODE* node = NodeOf(item);
    if (!node)
        return;
    const uint32_t state = CaptureState(node->stack.get(), selection_);
    if (state != CAPTURE_STATE_NONE)
        SetItemState(item, INDEXTOSTATEIMAGEMASK(state), TVIS_STATEIMAGEMASK);
}

BOOL CDeviceTree::SendCaptureList(CaptureToggle action, const std::vector<uint32_t>& objects) {
    const std::vector<uint32_t> list = MakeDeviceObjectList(objects);
    if (list.empty() || action == CaptureToggle::None)
        return FALSE;
    CCaptureDriver& driver = Driver();
    const BOOL accepted =
        action == CaptureToggle::Add ? driver.AddCaptureDevices(list.data()) : driver.RemoveCaptureDevices(list.data());
    if (accepted)
        LoadSelection();
    return accepted;
}

void CDeviceTree::ShowSelectedStack() {
    if (stackView_)
        stackView_->ShowNode(NodeOf(GetSelectedItem()));
}

void CDeviceTree::ToggleCapture(HTREEITEM item) {
    const DEVICE_NODE* node = NodeOf(item);
    if (!node)
        return;
    const CAPTURE_TOGGLE toggle = ToggleTreeState(GetItemState(item, TVIS_STATEIMAGEMASK) >> 12);
    // The box changes only once the driver has taken the change: a refused
    // one leaves the box showing what the driver still selects.
    if (!SendCaptureList(toggle.action, CapturableObjects(node->stack.get())))
        return;
    SetItemState(item, INDEXTOSTATEIMAGEMASK(toggle.newState), TVIS_STATEIMAGEMASK);
    ShowSelectedStack();
}

BOOL CDeviceTree::AddCaptureDevice(uint32_t deviceObject) {
    return SendCaptureList(CaptureToggle::Add, {deviceObject});
}

BOOL CDeviceTree::RemoveCaptureDevice(uint32_t deviceObject) {
    return SendCaptureList(CaptureToggle::Remove, {deviceObject});
}

// ---------------------------------------------------------------------------
// Showing and selecting

void CDeviceTree::ShowNode(const DEVICE_NODE* node, bool wholeTree) {
    // The device stack and PnP panes show a node, and nothing for the
    // computer; the USB properties pane shows the computer's summary too.
    if (stackView_)
        stackView_->ShowNode(wholeTree ? nullptr : node);
    if (usbProp_) {
        if (!reportPage_)
            reportPage_ = std::make_unique<PageBuffer>(kUsbPropertiesPageCapacity);
        if ((wholeTree || node) && BuildUsbReport(wholeTree, node, *reportPage_))
            usbProp_->ShowHtml(reportPage_->data(), reportPage_->size());
        else
            usbProp_->ShowHtml(nullptr, 0);
    }
    if (pnpProp_) {
        pnpProp_->SetUsbHost(host_);
        pnpProp_->ShowDevice(wholeTree ? nullptr : node);
    }
}

USB_REPORT_SUMMARY CDeviceTree::ReportSummary() {
    USB_REPORT_SUMMARY s;
    IUsbHost& host = Host();
    HDEVINFO set = host.SetupDiGetClassDevsW(&kUsbSetupClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        std::vector<BYTE> buffer;
        for (DWORD i = 0; i < 4096; ++i) {
            SP_DEVINFO_DATA data{};
            data.cbSize = sizeof(data);
            if (!host.SetupDiEnumDeviceInfo(set, i, &data))
                break;
            // The multi-string as returned: read within the size reported,
            // growing the buffer once when the first is short.
            buffer.assign(kCompatibleIdBytes, 0);
            DWORD type = 0, required = 0;
            BOOL ok = host.SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_COMPATIBLEIDS, &type, buffer.data(),
                                                             static_cast<DWORD>(buffer.size()), &required);
            if (!ok && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > buffer.size() &&
                required <= kCompatibleIdMaxBytes) {
                buffer.assign(required, 0);
                ok = host.SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_COMPATIBLEIDS, &type, buffer.data(),
                                                            static_cast<DWORD>(buffer.size()), &required);
            }
            if (!ok)
                continue;
            const size_t used = std::min<size_t>(required ? required : buffer.size(), buffer.size());
            const std::u16string_view ids(reinterpret_cast<const char16_t*>(buffer.data()), used / 2);
            CountHostController(s, ClassifyHostController(ids));
        }
        host.SetupDiDestroyDeviceInfoList(set);
    }
    const DEVICE_COUNTS& c = Counts();
    s.hostControllers = c.hostControllers;
    s.rootHubs = c.rootHubs;
    s.externalHubs = c.externalHubs;
    s.connectedPorts = c.connectedPorts;
    return s;
}

bool CDeviceTree::BuildUsbReport(bool wholeTree, const DEVICE_NODE* node, PageBuffer& page) {
    const CHtmlSettings& settings = HtmlSettings();
    USB_REPORT_OPTIONS options;
    options.headerRow = settings.options[0] != 0;
    options.offsetColumn = settings.options[1] != 0;
    options.sizeColumn = settings.options[2] != 0;
    options.expand = settings.options[3] != 0;
    options.detail = settings.options[4] != 0;
    const USB_REPORT_SUMMARY summary = wholeTree ? ReportSummary() : USB_REPORT_SUMMARY{};
    return WriteUsbPropertiesPage(page, node, wholeTree, summary, options);
}

void CDeviceTree::ExportUsbReport(bool wholeTree, const DEVICE_NODE* node) {
    const USB_REPORT_SUMMARY summary = wholeTree ? ReportSummary() : USB_REPORT_SUMMARY{};
    // The main window, docked or floating: it owns the save dialog and shows
    // the progress (a floating pane's own frame would ignore it).
    HWND owner = m_hWnd ? ::GetAncestor(m_hWnd, GA_ROOTOWNER) : nullptr;
    brx::ExportUsbReport(owner, node, wholeTree, summary);
}

void CDeviceTree::OnExport() {
    HTREEITEM selected = GetSelectedItem();
    if (!selected)
        return;
    if (selected == root_)
        ExportUsbReport(true, nullptr);
    else if (const DEVICE_NODE* node = NodeOf(selected))
        ExportUsbReport(false, node);
}

void CDeviceTree::OnRestart() {
    const DEVICE_NODE* node = NodeOf(GetSelectedItem());
    if (!node || node->instanceId.empty())
        return;
    // The restart's device change may refresh the tree and free the node:
    // the ID is copied first.
    const WString instanceId = node->instanceId;
    EnableWindow(FALSE);
    lastRestart_ = CDeviceActions::RestartDevice(Host(), instanceId, kRestartAction);
    EnableWindow(TRUE);
    const UINT icon = lastRestart_ == RestartOutcome::Restarted ? MB_ICONINFORMATION : MB_ICONWARNING;
    Prompts().MessageBoxW(::GetAncestor(m_hWnd, GA_ROOT), RestartOutcomeText(lastRestart_), L"Restart",
                          MB_OK | icon);
}

void CDeviceTree::OnProperties() {
    const DEVICE_NODE* node = NodeOf(GetSelectedItem());
    if (!node || node->instanceId.empty())
        return;
    const WString instanceId = node->instanceId;
    ShowDeviceProperties(::GetAncestor(m_hWnd, GA_ROOT), instanceId);
}

void CDeviceTree::OnSelChanged(const NMTREEVIEWW& nm) {
    HTREEITEM item = nm.itemNew.hItem;
    if (item)
        ShowNode(NodeOf(item), item == root_);
    else
        ShowNode(nullptr, false);
}

void CDeviceTree::SelectByDeviceObject(uint32_t deviceObject) {
    HTREEITEM item = ItemOfDeviceObject(deviceObject);
    if (!item) {
        SelectItem(nullptr);
        ShowNode(nullptr, false);
        if (stackView_)
            stackView_->SelectDeviceObject(0);
        return;
    }
    if (GetSelectedItem() != item) {
        SelectItem(item);   // the selection change shows the node
        EnsureVisible(item);
    }
    if (stackView_)
        stackView_->SelectDeviceObject(deviceObject);
}

// ---------------------------------------------------------------------------
// Device changes

LRESULT CDeviceTree::OnDeviceChange(WPARAM event, LPARAM) {
    if (!autoRefresh_ || !m_hWnd)
        return 1;
    if (event == DBT_DEVNODES_CHANGED || event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) {
        KillTimer(kRefreshTimer);
        refreshPending_ = SetTimer(kRefreshTimer, kRefreshDelay) != 0;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Commands and the context menu

bool CDeviceTree::OnCommand(CCommand& cmd) {
    if (cmd.Is(ID_DEVICE_AUTO_REFRESH))
        return cmd.Run([&] {
            if (!firstInstance_)
                return;
            autoRefresh_ = !autoRefresh_;
            if (!autoRefresh_) {
                KillTimer(kRefreshTimer);
                refreshPending_ = false;
            }
            SaveSettings();
        });
    if (cmd.Is(ID_DEVICE_DISPLAY_COMPONENTS))
        return cmd.Run([&] {
            displayComponents_ = !displayComponents_;
            SaveSettings();
            Refresh();
        });
    if (cmd.Is(ID_DEVICE_REFRESH))
        return cmd.Run([&] { Refresh(); });
    if (cmd.Is(ID_DEVICE_RESTART))
        return cmd.Run([&] { OnRestart(); });
    if (cmd.Is(ID_DEVICE_PROPERTIES))
        return cmd.Run([&] { OnProperties(); });
    if (cmd.Is(ID_USB_PROPERTIES_EXPORT))
        return cmd.Run([&] { OnExport(); });
    return CTreeCtrl::OnCommand(cmd);
}

bool CDeviceTree::OnUpdateCommand(CCmdUI& ui) {
    switch (ui.m_nID) {
    case ID_DEVICE_AUTO_REFRESH:
        ui.Enable(firstInstance_);
        ui.SetCheck(autoRefresh_ ? 1 : 0);
        return true;
    case ID_DEVICE_DISPLAY_COMPONENTS:
        ui.Enable(true);
        ui.SetCheck(displayComponents_ ? 1 : 0);
        return true;
    case ID_DEVICE_REFRESH: ui.Enable(true); return true;
    case ID_DEVICE_RESTART: {
        const DEVICE_NODE* node = m_hWnd ? NodeOf(GetSelectedItem()) : nullptr;
        ui.Enable(node && !node->instanceId.empty() && CDeviceActions::CanRestartInstance(Host(), node->instanceId));
        return true;
    }
    case ID_DEVICE_PROPERTIES: {
        const DEVICE_NODE* node = m_hWnd ? NodeOf(GetSelectedItem()) : nullptr;
        ui.Enable(node && !node->instanceId.empty());
        return true;
    }
    case ID_USB_PROPERTIES_EXPORT: {
        HTREEITEM selected = m_hWnd ? GetSelectedItem() : nullptr;
        ui.Enable(selected && (selected == root_ || NodeOf(selected)));
        return true;
    }
    }
    return CTreeCtrl::OnUpdateCommand(ui);
}

void CDeviceTree::OnContextMenu(POINT point) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_DEVICE_TREE_POPUP))
        return;
    HMENU popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    HTREEITEM selected = GetSelectedItem();
    if (selected) {
        RECT text{};
        if (GetItemRect(selected, text, TRUE)) {
            const CRect client = GetClientRect();
            const int itemHeight = text.bottom - text.top;
            const int visibleWidth = std::min(text.right, client.right) - std::max(text.left, client.left);
            const int visibleHeight = std::min(text.bottom, client.bottom) - std::max(text.top, client.top);
            if (visibleWidth < 10 || visibleHeight < itemHeight) {
                EnsureVisible(selected);
                GetItemRect(selected, text, TRUE);
            }
            point = {text.left, text.bottom};
            ::ClientToScreen(m_hWnd, &point);
        }
    } else if (point.x == -1 && point.y == -1) {
        const CRect window = GetWindowRect();
        point = {window.left + 5, window.top + 5};
    }
    UpdateMenuItems(popup, this, true);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, 0, m_hWnd, nullptr));
    if (chosen)
        ExecuteCommand(chosen);
}

// ---------------------------------------------------------------------------
// Messages

void CDeviceTree::OnClick() {
    if (!buttonDownSeen_)
        return;
    TVHITTESTINFO hit{};
    hit.pt = lastButtonDown_;
    HTREEITEM item = HitTest(hit);
    if (item && (hit.flags & TVHT_ONITEMSTATEICON))
        ToggleCapture(item);
}

bool CDeviceTree::OnReflectedNotify(NMHDR& nm, LRESULT& result) {
    switch (nm.code) {
    case TVN_SELCHANGINGW: result = 0; return true;
    case TVN_SELCHANGEDW: OnSelChanged(reinterpret_cast<NMTREEVIEWW&>(nm)); result = 0; return true;
    case NM_CLICK: OnClick(); result = 0; return true;
    case TVN_KEYDOWN:
        if (reinterpret_cast<NMTVKEYDOWN&>(nm).wVKey == VK_SPACE) {
            if (HTREEITEM selected = GetSelectedItem())
                ToggleCapture(selected);
        }
        result = 0;
        return true;
    case NM_RCLICK: {
        const DWORD pos = ::GetMessagePos();
        const POINT screen{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        TVHITTESTINFO hit{};
        hit.pt = screen;
        ::ScreenToClient(m_hWnd, &hit.pt);
        SelectItem(HitTest(hit));
        OnContextMenu(screen);
        result = 1;
        return true;
    }
    }
    return false;
}

bool CDeviceTree::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        result = Default();
        if (result != -1)
            LoadSettings();
        return true;
    case WM_DESTROY:
        KillTimer(kRefreshTimer);
        refreshPending_ = false;
        SaveSettings();
        return false;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: PaintBuffered(*this); result = 0; return true;
    case WM_TIMER:
        // Only the refresh this tree asked for: the control may run timers
        // of its own.
        if (wp == kRefreshTimer && refreshPending_) {
            KillTimer(kRefreshTimer);
            refreshPending_ = false;
            Refresh();
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The tree reports the click (NM_CLICK) while it handles the button;
        // this is where it was pressed.
        lastButtonDown_ = PointArg(lp);
        buttonDownSeen_ = true;
        return false;
    case WM_CONTEXTMENU: OnContextMenu(PointArg(lp)); result = 0; return true;
    case WM_REFLECT_BASE + WM_NOTIFY: return OnReflectedNotify(*reinterpret_cast<NMHDR*>(lp), result);
    }
    return CTreeCtrl::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx

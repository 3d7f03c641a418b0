// The "Device Tree" pane: the machine's USB topology below the computer (host
// controllers, root hubs, hubs, ports and, optionally, the devices' component
// device nodes), with a check box per item whose driver stack has device
// objects that can be captured. Checking a box selects those objects in the
// capture driver; selecting an item shows it in the device stack, USB
// properties and PnP properties panes; device arrivals and removals rebuild
// the tree after a quiet second. Its context menu restarts a device, opens
// the system's device properties and exports the USB properties report.
//
// The main frame creates it as a pane (Create), links the device stack view
// (SetDeviceStack), refreshes it once, forwards WM_DEVICECHANGE to
// OnDeviceChange and asks it to select the device of a captured request
// (SelectByDeviceObject). It works as well in any plain parent window.
// User-interface thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/devices/win/DeviceEnumerator.h"
#include "app/devtree/CaptureSelection.h"
#include "app/usbprops/UsbReport.h"
#include "app/usbprops/win/DeviceActions.h"
#include "app/res/devtree_ids.h"
#include "framework/CommonControls.h"

namespace brx {

class CCaptureDriver;
class CDeviceStack;
class CPnpProp;
class CUsbProp;
class IUsbHost;

class CDeviceTree : public CTreeCtrl, private IDeviceNodeSink {
public:
    static constexpr DWORD kDefaultStyle =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshDelay = 1200;   // ms after the last device change

    // firstInstance: the program is the first running instance; only then
    // does the tree refresh by itself and keep that choice in the registry.
    explicit CDeviceTree(bool firstInstance = true);
    ~CDeviceTree() override;

    // Seams, set before the first refresh: the capture driver (null: the
    // program's connection) and the USB host (null: the installed one).
    void SetCaptureDriver(CCaptureDriver* driver) { driver_ = driver; }
    void SetUsbHost(IUsbHost* host);
    // The colour depth of the tree's images (ILC_COLOR*), as the main frame
    // chose it.
    void SetImageListColor(UINT colorFlags) { colorFlags_ = colorFlags; }
    // The pane that shows the selected item's driver stack (may be null).
    void SetDeviceStack(CDeviceStack* stack) { stackView_ = stack; }
    // The panes that show the selected item's USB and PnP properties (may be
    // null).
    void SetPropertyPanes(CUsbProp* usbProp, CPnpProp* pnpProp) {
        usbProp_ = usbProp;
        pnpProp_ = pnpProp;
    }

    BOOL Create(HWND parent, UINT id = IDC_DEVICE_TREE, const RECT& rect = RECT{}, DWORD style = kDefaultStyle);

    // Rebuilds the tree: every item expanded, none selected.
    void Refresh();
    // Frees every node and empties the tree and what the driver reported.
    void ClearTree();
    // WM_DEVICECHANGE as the main frame receives it; always 1.
    LRESULT OnDeviceChange(WPARAM event, LPARAM data);
    // Selects the item that shows this device object and its row in the stack
    // pane; an object no item shows clears the selection and the panes.
    void SelectByDeviceObject(uint32_t deviceObject);
    // Shows a node in the property panes; wholeTree: the computer item.
    void ShowNode(const DEVICE_NODE* node, bool wholeTree);

    // The check box of an item (null: the selected item) from the selection.
    void UpdateCaptureState(HTREEITEM item);
    // Selects (deselects) the capturable objects of an item's node, as a click
    // on its box does; the box changes only when the driver accepts.
    void ToggleCapture(HTREEITEM item);
    // One device object, for the stack pane; nonzero when the driver accepted
    // (the selection is then reloaded).
    BOOL AddCaptureDevice(uint32_t deviceObject);
    BOOL RemoveCaptureDevice(uint32_t deviceObject);

    // What the stack pane reads.
    const CDriverNameHash& DriverNames() const { return enumerator_->DriverNames(); }
    const CDeviceNameHash& DeviceNames() const { return enumerator_->DeviceNames(); }
    const CCaptureSelection& CaptureSelection() const { return selection_; }

    // State.
    bool IsFirstInstance() const { return firstInstance_; }
    bool AutoRefresh() const { return autoRefresh_; }
    bool DisplayDeviceComponents() const { return displayComponents_; }
    const DEVICE_COUNTS& Counts() const { return enumerator_->Counts(); }
    const DEVICE_NODE* NodeOf(HTREEITEM item) const;
    // The item that shows a capturable device object, or null.
    HTREEITEM ItemOfDeviceObject(uint32_t deviceObject) const;
    // Image indexes of the normal image list (-1 until loaded).
    struct IMAGES {
        int unknownDevice = -1, computer = -1, hostController = -1, hub = -1, emptyPort = -1, problem = -1;
    };
    const IMAGES& Images() const { return images_; }
    // Whether the system's class images are in use (else the tree's own).
    bool HasClassImages() const { return classImagesLoaded_; }

    // The USB properties page of a node (the computer item: wholeTree) into
    // page, with the display switches of the HTML settings; false when there
    // is nothing to show.
    bool BuildUsbReport(bool wholeTree, const DEVICE_NODE* node, PageBuffer& page);
    // The computer item's counts: host controllers by their compatible IDs,
    // and the enumeration's counts of the last refresh.
    USB_REPORT_SUMMARY ReportSummary();
    // Asks for a file and saves the report of the computer item or a node.
    void ExportUsbReport(bool wholeTree, const DEVICE_NODE* node);
    // The context menu's device actions on the selected item.
    void OnRestart();
    void OnProperties();
    void OnExport();
    // What the last restart came to (for tests and the message shown).
    RestartOutcome LastRestartOutcome() const { return lastRestart_; }

    // Commands of the tree (its context menu, and the main frame's route).
    bool OnCommand(CCommand& cmd) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    // The context menu at a screen point; (-1, -1): the keyboard's place.
    void OnContextMenu(POINT point);

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    DEVICE_ITEM InsertDeviceNode(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node,
                                 const wchar_t* text) override;
    CCaptureDriver& Driver() const;
    IUsbHost& Host() const;
    void LoadSettings();
    void SaveSettings();
    void LoadImageLists();
    void FreeImageLists();
    void LoadSelection();
    int NodeImage(const DEVICE_NODE& node) const;
    bool HasProblem(const DEVICE_NODE& node) const;
    void ExpandAll(HTREEITEM first);
    bool OnReflectedNotify(NMHDR& nm, LRESULT& result);
    void OnSelChanged(const NMTREEVIEWW& nm);
    void OnClick();
    BOOL SendCaptureList(CaptureToggle action, const std::vector<uint32_t>& objects);
    // The tree item whose node shows in the stack pane again after a change.
    void ShowSelectedStack();

    bool firstInstance_;
    bool autoRefresh_;
    bool displayComponents_ = true;
    CCaptureDriver* driver_ = nullptr;
    IUsbHost* host_ = nullptr;
    CDeviceStack* stackView_ = nullptr;
    CUsbProp* usbProp_ = nullptr;
    CPnpProp* pnpProp_ = nullptr;
    std::unique_ptr<PageBuffer> reportPage_;   // the pane's page, reused
    RestartOutcome lastRestart_ = RestartOutcome::Refused;
    UINT colorFlags_ = ILC_COLOR32;

    SP_CLASSIMAGELIST_DATA classImages_{};
    bool classImagesLoaded_ = false;
    HIMAGELIST ownImages_ = nullptr;     // the fallback when the system has no class images
    HIMAGELIST stateImages_ = nullptr;
    IMAGES images_;

    std::unique_ptr<CDeviceEnumerator> enumerator_;
    std::vector<std::unique_ptr<DEVICE_NODE>> nodes_;   // the items' nodes
    std::unordered_map<uint32_t, HTREEITEM> objectToItem_;
    CCaptureSelection selection_;
    HTREEITEM root_ = nullptr;
    bool refreshPending_ = false;   // the refresh timer runs for a device change
    POINT lastButtonDown_{-1, -1};
    bool buttonDownSeen_ = false;
};

} // namespace brx

// The "Device Stack" pane: the device objects of the driver stack of the
// item selected in the device tree, top of the stack first, with the device
// name, the object's address and the driver name. A check box per object that
// can be captured selects that one object in the capture driver.
//
// The main frame creates it as a pane (Create, then InitColumns), disabled
// while the capture driver is not connected, and links it with the device
// tree (SetDeviceTree); the tree fills it. It works as well in any plain
// parent window. User-interface thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <unordered_map>

#include "app/res/devtree_ids.h"
#include "framework/CommonControls.h"

namespace brx {

struct DEVICE_NODE;
class CDeviceTree;

class CDeviceStack : public CListCtrl {
public:
    static constexpr DWORD kDefaultStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                                           LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;

    CDeviceStack() = default;
    ~CDeviceStack() override;

    // The tree whose names, selection and check boxes the pane uses.
    void SetDeviceTree(CDeviceTree* tree) { tree_ = tree; }
    // The colour depth of the icons (ILC_COLOR*), as the main frame chose it.
    void SetImageListColor(UINT colorFlags) { colorFlags_ = colorFlags; }

    BOOL Create(HWND parent, UINT id = IDC_DEVICE_STACK, const RECT& rect = RECT{}, DWORD style = kDefaultStyle);
    // The image lists, the extended styles and the three columns; once, after
    // Create.
    void InitColumns();

    // Fills the list with a node's stack; null empties it.
    void ShowNode(const DEVICE_NODE* node);
    // Selects the row of a device object; 0 or an object not shown leaves the
    // selection as it is.
    void SelectDeviceObject(uint32_t deviceObject);
    // Selects (deselects) a row's object in the driver; the box changes only
    // when the driver accepts. -1: nothing.
    void ToggleCapture(int row);
    // Deletes every row and the image lists.
    void Clear();

    // The row of a device object, or -1.
    int RowOfDeviceObject(uint32_t deviceObject) const;
    // Indexes of the three stack icons in the small image list (-1 until
    // InitColumns).
    int BottomIcon() const { return bottomIcon_; }
    int MiddleIcon() const { return middleIcon_; }
    int TopIcon() const { return topIcon_; }

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void DeleteRows();
    void DestroyImageLists();
    void OnClick();

    CDeviceTree* tree_ = nullptr;
    UINT colorFlags_ = ILC_COLOR32;
    HIMAGELIST smallImages_ = nullptr;
    HIMAGELIST stateImages_ = nullptr;
    int bottomIcon_ = -1, middleIcon_ = -1, topIcon_ = -1;
    std::unordered_map<uint32_t, int> objectToRow_;
    POINT lastButtonDown_{-1, -1};
    bool buttonDownSeen_ = false;
};

} // namespace brx

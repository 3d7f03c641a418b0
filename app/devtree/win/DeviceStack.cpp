#include "app/devtree/win/DeviceStack.h"

#include "app/devices/DeviceNode.h"
#include "app/devtree/StackRows.h"
#include "app/devtree/win/DeviceTree.h"
#include "app/devtree/win/DeviceViewImages.h"
#include "framework/FrameworkDefs.h"
#include "framework/MsgArgs.h"

namespace brx {

namespace {

struct COLUMN {
    const wchar_t* header;
    int width;
};
constexpr COLUMN kColumns[] = {{L"Device Name", 120}, {L"Device Object", 80}, {L"Driver Name", 80}};

wchar_t* W(const WString& s) { return const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(s.c_str())); }

uint32_t StateIndex(UINT state) { return (state & LVIS_STATEIMAGEMASK) >> 12; }

} // namespace

CDeviceStack::~CDeviceStack() {
    if (m_hWnd)
        DestroyWindow();
    DestroyImageLists();
}

BOOL CDeviceStack::Create(HWND parent, UINT id, const RECT& rect, DWORD style) {
    return CListCtrl::Create(style, rect, parent, id);
}

void CDeviceStack::InitColumns() {
    DestroyImageLists();
    smallImages_ = CreateSmallImageList(colorFlags_, 3);
    bottomIcon_ = AddIconResource(smallImages_, IDI_STACK_BOTTOM);
    middleIcon_ = AddIconResource(smallImages_, IDI_STACK_MIDDLE);
    topIcon_ = AddIconResource(smallImages_, IDI_STACK_TOP);
    stateImages_ = LoadCaptureStateImages();
    SetImageList(smallImages_, LVSIL_SMALL);
    SetImageList(stateImages_, LVSIL_STATE);
    SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        InsertColumn(i, kColumns[i].header, LVCFMT_LEFT, kColumns[i].width);
}

void CDeviceStack::DestroyImageLists() {
    if (m_hWnd) {
        SetImageList(nullptr, LVSIL_SMALL);
        SetImageList(nullptr, LVSIL_STATE);
    }
    for (HIMAGELIST* list : {&smallImages_, &stateImages_}) {
        if (*list)
            ::ImageList_Destroy(*list);
        *list = nullptr;
    }
    bottomIcon_ = middleIcon_ = topIcon_ = -1;
}

void CDeviceStack::DeleteRows() {
    if (m_hWnd)
        DeleteAllItems();
    objectToRow_.clear();
}

void CDeviceStack::Clear() {
    DeleteRows();
    DestroyImageLists();
}

void CDeviceStack::ShowNode(const DEVICE_NODE* node) {
    DeleteRows();
    if (!m_hWnd || !node || !tree_)
        return;
    const std::vector<STACK_ROW> rows =
        BuildStackRows(node->stack.get(), tree_->CaptureSelection(), tree_->DeviceNames(), tree_->DriverNames());
    int index = 0;
    for (const STACK_ROW& row : rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
        item.iItem = index;
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(row.state);
        item.iImage = row.icon == StackIcon::Bottom ? bottomIcon_ : row.icon == StackIcon::Top ? topIcon_ : middleIcon_;
        item.pszText = W(row.deviceName);
        item.lParam = static_cast<LPARAM>(row.deviceObject);
        const int inserted = static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (inserted < 0)
            continue;
        objectToRow_[row.deviceObject] = inserted;
        SetItemText(inserted, 1, W(row.objectText));
        SetItemText(inserted, 2, W(row.driverName));
        ++index;
    }
}

int CDeviceStack::RowOfDeviceObject(uint32_t deviceObject) const {
    const auto found = objectToRow_.find(deviceObject);
    return found == objectToRow_.end() ? -1 : found->second;
}

void CDeviceStack::SelectDeviceObject(uint32_t deviceObject) {
    const int row = deviceObject ? RowOfDeviceObject(deviceObject) : -1;
    if (row >= 0)
        SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, 0xF);
}

void CDeviceStack::ToggleCapture(int row) {
    if (row < 0 || !tree_)
        return;
    LVITEMW item{};
    item.mask = LVIF_STATE | LVIF_PARAM;
    item.iItem = row;
    item.stateMask = LVIS_STATEIMAGEMASK;
    if (!GetItem(item))
        return;
    const CAPTURE_TOGGLE toggle = ToggleStackState(StateIndex(item.state));
    const uint32_t object = static_cast<uint32_t>(item.lParam);
    BOOL accepted = FALSE;
    if (toggle.action == CaptureToggle::Add)
        accepted = tree_->AddCaptureDevice(object);
    else if (toggle.action == CaptureToggle::Remove)
        accepted = tree_->RemoveCaptureDevice(object);
    if (!accepted)
        return;
    SetItemState(row, INDEXTOSTATEIMAGEMASK(toggle.newState), LVIS_STATEIMAGEMASK);
    tree_->UpdateCaptureState(nullptr);
}

void CDeviceStack::OnClick() {
    if (!buttonDownSeen_)
        return;
    LVHITTESTINFO hit{};
    hit.pt = lastButtonDown_;
    const int row = HitTest(hit);
    if (hit.flags == LVHT_ONITEMSTATEICON)
        ToggleCapture(row);
}

bool CDeviceStack::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: PaintBuffered(*this); result = 0; return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The list reports the click (NM_CLICK) while it handles the button;
        // this is where it was pressed.
        lastButtonDown_ = PointArg(lp);
        buttonDownSeen_ = true;
        return false;
    case WM_KEYDOWN:
        if (wp != VK_SPACE)
            return false;
        ToggleCapture(GetNextItem(-1, LVNI_SELECTED));
        result = 0;
        return true;
    case WM_REFLECT_BASE + WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lp)->code == NM_CLICK) {
            OnClick();
            result = 0;
            return true;
        }
        return false;
    }
    return CListCtrl::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx

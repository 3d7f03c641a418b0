#include "app/dialogs/win/RequestTree.h"

#include <string>

#include "app/devtree/win/DeviceViewImages.h"
#include "capture/MatchCriteria.h"
#include "framework/MsgArgs.h"

namespace brx {
namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

} // namespace

CRequestTree::~CRequestTree() {
    if (stateImages_) ::ImageList_Destroy(stateImages_);
}

BOOL CRequestTree::Init() {
    if (!m_hWnd) return FALSE;
    ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0);
    HIMAGELIST images = LoadCaptureStateImages();
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
        SendMessage(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images)));
    if (old && old != stateImages_) ::ImageList_Destroy(old);
    if (stateImages_ && stateImages_ != images) ::ImageList_Destroy(stateImages_);
    stateImages_ = images;

    DeleteAllItems();
    items_.assign(model_.Count(), nullptr);
    for (size_t i = 0; i < model_.Count(); ++i) {
        const RequestTreeItem& item = model_.Items()[i];
        HTREEITEM parent = item.parent >= 0 ? items_[static_cast<size_t>(item.parent)] : TVI_ROOT;
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        const std::wstring text = Wide(item.text);
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.lParam = static_cast<LPARAM>(i);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        insert.item.state = INDEXTOSTATEIMAGEMASK(item.state);
        items_[i] = reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    return TRUE;
}

void CRequestTree::Free() {
    if (m_hWnd) {
        HIMAGELIST old = reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, TVSIL_STATE, 0));
        if (old && old != stateImages_) ::ImageList_Destroy(old);
    }
    if (stateImages_) ::ImageList_Destroy(stateImages_);
    stateImages_ = nullptr;
}

void CRequestTree::ShowStates() {
    if (!m_hWnd) return;
    for (size_t i = 0; i < items_.size() && i < model_.Count(); ++i) {
        if (!items_[i]) continue;
        const UINT wanted = INDEXTOSTATEIMAGEMASK(model_.Items()[i].state);
        if ((GetItemState(items_[i], TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) != wanted)
            SetItemState(items_[i], wanted, TVIS_STATEIMAGEMASK);
    }
}

int CRequestTree::SetSelection(const uint8_t* kinds) {
    if (!model_.SetSelection(kinds, kinds ? KIND_SELECTION_COUNT : 0)) return 0;
    ShowStates();
    return 1;
}

int CRequestTree::GetSelection(uint8_t* kinds) const {
    if (!m_hWnd) return 0;
    return model_.GetSelection(kinds, kinds ? KIND_SELECTION_COUNT : 0) ? 1 : 0;
}

int CRequestTree::MergeSelection(uint8_t* kinds) const {
    if (!m_hWnd) return 0;
    return model_.MergeSelection(kinds, kinds ? KIND_SELECTION_COUNT : 0) ? 1 : 0;
}

int32_t CRequestTree::IndexOf(HTREEITEM item) const {
    if (!item) return -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item) return static_cast<int32_t>(i);
    return -1;
}

HTREEITEM CRequestTree::ItemOf(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < items_.size() ? items_[static_cast<size_t>(index)] : nullptr;
}

HTREEITEM CRequestTree::FindTopLevelItem(const wchar_t* text) const {
    if (!text || !m_hWnd) return nullptr;
    for (HTREEITEM item = GetRootItem(); item; item = GetNextSiblingItem(item))
        if (GetItemText(item, 128) == text) return item;
    return nullptr;
}

int CRequestTree::CheckOf(HTREEITEM item) const {
    return item && m_hWnd ? static_cast<int>((GetItemState(item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12)
                          : 0;
}

void CRequestTree::ToggleItem(HTREEITEM item) {
    if (!model_.Toggle(IndexOf(item))) return;
    ShowStates();
    if (HWND parent = ::GetParent(m_hWnd)) ::SendMessageW(parent, WM_REQUEST_TREE_CHANGED, 0, 0);
}

bool CRequestTree::OnReflectedNotify(NMHDR& nm, LRESULT& result) {
    switch (nm.code) {
    case NM_CLICK: {
        result = 0;
        if (!buttonDownSeen_) return true;
        TVHITTESTINFO hit{};
        hit.pt = lastButtonDown_;
        HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (item && (hit.flags & TVHT_ONITEMSTATEICON)) ToggleItem(item);
        return true;
    }
    case TVN_KEYDOWN:
        if (reinterpret_cast<NMTVKEYDOWN&>(nm).wVKey == VK_SPACE) {
            if (HTREEITEM selected = GetSelectedItem()) ToggleItem(selected);
        }
        result = 0;
        return true;
    }
    return false;
}

bool CRequestTree::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The tree reports the click (NM_CLICK) while it handles the button;
        // this is where it was pressed.
        lastButtonDown_ = PointArg(lp);
        buttonDownSeen_ = true;
        return false;
    case WM_REFLECT_BASE + WM_NOTIFY: return OnReflectedNotify(*reinterpret_cast<NMHDR*>(lp), result);
    }
    return CTreeCtrl::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx

// CRequestTree: the tree view of the request kinds a user can select
// (RequestTreeModel), with a three-state check box on every item. The
// capture settings, filter and find dialogs each own one and attach it to
// their template's tree view:
//
//   m_tree.SubclassDlgItem(IDC_TREE, m_hWnd);
//   m_tree.Init();                      // styles, check images, content
//   m_tree.SetSelection(kinds);         // 640 selection bytes
//   ...
//   m_tree.Free();                      // before the dialog is destroyed
//
// A click on an item's check box or the Space key on the selected item
// toggles it (its descendants follow, its ancestors are recomputed); then
// the parent window gets WM_REQUEST_TREE_CHANGED.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "app/dialogs/RequestTreeModel.h"
#include "framework/CommonControls.h"

namespace brx {

// Sent (wParam 0, lParam 0) to the parent after every toggle by the user.
constexpr UINT WM_REQUEST_TREE_CHANGED = WM_USER + 335;

class CRequestTree : public CTreeCtrl {
public:
    CRequestTree() = default;
    ~CRequestTree() override;

    // Adds the button and line styles, sets the check images as the tree's
    // state image list and builds the content, every item unchecked.
    BOOL Init();
    // Takes the check images away from the tree and destroys them.
    void Free();

    // Shows 640 selection bytes: 0 when there is no array to read.
    int SetSelection(const uint8_t* kinds);
    // Fills 640 bytes (1 for every checked kind): 0 without an array or a
    // tree window.
    int GetSelection(uint8_t* kinds) const;
    // Writes only the positions the tree shows, leaving the others; same
    // failures.
    int MergeSelection(uint8_t* kinds) const;

    // The user's toggle of an item, as a click on its check box does.
    void ToggleItem(HTREEITEM item);
    // The top-level item with exactly this text, null without one.
    HTREEITEM FindTopLevelItem(const wchar_t* text) const;
    // The tree item of a model item, null before Init.
    HTREEITEM ItemOf(int32_t index) const;
    // The check state an item shows (RequestCheck), 0 without one.
    int CheckOf(HTREEITEM item) const;

    const RequestTreeModel& Model() const { return model_; }

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int32_t IndexOf(HTREEITEM item) const;
    void ShowStates();
    bool OnReflectedNotify(NMHDR& nm, LRESULT& result);

    RequestTreeModel model_;
    std::vector<HTREEITEM> items_; // by model index
    HIMAGELIST stateImages_ = nullptr;
    POINT lastButtonDown_{};
    bool buttonDownSeen_ = false;
};

} // namespace brx

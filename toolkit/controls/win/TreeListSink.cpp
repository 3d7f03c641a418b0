#include "toolkit/controls/win/TreeListSink.h"

#include <string>

namespace brx {

TREE_ITEM CTreeListSink::InsertItem(const char* text, TREE_ITEM parent) {
    return Item(m_list.InsertItemA(text, parent ? Handle(parent) : TVI_ROOT, TVI_LAST));
}

bool CTreeListSink::SetItemText(TREE_ITEM item, int column, const char* text) {
    return m_list.SetItemTextA(Handle(item), column, text) != FALSE;
}

bool CTreeListSink::SetItemTextWide(TREE_ITEM item, int column, std::u16string_view text) {
    if (text.size() >= kTreeListTextChars) return false;
    const std::wstring wide(text.begin(), text.end());
    return m_list.SetItemText(Handle(item), column, wide.c_str()) != FALSE;
}

TREE_ITEM CTreeListSink::GetParentItem(TREE_ITEM item) {
    return item ? Item(m_list.GetTreeCtrl().GetParentItem(Handle(item))) : nullptr;
}

TREE_ITEM CTreeListSink::GetRootItem() { return Item(m_list.GetTreeCtrl().GetRootItem()); }

TREE_ITEM CTreeListSink::GetNextSibling(TREE_ITEM item) {
    return item ? Item(m_list.GetTreeCtrl().GetNextSiblingItem(Handle(item))) : nullptr;
}

void CTreeListSink::ExpandItem(TREE_ITEM item) {
    if (item) m_list.GetTreeCtrl().Expand(Handle(item), TVE_EXPAND);
}

} // namespace brx

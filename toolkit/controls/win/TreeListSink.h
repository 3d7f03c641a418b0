// The details renderers' tree interface over a tree-list: rows go in as the
// last child of their parent, ANSI text is converted by the tree-list.
#pragma once
#include "decode/TreeSink.h"
#include "toolkit/controls/win/TreeList.h"

namespace brx {

class CTreeListSink final : public ITreeSink {
public:
    explicit CTreeListSink(CTreeList& list) : m_list(list) {}

    TREE_ITEM InsertItem(const char* text, TREE_ITEM parent) override;
    bool SetItemText(TREE_ITEM item, int column, const char* text) override;
    bool SetItemTextWide(TREE_ITEM item, int column, std::u16string_view text) override;
    TREE_ITEM GetParentItem(TREE_ITEM item) override;
    TREE_ITEM GetRootItem() override;
    TREE_ITEM GetNextSibling(TREE_ITEM item) override;
    void ExpandItem(TREE_ITEM item) override;

    static HTREEITEM Handle(TREE_ITEM item) { return reinterpret_cast<HTREEITEM>(item); }
    static TREE_ITEM Item(HTREEITEM item) { return reinterpret_cast<TREE_ITEM>(item); }

private:
    CTreeList& m_list;
};

} // namespace brx

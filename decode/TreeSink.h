// The tree the details renderers fill: rows with a text (column 0) and cell
// texts in columns 1-7, each row appended as the last child of its parent.
// In the product this is the tree-list window of the details panes; tests use
// a recording tree that dumps itself as indented text.
#pragma once
#include <cstdint>
#include <string_view>

namespace brx {

struct TreeRow;
using TREE_ITEM = TreeRow*;  // opaque row handle; null means none (or the root as a parent)

constexpr int kTreeColumns = 8;
// Text up to this many characters (the terminating NUL included) converts;
// a longer text is refused as the tree-list refuses it.
constexpr size_t kTreeTextLimit = 2048;

// Column 1 and 2 of every details tree.
enum : int {
    DETAILS_COLUMN_VALUE = 1,
    DETAILS_COLUMN_COMMENT = 2,
};

class ITreeSink {
public:
    virtual ~ITreeSink() = default;
    // Appends a row with an ANSI text (null for none) as the last child of
    // parent (null: a top-level row). Null when the text cannot be converted.
    virtual TREE_ITEM InsertItem(const char* text, TREE_ITEM parent) = 0;
    // Sets the ANSI text of column 0-7; false for another column or a text
    // that cannot be converted.
    virtual bool SetItemText(TREE_ITEM item, int column, const char* text) = 0;
    // The same for UTF-16 text, taken as it is.
    virtual bool SetItemTextWide(TREE_ITEM item, int column, std::u16string_view text) = 0;
    virtual TREE_ITEM GetParentItem(TREE_ITEM item) = 0;
    // The first top-level row, and the row after a row under the same parent.
    virtual TREE_ITEM GetRootItem() = 0;
    virtual TREE_ITEM GetNextSibling(TREE_ITEM item) = 0;
    virtual void ExpandItem(TREE_ITEM item) = 0;
};

// The three columns of the details trees: caption and width in pixels.
struct DETAILS_COLUMN {
    const char16_t* caption;
    int width;
};
inline constexpr DETAILS_COLUMN kDetailsColumns[] = {
    {u"Field Name", 150},
    {u"Value", 140},
    {u"Comment", 200},
};
// Tree styles the details panes drop and add before their columns go in.
constexpr uint32_t kDetailsStyleRemove = 0x0002;  // TVS_HASLINES
constexpr uint32_t kDetailsStyleAdd = 0x1035;     // buttons, lines at root, no drag, selection, full row

} // namespace brx

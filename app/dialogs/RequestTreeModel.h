// The request kinds a user can select, as a tree without windows: categories
// ("URB Functions" with ten groups, the kernel-mode and user-mode USB
// device-control requests, "IRP" with Create, Cleanup, Close and the Plug
// and Play and power minor functions), each item with a three-state check.
//
// Every leaf carries the position of its request kind in the 640 selection
// bytes (KIND_INDEX); the tree shows such an array and reads one back. A
// parent's state always follows from its leaves: all checked gives checked,
// none gives unchecked, anything else partly checked. The capture settings,
// filter and find dialogs each show one through a tree view
// (app/dialogs/win/RequestTree.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brx {

// Check states, as the tree view's state image indices.
enum RequestCheck : uint8_t {
    REQUEST_UNCHECKED = 1,
    REQUEST_CHECKED = 2,
    REQUEST_PARTIAL = 3,
};

constexpr int32_t REQUEST_CATEGORY = -1;     // param of an item that only groups others
constexpr int32_t REQUEST_NO_POSITION = -1;  // kind position of a category

struct RequestTreeItem {
    std::string text;
    // What the item stands for in its group: REQUEST_CATEGORY for a group,
    // the kind position for a leaf, and the IRP major function code for the
    // items directly under "IRP" ("PnP" and "Power" among them).
    int32_t param = REQUEST_CATEGORY;
    // The selection byte a leaf sets; REQUEST_NO_POSITION for every item
    // with children.
    int32_t position = REQUEST_NO_POSITION;
    int32_t parent = -1;                 // -1 for a top-level item
    std::vector<int32_t> children;       // in display order
    RequestCheck state = REQUEST_UNCHECKED;
};

class RequestTreeModel {
public:
    // Builds the whole tree, every item unchecked.
    RequestTreeModel();

    // Items in pre-order (each parent before its children, siblings in
    // display order); an index is the item's identity.
    const std::vector<RequestTreeItem>& Items() const { return items_; }
    size_t Count() const { return items_.size(); }
    const RequestTreeItem& Item(int32_t index) const { return items_[static_cast<size_t>(index)]; }
    std::vector<int32_t> TopLevel() const;
    // The top-level item with exactly this text, -1 without one.
    int32_t FindTopLevel(const std::string& text) const;
    // The leaf of a kind position, -1 for a position the tree never shows.
    int32_t LeafOfPosition(int32_t position) const;

    // A user's toggle: unchecked becomes checked, checked or partly checked
    // becomes unchecked; every descendant takes the new state and every
    // ancestor is recomputed. Returns false (nothing changed) for a bad index.
    bool Toggle(int32_t index);

    // Shows an array of `size` selection bytes (1 = selected); positions the
    // tree does not show are ignored. False, nothing changed, when the array
    // is null or shorter than the 640 positions.
    bool SetSelection(const uint8_t* kinds, size_t size);
    // Clears `size` bytes and sets the byte of every checked leaf. False
    // when the array is null or shorter than the 640 positions.
    bool GetSelection(uint8_t* kinds, size_t size) const;
    // Writes the byte of every leaf (1 checked, 0 otherwise) and leaves the
    // positions the tree does not show as they are. Same failures.
    bool MergeSelection(uint8_t* kinds, size_t size) const;

private:
    int32_t Add(int32_t parent, std::string text, int32_t param, int32_t position);
    void SetSubtree(int32_t index, RequestCheck state);
    RequestCheck FromChildren(int32_t index) const;
    void RecomputeAncestors(int32_t index);
    void RecomputeAll();

    std::vector<RequestTreeItem> items_;
    std::vector<int32_t> leafOfPosition_;
};

} // namespace brx

// A tree that records what the renderers insert, and dumps itself as indented
// text ("field | value | comment", trailing empty columns left out) for
// golden comparisons. It refuses texts the tree-list would refuse.
#pragma once
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "base/Text.h"
#include "decode/TreeSink.h"

namespace brx {

struct TreeRow {
    TreeRow* parent = nullptr;
    std::vector<TreeRow*> children;
    std::string columns[kTreeColumns];
    bool expanded = false;
};

namespace testing {

class RecordingTreeSink final : public ITreeSink {
public:
    TREE_ITEM InsertItem(const char* text, TREE_ITEM parent) override {
        if (text && std::strlen(text) >= kTreeTextLimit) return nullptr;
        rows_.emplace_back();
        TreeRow* row = &rows_.back();
        row->parent = parent;
        if (text) row->columns[0] = text;
        (parent ? parent->children : top_).push_back(row);
        return row;
    }
    bool SetItemText(TREE_ITEM item, int column, const char* text) override {
        if (!item || column < 0 || column >= kTreeColumns || !text) return false;
        if (std::strlen(text) >= kTreeTextLimit) return false;
        item->columns[column] = text;
        return true;
    }
    bool SetItemTextWide(TREE_ITEM item, int column, std::u16string_view text) override {
        if (!item || column < 0 || column >= kTreeColumns || text.size() >= kTreeTextLimit) return false;
        item->columns[column] = WideToUtf8(text);
        return true;
    }
    TREE_ITEM GetParentItem(TREE_ITEM item) override { return item ? item->parent : nullptr; }
    TREE_ITEM GetRootItem() override { return top_.empty() ? nullptr : top_.front(); }
    TREE_ITEM GetNextSibling(TREE_ITEM item) override {
        if (!item) return nullptr;
        const std::vector<TreeRow*>& list = item->parent ? item->parent->children : top_;
        for (size_t i = 0; i + 1 < list.size(); ++i) {
            if (list[i] == item) return list[i + 1];
        }
        return nullptr;
    }
    void ExpandItem(TREE_ITEM item) override {
        if (item) item->expanded = true;
    }

    size_t RowCount() const { return rows_.size(); }
    const std::vector<TreeRow*>& TopLevel() const { return top_; }

    std::string Dump() const {
        std::string out;
        for (const TreeRow* row : top_) DumpRow(out, row, 0);
        return out;
    }

private:
    static void DumpRow(std::string& out, const TreeRow* row, int depth) {
        out.append(static_cast<size_t>(depth) * 2, ' ');
        int lastColumn = 0;
        for (int c = 1; c < kTreeColumns; ++c) {
            if (!row->columns[c].empty()) lastColumn = c;
        }
        out += row->columns[0];
        for (int c = 1; c <= lastColumn; ++c) out += " | " + row->columns[c];
        out += '\n';
        for (const TreeRow* child : row->children) DumpRow(out, child, depth + 1);
    }

    std::deque<TreeRow> rows_;
    std::vector<TreeRow*> top_;
};

} // namespace testing
} // namespace brx

// Helpers of the dock model tests: a tree written as text, a host that
// records what the layout asks of the window layer, and byte access to the
// records of a layout blob.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/ScreenSetBlob.h"

namespace brx::test {

using Bytes = std::vector<uint8_t>;

// A node as text: "ph", "p3", "tab(3* 4 2)" (active pane starred),
// "row[...]", "col[...]", "frame[...]".
inline std::string Describe(const CDPBase* node) {
    if (!node) return "-";
    switch (node->Type()) {
    case DP_NODE_PLACEHOLDER: return "ph";
    case DP_NODE_PANE: return "p" + std::to_string(static_cast<const CDP*>(node)->GetId());
    case DP_NODE_TABBED: {
        auto* group = static_cast<const CDPTabbedContainer*>(node);
        std::string s = "tab(";
        for (size_t i = 0; i < group->Panes().size(); ++i) {
            const CDP* pane = group->Panes()[i];
            s += (i ? " " : "") + std::to_string(pane->GetId()) + (pane == group->GetActivePane() ? "*" : "");
        }
        return s + ")";
    }
    case DP_NODE_SPLITTER: {
        auto* splitter = static_cast<const CDPSplitterContainer*>(node);
        std::string s = splitter->IsRow() ? "row[" : "col[";
        for (size_t i = 0; i < splitter->Children().size(); ++i)
            s += (i ? " " : "") + Describe(splitter->Children()[i]);
        return s + "]";
    }
    case DP_NODE_FLOATING: return "frame[" + Describe(static_cast<const CDPMiniWnd*>(node)->Child()) + "]";
    default: return "?";
    }
}

// The root, then every floating frame in node-list order.
inline std::string DescribeLayout(const CDPLayout& layout) {
    std::string s = Describe(layout.Root());
    for (size_t i = 0; i < layout.NodeCount(); ++i)
        if (layout.Node(i)->Type() == DP_NODE_FLOATING) s += " " + Describe(layout.Node(i));
    return s;
}

// Records every report as one line, keeps the windows that would exist, and
// answers screen positions with an offset so that the client-to-screen step
// is visible.
class RecordingHost : public DockHost {
public:
    std::vector<std::string> log;
    std::set<const CDPBase*> windows;  // groups and frames that have one
    int32_t screenDx = 0;
    int32_t screenDy = 0;
    const CDP* focused = nullptr;

    void GroupWindowNeeded(CDPTabbedContainer& g) override {
        log.push_back("group+");
        windows.insert(&g);
    }
    void GroupWindowNotNeeded(CDPTabbedContainer& g) override {
        log.push_back("group-");
        windows.erase(&g);
    }
    void FrameWindowNeeded(CDPMiniWnd& f) override {
        log.push_back("frame+ " + std::to_string(f.rect.left) + "," + std::to_string(f.rect.top) + "," +
                      std::to_string(f.rect.right) + "," + std::to_string(f.rect.bottom));
        windows.insert(&f);
    }
    void BarsChanged(CDPSplitterContainer& s) override {
        log.push_back("bars " + std::to_string(s.Bars().size()));
    }
    void NodeDeleting(CDPBase& n) override {
        log.push_back("delete " + std::to_string(n.Type()));
        windows.erase(&n);
    }
    void FocusPane(CDP& p) override { log.push_back("focus p" + std::to_string(p.GetId())); }
    DockRect ScreenRect(const CDPBase& node) const override {
        DockRect r = node.rect;
        if (node.Type() != DP_NODE_FLOATING) {
            r.left += screenDx;
            r.right += screenDx;
            r.top += screenDy;
            r.bottom += screenDy;
        }
        return r;
    }
    bool PaneHasFocus(const CDP& p) const override { return &p == focused; }

    // The lines that start with `prefix`.
    std::vector<std::string> Lines(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : log)
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }
};

inline Bytes DefaultBlob() { return Bytes(kDefaultScreenSetBlob, kDefaultScreenSetBlob + kDefaultScreenSetBlobSize); }

inline DockLoadRules Screen1024() { return ScreenSetLoadRules(1024, 768); }

// Offset of node `index`'s record (from 1) in a well-formed blob.
inline size_t RecordOffset(const Bytes& blob, int index) {
    size_t pos = blob[0] | (blob[1] << 8);
    for (int i = 1; i < index; ++i) pos += blob[pos] | (blob[pos + 1] << 8);
    return pos;
}

inline void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Replaces node `index`'s record with `record` (its size field is set here).
inline Bytes WithRecord(Bytes blob, int index, Bytes record) {
    const size_t at = RecordOffset(blob, index);
    const size_t oldSize = blob[at] | (blob[at + 1] << 8);
    Put16(record, 0, static_cast<uint16_t>(record.size()));
    blob.erase(blob.begin() + static_cast<std::ptrdiff_t>(at), blob.begin() + static_cast<std::ptrdiff_t>(at + oldSize));
    blob.insert(blob.begin() + static_cast<std::ptrdiff_t>(at), record.begin(), record.end());
    return blob;
}

// Node `index`'s record as it stands.
inline Bytes RecordOf(const Bytes& blob, int index) {
    const size_t at = RecordOffset(blob, index);
    const size_t size = blob[at] | (blob[at + 1] << 8);
    return Bytes(blob.begin() + static_cast<std::ptrdiff_t>(at), blob.begin() + static_cast<std::ptrdiff_t>(at + size));
}

} // namespace brx::test

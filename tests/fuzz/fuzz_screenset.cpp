// Fuzz target for the screen-set blob and the docking operations. The input
// is a layout blob; the bytes after its records, which loading ignores, are a
// script of docking operations run on the loaded layout made live. Every
// layout that loads, and every one the operations leave that saves, must
// load back and save again to the same bytes; the live layout must ask for
// exactly the windows its groups need.
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/ScreenSetBlob.h"

using namespace brx;

namespace {

const DockLoadRules kRules = ScreenSetLoadRules(1280, 1024);
const DockMetrics kMetrics{17, 24};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// Keeps the windows the layout asked for and checks the host's contract.
class CheckingHost : public DockHost {
public:
    std::set<const CDPBase*> windows;
    void GroupWindowNeeded(CDPTabbedContainer& g) override {
        Check(g.Panes().empty());
        Check(windows.insert(&g).second);
    }
    void GroupWindowNotNeeded(CDPTabbedContainer& g) override {
        Check(g.Panes().empty());
        Check(windows.erase(&g) == 1);
    }
    void FrameWindowNeeded(CDPMiniWnd& f) override { Check(windows.insert(&f).second); }
    void NodeDeleting(CDPBase& n) override { windows.erase(&n); }
};

// A group has a window exactly while it holds panes, a frame always.
void CheckWindows(const CDPLayout& layout, const CheckingHost& host) {
    size_t expected = 0;
    for (size_t i = 0; i < layout.NodeCount(); ++i) {
        const CDPBase* node = layout.Node(i);
        bool needs = node->Type() == DP_NODE_FLOATING ||
                     (node->Type() == DP_NODE_TABBED && !static_cast<const CDPTabbedContainer*>(node)->IsEmpty());
        Check(needs == (host.windows.count(node) == 1));
        expected += needs;
    }
    Check(expected == host.windows.size());
}

// Saves, loads the blob back and saves again: the same bytes.
void RoundTrip(CDPLayout& layout, bool mustSave) {
    std::vector<uint8_t> first;
    if (!layout.Save(first)) {
        Check(!mustSave);
        return;
    }
    const std::vector<uint8_t> exact(first);  // an exact-size block
    CDPLayout again;
    Check(again.Load(exact.data(), exact.size(), kRules));
    std::vector<uint8_t> second;
    Check(again.Save(second));
    Check(first == second);
}

size_t RecordsEnd(const uint8_t* data, size_t size) {
    size_t pos = size_t(data[0]) | size_t(data[1]) << 8;
    for (unsigned i = 0; i < data[4]; ++i) pos += size_t(data[pos]) | size_t(data[pos + 1]) << 8;
    return pos;
}

void RunScript(CDPLayout& live, CheckingHost& host, const uint8_t* p, size_t n) {
    for (size_t step = 0; step + 3 <= n && step < 3 * 64; step += 3) {
        const uint8_t op = p[step];
        const uint8_t a = p[step + 1];
        const uint8_t b = p[step + 2];
        if (live.NodeCount() == 0) return;
        CDPBase* node = live.Node(a % live.NodeCount());
        CDPBase* other = live.Node(b % live.NodeCount());
        CDP* pane = live.PaneInfos().empty() ? nullptr : live.PaneInfos()[a % live.PaneInfos().size()].pane;
        switch (op % 12) {
        case 0: live.ToggleDocking(node); break;
        case 1: live.HidePane(pane); break;
        case 2: live.ShowPane(pane); break;
        case 3: live.FloatNode(node, DockRect{b * 3, a * 2, b * 3 + 200, a * 2 + 150}); break;
        case 4: live.DockNodeAt(node, b & 3, live.Node((b >> 2) % live.NodeCount())); break;
        case 5: live.MoveToContainer(node, other); break;
        case 6: live.LayOut(DockRect{0, 0, a * 5, b * 4}, kMetrics); break;
        case 7: live.Compact(); break;
        case 8: {
            CDPLayout stored;
            stored.CopyFrom(live);
            live.CopyFrom(stored);
            break;
        }
        case 9: RoundTrip(live, false); break;
        case 10:
            if (node->Type() == DP_NODE_FLOATING) static_cast<CDPMiniWnd*>(node)->LayOut(DockRect{0, 0, a, b}, kMetrics);
            break;
        default:
            if (node->Type() == DP_NODE_TABBED) {
                auto* group = static_cast<CDPTabbedContainer*>(node);
                if (b & 1)
                    group->SwapTabs(pane, pane ? live.PaneInfos()[b % live.PaneInfos().size()].pane : nullptr);
                else
                    group->SetActivePane(pane, b & 2);
            }
            break;
        }
        CheckWindows(live, host);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> blob(data, data + size);  // exact size: reads past it are caught
    CDPLayout layout;
    if (!layout.Load(blob.data(), blob.size(), kRules)) return 0;
    CDPLayout copy;
    copy.CopyFrom(layout);
    RoundTrip(layout, true);

    CheckingHost host;
    CDPLayout live(&host, false);
    live.CopyFrom(copy);
    CheckWindows(live, host);
    const size_t end = RecordsEnd(data, size);
    RunScript(live, host, data + end, size - end);
    RoundTrip(live, false);
    return 0;
}

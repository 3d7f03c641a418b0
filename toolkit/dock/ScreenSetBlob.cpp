#include "toolkit/dock/ScreenSetBlob.h"

#include <algorithm>
#include <vector>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace brx {

const uint8_t kDefaultScreenSetBlob[kDefaultScreenSetBlobSize] = {
    // header: size 6, root 1, placeholder 11, 27 nodes, unlocked
    0x06, 0x00, 0x01, 0x0B, 0x1B, 0x00,
    // 1: splitter, row, children 2, 10
    0x0D, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x02, 0x0A,
    // 2: splitter, column, children 3, 5
    0x0D, 0x00, 0x06, 0x00, 0xC9, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x03, 0x05,
    // 3: tabbed, active 4, panes 4
    0x0B, 0x00, 0x05, 0x00, 0x00, 0x01, 0xF1, 0x00, 0x04, 0x01, 0x04,
    // 4: pane 1, homes 3, 27, 3
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00, 0x03, 0x1B, 0x03,
    // 5: splitter, row, children 6
    0x0C, 0x00, 0x06, 0x00, 0x00, 0x01, 0x0F, 0x01, 0x01, 0x00, 0x01, 0x06,
    // 6: tabbed, active 7, panes 7, 8, 9
    0x0D, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x01, 0x07, 0x03, 0x07, 0x08, 0x09,
    // 7: pane 3, homes 6, 24, 6
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x03, 0x00, 0x00, 0x06, 0x18, 0x06,
    // 8: pane 4, homes 6, 24, 6
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x04, 0x00, 0x00, 0x06, 0x18, 0x06,
    // 9: pane 2, homes 6, 24, 6
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00, 0x00, 0x06, 0x18, 0x06,
    // 10: splitter, column, children 11, 12
    0x0D, 0x00, 0x06, 0x00, 0x33, 0x02, 0x00, 0x00, 0x00, 0x00, 0x02, 0x0B, 0x0C,
    // 11: placeholder
    0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
    // 12: splitter, row, children 13
    0x0C, 0x00, 0x06, 0x00, 0x00, 0x01, 0x58, 0x01, 0x01, 0x00, 0x01, 0x0D,
    // 13: tabbed, active 14, panes 14, 15, 16, 17, 18
    0x0F, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x01, 0x0E, 0x05, 0x0E, 0x0F, 0x10, 0x11, 0x12,
    // 14: pane 5, homes 13, 21, 13
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x05, 0x00, 0x00, 0x0D, 0x15, 0x0D,
    // 15: pane 7, homes 13, 21, 13
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x07, 0x00, 0x00, 0x0D, 0x15, 0x0D,
    // 16: pane 8, homes 13, 21, 13
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x08, 0x00, 0x00, 0x0D, 0x15, 0x0D,
    // 17: pane 6, homes 13, 21, 13
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x06, 0x00, 0x00, 0x0D, 0x15, 0x0D,
    // 18: pane 9, homes 13, 21, 13
    0x0E, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x09, 0x00, 0x00, 0x0D, 0x15, 0x0D,
    // 19: floating frame, child 20, (466, 231, 795, 495)
    0x12, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0xD2, 0x01, 0xE7, 0x00, 0x1B, 0x03, 0xEF, 0x01,
    // 20: splitter, row, children 21
    0x0C, 0x00, 0x06, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x01, 0x15,
    // 21: tabbed, active 0, panes none
    0x0A, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,
    // 22: floating frame, child 23, (151, 232, 461, 495)
    0x12, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x17, 0x00, 0x97, 0x00, 0xE8, 0x00, 0xCD, 0x01, 0xEF, 0x01,
    // 23: splitter, row, children 24
    0x0C, 0x00, 0x06, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x01, 0x18,
    // 24: tabbed, active 0, panes none
    0x0A, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,
    // 25: floating frame, child 26, (0, 69, 456, 349)
    0x12, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x00, 0x45, 0x00, 0xC8, 0x01, 0x5D, 0x01,
    // 26: splitter, row, children 27
    0x0C, 0x00, 0x06, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x01, 0x1B,
    // 27: tabbed, active 0, panes none
    0x0A, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,
};

namespace {

// One record as read, before any node exists.
struct BlobRecord {
    uint8_t type = 0;
    uint16_t cx = 0;
    uint16_t cy = 0;
    uint8_t id = 0;                // pane
    uint8_t flags = 0;             // pane
    uint8_t homes[3] = {};         // pane: docked, floating, last
    uint8_t child = 0;             // floating frame
    int16_t frame[4] = {};         // floating frame: left, top, right, bottom
    uint8_t active = 0;            // tabbed
    bool row = false;              // splitter
    std::vector<uint8_t> items;    // tabbed: panes; splitter: children
};

struct BlobHeader {
    uint8_t root = 0;
    uint8_t placeholder = 0;
    uint8_t count = 0;
    uint8_t locked = 0;
};

// A list of node indexes from a record: `n` bytes at `offset`, each 1..100.
bool ReadIndexList(const ByteReader& rec, size_t offset, uint8_t n, std::vector<uint8_t>& out) {
    if (!rec.has(offset, n)) return false;
    for (uint8_t i = 0; i < n; ++i) {
        const uint8_t index = rec.u8or(offset + i);
        if (index < 1 || index > DP_MAX_NODE_INDEX) return false;
        out.push_back(index);
    }
    return true;
}

bool ReadRecord(const ByteReader& rec, const DockLoadRules& rules, BlobRecord& r) {
    const size_t size = rec.size();
    r.type = rec.u8or(2);
    r.cx = rec.u16le_or(4);
    r.cy = rec.u16le_or(6);
    if (r.cx >= rules.screenWidth || r.cy >= rules.screenHeight) return false;
    switch (r.type) {
    case DP_NODE_PLACEHOLDER:
        return true;
    case DP_NODE_PANE:
        if (size < DP_RECORD_PANE) return false;
        r.id = rec.u8or(8);
        r.flags = rec.u8or(10);
        for (int i = 0; i < 3; ++i) r.homes[i] = rec.u8or(11 + i);
        return r.id != 0 && r.flags <= DP_PANE_FLAGS_MAX && r.homes[0] <= DP_MAX_NODE_INDEX &&
               r.homes[1] <= DP_MAX_NODE_INDEX && r.homes[2] <= DP_MAX_NODE_INDEX;
    case DP_NODE_FLOATING:
        if (size != DP_RECORD_FLOATING) return false;
        r.child = rec.u8or(8);
        for (int i = 0; i < 4; ++i) r.frame[i] = static_cast<int16_t>(rec.u16le_or(10 + 2 * i));
        return r.child >= 1 && r.child <= DP_MAX_NODE_INDEX;
    case DP_NODE_TABBED: {
        // A record without the active index and count is an empty group, and
        // so is one whose active index or count is out of range.
        if (size < DP_RECORD_TABBED) return true;
        const uint8_t active = rec.u8or(8);
        const uint8_t n = rec.u8or(9);
        if (active > DP_MAX_NODE_INDEX || n > DP_MAX_NODE_INDEX) return true;
        r.active = active;
        return ReadIndexList(rec, DP_RECORD_TABBED, n, r.items);
    }
    case DP_NODE_SPLITTER: {
        if (size < DP_RECORD_SPLITTER) return false;
        const uint8_t n = rec.u8or(10);
        if (n > DP_MAX_NODE_INDEX) return true;  // an empty column
        r.row = rec.u8or(8) == 1;
        return ReadIndexList(rec, DP_RECORD_SPLITTER, n, r.items);
    }
    default:
        return false;
    }
}

// Header and records, each record checked against its own bytes.
bool ReadBlob(const ByteReader& blob, const DockLoadRules& rules, BlobHeader& h, std::vector<BlobRecord>& records) {
    uint16_t headerSize = 0;
    if (blob.size() < DP_BLOB_HEADER || !blob.u16le(0, headerSize)) return false;
    if (headerSize < DP_BLOB_HEADER || headerSize > blob.size()) return false;
    h.root = blob.u8or(2);
    h.placeholder = blob.u8or(3);
    h.count = blob.u8or(4);
    h.locked = blob.u8or(5);
    if (h.count < 2 || h.count > DP_MAX_NODE_INDEX) return false;
    if (h.root < 1 || h.root > h.count || h.placeholder < 1 || h.placeholder > h.count) return false;
    size_t pos = headerSize;
    records.resize(h.count);
    for (BlobRecord& r : records) {
        uint16_t size = 0;
        if (!blob.has(pos, DP_RECORD_HEADER) || !blob.u16le(pos, size)) return false;
        if (size < DP_RECORD_HEADER || !blob.has(pos, size)) return false;
        if (!ReadRecord(blob.sub(pos, size), rules, r)) return false;
        pos += size;
    }
    return true;
}

// The tree the records describe must be one a layout can hold: every
// reference names a node of the kind expected there, no node has two
// parents, no node lies below itself, the root is a splitter of its own,
// the placeholder is under it, and the panes are the expected ones.
bool CheckShape(const BlobHeader& h, const std::vector<BlobRecord>& records, const DockLoadRules& rules) {
    const size_t n = records.size();
    auto type = [&](uint8_t index) -> uint8_t { return index >= 1 && index <= n ? records[index - 1].type : 0; };
    std::vector<uint8_t> parent(n + 1, 0);
    auto adopt = [&](uint8_t child, size_t owner) {
        if (child == owner || parent[child]) return false;
        parent[child] = static_cast<uint8_t>(owner);
        return true;
    };
    std::bitset<256> ids;
    for (size_t i = 1; i <= n; ++i) {
        const BlobRecord& r = records[i - 1];
        switch (r.type) {
        case DP_NODE_PANE:
            if (ids.test(r.id)) return false;
            ids.set(r.id);
            // A home beyond the last node is no home; one that names a node
            // must name a group.
            for (uint8_t home : r.homes)
                if (home && home <= n && type(home) != DP_NODE_TABBED) return false;
            break;
        case DP_NODE_FLOATING:
            if (type(r.child) != DP_NODE_SPLITTER || !adopt(r.child, i)) return false;
            break;
        case DP_NODE_TABBED:
            for (uint8_t item : r.items)
                if (type(item) != DP_NODE_PANE || !adopt(item, i)) return false;
            break;
        case DP_NODE_SPLITTER:
            for (uint8_t item : r.items) {
                const uint8_t t = type(item);
                if (t != DP_NODE_PLACEHOLDER && t != DP_NODE_TABBED && t != DP_NODE_SPLITTER) return false;
                if (!adopt(item, i)) return false;
            }
            break;
        default:
            break;
        }
    }
    // With one parent each, a cycle is a walk upwards that never ends.
    for (size_t i = 1; i <= n; ++i) {
        size_t steps = 0;
        for (size_t at = parent[i]; at; at = parent[at])
            if (at == i || ++steps > n) return false;
    }
    if (type(h.root) != DP_NODE_SPLITTER || parent[h.root]) return false;
    if (type(h.placeholder) != DP_NODE_PLACEHOLDER) return false;
    size_t top = h.placeholder;
    while (parent[top]) top = parent[top];
    if (top != h.root) return false;
    return rules.paneIds.none() || ids == rules.paneIds;
}

} // namespace

bool CDPLayout::Load(const uint8_t* blob, size_t size, const DockLoadRules& rules) {
    if (!blob) return false;
    BlobHeader h;
    std::vector<BlobRecord> records;
    if (!ReadBlob(ByteReader(blob, size), rules, h, records) || !CheckShape(h, records, rules)) return false;

    // Built apart, so that this layout changes only once all went well.
    CDPLayout built(host_, true);
    built.Clear();
    std::vector<CDPBase*> node(records.size() + 1, nullptr);
    for (size_t i = 1; i <= records.size(); ++i) {
        const BlobRecord& r = records[i - 1];
        switch (r.type) {
        case DP_NODE_PLACEHOLDER: node[i] = built.MakePlaceholder(); break;
        case DP_NODE_PANE: node[i] = built.Make<CDP>(r.id); break;
        case DP_NODE_FLOATING: node[i] = built.Make<CDPMiniWnd>(); break;
        case DP_NODE_TABBED: node[i] = built.Make<CDPTabbedContainer>(); break;
        default: node[i] = built.Make<CDPSplitterContainer>(r.row); break;
        }
        node[i]->index = static_cast<uint8_t>(i);
        node[i]->cx = r.cx;
        node[i]->cy = r.cy;
    }
    auto group = [&](uint8_t index) {
        return index && index < node.size() ? static_cast<CDPTabbedContainer*>(node[index]) : nullptr;
    };
    for (size_t i = 1; i <= records.size(); ++i) {
        const BlobRecord& r = records[i - 1];
        switch (r.type) {
        case DP_NODE_PANE: {
            auto* pane = static_cast<CDP*>(node[i]);
            pane->SetFlags(r.flags);
            built.panes_.push_back(DP_INFO{pane, group(r.homes[1]), group(r.homes[0]), group(r.homes[2])});
            break;
        }
        case DP_NODE_FLOATING: {
            auto* frame = static_cast<CDPMiniWnd*>(node[i]);
            frame->rect = DockRect{r.frame[0], r.frame[1], r.frame[2], r.frame[3]};
            frame->SetChild(static_cast<CDPSplitterContainer*>(node[r.child]));
            break;
        }
        case DP_NODE_TABBED: {
            auto* tabbed = static_cast<CDPTabbedContainer*>(node[i]);
            for (uint8_t item : r.items) tabbed->AddTab(static_cast<CDP*>(node[item]));
            if (std::find(r.items.begin(), r.items.end(), r.active) != r.items.end())
                tabbed->SetActivePane(static_cast<CDP*>(node[r.active]), false);
            break;
        }
        case DP_NODE_SPLITTER: {
            auto* splitter = static_cast<CDPSplitterContainer*>(node[i]);
            for (uint8_t item : r.items) splitter->InsertChild(node[item], nullptr, true);
            break;
        }
        default:
            break;
        }
    }
    built.root_ = static_cast<CDPSplitterContainer*>(node[h.root]);
    built.placeholder_ = node[h.placeholder];
    built.locked_ = h.locked;

    if (stored_) {
        Adopt(built);
    } else {
        CopyFrom(built);
        locked_ = h.locked;
    }
    return true;
}

bool CDPLayout::LoadFromMemory(const uint8_t* blob, size_t size, const DockLoadRules& rules) {
    try {
        return Load(blob, size, rules);
    } catch (...) {
        return false;
    }
}

void CDPLayout::Adopt(CDPLayout& other) {
    Clear();
    nodes_ = std::move(other.nodes_);
    other.nodes_.clear();
    for (const auto& node : nodes_) node->layout_ = this;
    panes_ = std::move(other.panes_);
    other.panes_.clear();
    root_ = std::exchange(other.root_, nullptr);
    placeholder_ = std::exchange(other.placeholder_, nullptr);
    locked_ = other.locked_;
}

bool CDPLayout::Save(std::vector<uint8_t>& out) {
    Compact();
    if (!root_ || !placeholder_ || nodes_.size() > DP_MAX_NODE_INDEX) return false;
    for (size_t i = 0; i < nodes_.size(); ++i) nodes_[i]->index = static_cast<uint8_t>(i + 1);
    auto indexOf = [this](const CDPBase* node) -> uint8_t { return Owns(node) ? node->index : 0; };

    std::vector<uint8_t> blob(DP_BLOB_HEADER);
    PutLe16(&blob[0], DP_BLOB_HEADER);
    blob[2] = indexOf(root_);
    blob[3] = indexOf(placeholder_);
    blob[4] = static_cast<uint8_t>(nodes_.size());
    blob[5] = locked_;
    for (const auto& owned : nodes_) {
        const CDPBase& node = *owned;
        std::vector<uint8_t> items;
        size_t size = DP_RECORD_PLACEHOLDER;
        switch (node.Type()) {
        case DP_NODE_PANE: size = DP_RECORD_PANE; break;
        case DP_NODE_FLOATING: size = DP_RECORD_FLOATING; break;
        case DP_NODE_TABBED:
            for (const CDP* pane : static_cast<const CDPTabbedContainer&>(node).Panes()) items.push_back(indexOf(pane));
            size = DP_RECORD_TABBED + items.size();
            break;
        case DP_NODE_SPLITTER:
            for (const CDPBase* child : static_cast<const CDPSplitterContainer&>(node).Children())
                items.push_back(indexOf(child));
            size = DP_RECORD_SPLITTER + items.size();
            break;
        default: break;
        }
        const size_t at = blob.size();
        blob.resize(at + size, 0);
        uint8_t* rec = &blob[at];
        PutLe16(rec, static_cast<uint16_t>(size));
        rec[2] = node.Type();
        PutLe16(rec + 4, node.cx);
        PutLe16(rec + 6, node.cy);
        switch (node.Type()) {
        case DP_NODE_PANE: {
            const auto& pane = static_cast<const CDP&>(node);
            const DP_INFO* info = FindInfo(&pane);
            rec[8] = pane.GetId();
            rec[10] = pane.GetFlags();
            if (info) {
                rec[11] = indexOf(info->dockedHome);
                rec[12] = indexOf(info->floatingHome);
                rec[13] = indexOf(info->lastHome);
            }
            break;
        }
        case DP_NODE_FLOATING: {
            const auto& frame = static_cast<const CDPMiniWnd&>(node);
            rec[8] = indexOf(frame.Child());
            PutLe16(rec + 10, static_cast<uint16_t>(frame.rect.left));
            PutLe16(rec + 12, static_cast<uint16_t>(frame.rect.top));
            PutLe16(rec + 14, static_cast<uint16_t>(frame.rect.right));
            PutLe16(rec + 16, static_cast<uint16_t>(frame.rect.bottom));
            break;
        }
        case DP_NODE_TABBED:
            rec[8] = indexOf(static_cast<const CDPTabbedContainer&>(node).GetActivePane());
            rec[9] = static_cast<uint8_t>(items.size());
            std::copy(items.begin(), items.end(), rec + DP_RECORD_TABBED);
            break;
        case DP_NODE_SPLITTER:
            rec[8] = static_cast<const CDPSplitterContainer&>(node).IsRow() ? 1 : 0;
            rec[10] = static_cast<uint8_t>(items.size());
            std::copy(items.begin(), items.end(), rec + DP_RECORD_SPLITTER);
            break;
        default: break;
        }
    }
    // A blob cut short would shift every later node's index: all or nothing.
    if (blob.size() > DP_BLOB_MAX) return false;
    out = std::move(blob);
    return true;
}

DockLoadRules ScreenSetLoadRules(int32_t screenWidth, int32_t screenHeight) {
    DockLoadRules rules;
    rules.screenWidth = screenWidth;
    rules.screenHeight = screenHeight;
    for (int id = 1; id <= 9; ++id) rules.paneIds.set(id);
    return rules;
}

} // namespace brx

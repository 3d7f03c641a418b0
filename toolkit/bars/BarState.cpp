#include "toolkit/bars/BarState.h"

#include <algorithm>

namespace brx {

int VersionClassOf(const OsVersion& version) {
    if (!version.nt) return 0;
    if (version.major < 5) return 4;
    if (version.minor == 0) return 5;
    if (version.minor == 1) return 6;
    return 7;
}

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

std::vector<uint8_t> EncodeRebarState(const std::vector<RebarBandRecord>& records) {
    std::vector<uint8_t> out(records.size() * kRebarRecordBytes);
    for (size_t i = 0; i < records.size(); ++i) {
        uint8_t* p = out.data() + i * kRebarRecordBytes;
        WriteU32(p, records[i].style);
        WriteU32(p + 4, records[i].cx);
        WriteU32(p + 8, records[i].id);
    }
    return out;
}

std::vector<RebarBandRecord> DecodeRebarState(const uint8_t* data, size_t size) {
    std::vector<RebarBandRecord> records;
    if (!data) return records;
    size_t count = size / kRebarRecordBytes;
    records.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + i * kRebarRecordBytes;
        records.push_back(RebarBandRecord{ReadU32(p), ReadU32(p + 4), ReadU32(p + 8)});
    }
    return records;
}

std::vector<RebarRestoreStep> PlanRebarRestore(const std::vector<uint32_t>& currentIds,
                                               const std::vector<uint32_t>& currentStyles,
                                               const std::vector<RebarBandRecord>& records) {
    std::vector<RebarRestoreStep> steps;
    std::vector<uint32_t> order = currentIds;
    std::vector<bool> used(currentIds.size(), false);
    int position = 0;
    for (const RebarBandRecord& record : records) {
        if (position >= static_cast<int>(order.size())) break;
        auto found = std::find(currentIds.begin(), currentIds.end(), record.id);
        if (found == currentIds.end()) continue; // a stale record moves and changes nothing
        size_t original = static_cast<size_t>(found - currentIds.begin());
        if (used[original]) continue;            // a duplicated id restores once
        used[original] = true;
        uint32_t current = original < currentStyles.size() ? currentStyles[original] : 0;
        steps.push_back(RebarRestoreStep{position, record.id, record.cx,
                                         (current & ~(kBandBreak | kBandHidden)) | record.style});
        ++position;
    }
    return steps;
}

std::vector<uint32_t> ApplyRebarMoves(std::vector<uint32_t> ids, const std::vector<RebarRestoreStep>& steps) {
    for (const RebarRestoreStep& step : steps) {
        auto found = std::find(ids.begin(), ids.end(), step.id);
        if (found == ids.end() || step.position < 0 || step.position >= static_cast<int>(ids.size())) continue;
        uint32_t id = *found;
        ids.erase(found);
        ids.insert(ids.begin() + step.position, id);
    }
    return ids;
}

int ClampTextOption(int32_t option) { return std::clamp<int32_t>(option, 0, kTextOptionCount - 1); }
int ClampIconOption(int32_t option) { return std::clamp<int32_t>(option, 0, kIconOptionCount - 1); }

ToolbarOptionsHeader DecodeToolbarOptions(const uint8_t* data, size_t size) {
    ToolbarOptionsHeader header;
    if (!data || size < kToolbarOptionBytes) return header;
    header.present = true;
    header.textOption = ClampTextOption(static_cast<int32_t>(ReadU32(data)));
    header.iconOption = ClampIconOption(static_cast<int32_t>(ReadU32(data + 4)));
    return header;
}

void EncodeToolbarOptions(int textOption, int iconOption, uint8_t out[kToolbarOptionBytes]) {
    WriteU32(out, static_cast<uint32_t>(textOption));
    WriteU32(out + 4, static_cast<uint32_t>(iconOption));
}

size_t ToolbarRecordCount(size_t size, size_t recordBytes) {
    if (size < kToolbarOptionBytes || recordBytes == 0) return 0;
    return (size - kToolbarOptionBytes) / recordBytes;
}

std::vector<size_t> ToolbarRecordsToRestore(const uint8_t* records, size_t count, size_t recordBytes,
                                            const std::vector<uint32_t>& buttonIds,
                                            const std::vector<uint32_t>& separatorIds) {
    std::vector<size_t> kept;
    if (!records || recordBytes < 4) return kept;
    const size_t separatorCap = buttonIds.size() + separatorIds.size();
    std::vector<bool> used(buttonIds.size(), false);
    size_t separators = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t id = ReadU32(records + i * recordBytes);
        const bool separator = (id & kSavedSeparatorBit) != 0 ||
                               std::find(separatorIds.begin(), separatorIds.end(), id) != separatorIds.end();
        if (separator) {
            if (separators >= separatorCap) continue;
            ++separators;
            kept.push_back(i);
            continue;
        }
        const auto it = std::find(buttonIds.begin(), buttonIds.end(), id);
        if (it == buttonIds.end()) continue;
        const size_t slot = static_cast<size_t>(it - buttonIds.begin());
        if (used[slot]) continue;
        used[slot] = true;
        kept.push_back(i);
    }
    return kept;
}

bool ToolbarButtonHasTip(int textOption, bool hasText) {
    switch (textOption) {
    case 1: return !hasText;
    case 2: return true;
    default: return false;
    }
}

LayoutRect StatusControlRect(const StatusControlPane& pane, int32_t clientRight, bool sizeGrip, int32_t edge,
                             int32_t smallIcon) {
    LayoutRect rc = pane.rect;
    if (pane.last) {
        if (pane.stretch) {
            rc.right = clientRight;
            if (sizeGrip) rc.right -= smallIcon + edge;
        } else {
            rc.right = rc.left + pane.width + 3 * edge;
        }
    }
    if (!pane.noBorders) {
        rc.left += edge;
        rc.top += edge;
        rc.right -= edge;
        rc.bottom -= edge;
    }
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    return rc;
}

namespace {

LayoutRect Offset(LayoutRect rc, int32_t dx, int32_t dy) {
    return LayoutRect{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

bool Overlaps(const LayoutRect& a, const LayoutRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

int32_t Aligned(int32_t at, int32_t size, PopupAlign align) {
    switch (align) {
    case PopupAlign::Centre: return at - size / 2;
    case PopupAlign::End: return at - size;
    default: return at;
    }
}

} // namespace

PopupPlacement PlacePopup(const PopupRequest& r) {
    int32_t left = Aligned(r.x, r.width, r.horizontal);
    int32_t top = Aligned(r.y, r.height, r.vertical);
    LayoutRect rc{left, top, left + r.width, top + r.height};
    const LayoutRect& desk = r.desktop;
    if (rc.right > desk.right) rc = Offset(rc, desk.right - rc.right, 0);
    if (rc.bottom > desk.bottom) rc = Offset(rc, 0, desk.bottom - rc.bottom);
    if (rc.left < desk.left) rc = Offset(rc, desk.left - rc.left, 0);
    if (rc.top < desk.top) rc = Offset(rc, 0, desk.top - rc.top);
    PopupPlacement placement{rc, PopupSide::None};
    const LayoutRect& ex = r.excluded;
    if (ex.IsEmpty() || !Overlaps(rc, ex)) return placement;
    if (r.besideVertically) {
        bool fitsBelow = ex.bottom + r.height <= desk.bottom;
        bool fitsAbove = ex.top - r.height >= desk.top;
        int32_t moveBelow = ex.bottom - rc.top;
        int32_t moveAbove = rc.bottom - ex.top;
        bool above = fitsAbove && (!fitsBelow || moveAbove < moveBelow);
        placement.rect = Offset(rc, 0, above ? -moveAbove : moveBelow);
        placement.side = above ? PopupSide::Above : PopupSide::Below;
    } else {
        bool fitsRight = ex.right + r.width <= desk.right;
        bool fitsLeft = ex.left - r.width >= desk.left;
        int32_t moveRight = ex.right - rc.left;
        int32_t moveLeft = rc.right - ex.left;
        bool leftSide = fitsLeft && (!fitsRight || moveLeft < moveRight);
        placement.rect = Offset(rc, leftSide ? -moveLeft : moveRight, 0);
        placement.side = leftSide ? PopupSide::Left : PopupSide::Right;
    }
    return placement;
}

CustomizeListItem DecodeCustomizeItem(int64_t data, size_t recordCount) {
    CustomizeListItem item;
    int32_t value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(data)));
    if (value < 0) return item;
    uint32_t bits = static_cast<uint32_t>(value);
    int record = static_cast<int>(bits >> 16);
    if (static_cast<size_t>(record) >= recordCount) return item;
    item.separator = false;
    item.record = record;
    item.image = static_cast<int16_t>(bits & 0xFFFF);
    return item;
}

bool CustomizeListMatchesToolbar(const std::vector<int64_t>& itemData, const std::vector<int32_t>& toolbarCommands,
                                 const std::vector<int32_t>& recordCommands) {
    if (itemData.size() != toolbarCommands.size() + 1) return false;
    for (size_t i = 0; i < toolbarCommands.size(); ++i) {
        int64_t data = itemData[i];
        if (data > static_cast<int64_t>(UINT32_MAX) || data < static_cast<int64_t>(INT32_MIN)) return false;
        CustomizeListItem item = DecodeCustomizeItem(data, recordCommands.size());
        int32_t command = item.separator ? 0 : recordCommands[static_cast<size_t>(item.record)];
        if (command != toolbarCommands[i]) return false;
    }
    return true;
}

CustomizeItemRects CustomizeItemLayout(const LayoutRect& item, int32_t cellWidth) {
    CustomizeItemRects rects;
    rects.cell = LayoutRect{item.left, item.top, item.left + cellWidth, item.bottom};
    rects.text = LayoutRect{rects.cell.right + 5, item.top, item.right - 2, item.bottom};
    rects.highlight = LayoutRect{rects.cell.right + 1, item.top, item.right, item.bottom};
    return rects;
}

char16_t MenuMnemonic(const std::u16string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i; // a doubled ampersand shows as one
            continue;
        }
        return text[i + 1];
    }
    return 0;
}

} // namespace brx

// HID report-descriptor parser: two passes over the items (count, then fill
// one zeroed table block sized by the counts) and the report queries.
#include "capture/HidParser.h"

#include <cstring>
#include <new>

namespace brx {

namespace {

// The longest report of one id and type: 65,535 bytes (the caps hold byte
// lengths in 16 bits). A descriptor that describes a longer report is refused,
// so every bit offset below fits in 32 bits with room to spare.
constexpr uint64_t kMaxReportBits = 0xFFFFull * 8;
constexpr uint32_t kMaxTableRecords = 0xFFFF;  // table counts are 16 bits

enum : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
enum : uint8_t {
    kTagInput = 8, kTagOutput = 9, kTagCollection = 10, kTagFeature = 11, kTagEndCollection = 12,
};
enum : uint8_t {
    kGlobalUsagePage = 0, kGlobalLogicalMin = 1, kGlobalLogicalMax = 2, kGlobalPhysicalMin = 3,
    kGlobalPhysicalMax = 4, kGlobalUnitExponent = 5, kGlobalUnit = 6, kGlobalReportSize = 7,
    kGlobalReportId = 8, kGlobalReportCount = 9, kGlobalPush = 10, kGlobalPop = 11,
};
enum : uint8_t {
    kLocalUsage = 0, kLocalUsageMin = 1, kLocalUsageMax = 2, kLocalDesignatorIndex = 3,
    kLocalDesignatorMin = 4, kLocalDesignatorMax = 5, kLocalStringIndex = 7, kLocalStringMin = 8,
    kLocalStringMax = 9,
};

bool IsValid(const HIDP_PREPARSED* pp) {
    return pp && pp->tag == HIDP_PREPARSED_TAG;
}

bool IsReportType(uint32_t t) {
    return t >= HidP_Input && t <= HidP_Feature;
}

// What the counting pass found; the table sizes follow from it.
struct Counts {
    uint64_t collections = 0, mainItems = 0, reportIds = 0;
    uint64_t usages = 0, usageBounds = 0;
    uint64_t strings = 0, stringBounds = 0;
    uint64_t designators = 0, designatorBounds = 0;
    uint64_t maxDepth = 0, maxPush = 0;
};

struct TableSizes {
    uint32_t collections, mainItems, reportIds, usages, strings, designators, collectionStack, pushStack;
};

bool CountingPass(const uint8_t* bytes, size_t length, TableSizes& sizes) {
    Counts c;
    uint64_t depth = 0, push = 0;
    size_t pos = 0;
    HID_ITEM item;
    while (HidReadItem(bytes, length, pos, item)) {
        switch (item.type) {
        case kMain:
            if (item.tag == kTagCollection) {
                ++c.collections;
                if (++depth > c.maxDepth) c.maxDepth = depth;
            } else if (item.tag == kTagEndCollection) {
                if (depth == 0) return false;
                --depth;
            } else if (item.tag == kTagInput || item.tag == kTagOutput || item.tag == kTagFeature) {
                ++c.mainItems;
            }
            break;
        case kGlobal:
            if (item.tag == kGlobalReportId) {
                ++c.reportIds;
            } else if (item.tag == kGlobalPush) {
                if (++push > c.maxPush) c.maxPush = push;
            } else if (item.tag == kGlobalPop) {
                if (push == 0) return false;
                --push;
            }
            break;
        case kLocal:
            switch (item.tag) {
            case kLocalUsage: ++c.usages; break;
            case kLocalUsageMin: case kLocalUsageMax: ++c.usageBounds; break;
            case kLocalDesignatorIndex: ++c.designators; break;
            case kLocalDesignatorMin: case kLocalDesignatorMax: ++c.designatorBounds; break;
            case kLocalStringIndex: ++c.strings; break;
            case kLocalStringMin: case kLocalStringMax: ++c.stringBounds; break;
            default: break;
            }
            break;
        default:
            break;
        }
    }
    if (depth != 0 || c.collections == 0 || c.mainItems == 0) return false;
    if ((c.usageBounds | c.stringBounds | c.designatorBounds) & 1) return false;
    const uint64_t n[] = {c.collections, c.mainItems, c.reportIds + 1,
                          c.usages + c.usageBounds / 2, c.strings + c.stringBounds / 2,
                          c.designators + c.designatorBounds / 2, c.maxDepth, c.maxPush};
    for (uint64_t v : n)
        if (v > kMaxTableRecords) return false;  // indices are 16 bits
    sizes = {uint32_t(n[0]), uint32_t(n[1]), uint32_t(n[2]), uint32_t(n[3]),
             uint32_t(n[4]), uint32_t(n[5]), uint32_t(n[6]), uint32_t(n[7])};
    return true;
}

size_t AlignUp(size_t v) {
    return (v + 7) & ~size_t(7);
}

// A maximum as HID 1.11 (6.2.2.7) reads it: with a minimum that is not
// negative the extents are unsigned, so the maximum's bytes are read without
// sign (0xFF in one byte is 255). A 4-byte maximum beyond the signed range is
// held at its largest signed value. With a negative minimum both are signed.
int32_t MaximumAsRead(int32_t minimum, int32_t maximum, uint32_t unsignedData) {
    if (minimum < 0 || maximum >= 0) return maximum;
    return unsignedData > 0x7FFFFFFFu ? 0x7FFFFFFF : int32_t(unsignedData);
}

// The fields a usage record covers: a range one per usage.
uint32_t RecordSpan(const HIDP_USAGE& u) {
    return u.isRange ? uint32_t(u.usageMaximum - u.usageMinimum) + 1 : 1;
}

// One half of a Minimum/Maximum pair waiting for the other.
struct PendingBound {
    bool seen = false;
    uint16_t page = 0;
    uint16_t value = 0;
};

// The parse state of the filling pass; lives only during the parse.
struct FillContext {
    FillContext(HIDP_PREPARSED* p, const TableSizes& sizes, uint32_t* stack, HIDP_GLOBAL_STATE* push)
        : pp(p), cap(sizes), collectionStack(stack), pushStack(push) {}

    HIDP_PREPARSED* pp;
    TableSizes cap;
    uint32_t* collectionStack;
    HIDP_GLOBAL_STATE* pushStack;
    uint32_t collectionDepth = 0;
    uint32_t pushDepth = 0;
    HIDP_GLOBAL_STATE global{};
    uint32_t current = 0;     // current collection index
    bool inCollection = false;
    // Local state: the records added since the last main item.
    uint32_t usageStart = 0, stringStart = 0, designatorStart = 0;
    PendingBound usageMin, usageMax, stringMin, stringMax, designatorMin, designatorMax;
    uint32_t lastLocalStatus = HIDP_STATUS_SUCCESS;

    // Local items belong to the next main item only: every main item,
    // Collection and End Collection included, closes them.
    void CloseLocals() {
        usageStart = pp->usageCount;
        stringStart = pp->stringCount;
        designatorStart = pp->designatorCount;
        usageMin = usageMax = stringMin = stringMax = designatorMin = designatorMax = PendingBound{};
    }

    void AddUsage(uint16_t isRange, uint16_t page, uint16_t usage, uint16_t min, uint16_t max) {
        if (pp->usageCount >= cap.usages) return;  // surplus record: dropped
        HIDP_USAGE& u = pp->usages[pp->usageCount++];
        u = {isRange, page, usage, min, max, 0};
    }

    void AddIndex(HIDP_INDEX_RANGE* table, uint16_t& count, uint32_t capacity, uint8_t isRange,
                  uint16_t index, uint16_t min, uint16_t max) {
        if (count >= capacity) return;
        table[count++] = {isRange, index, min, max};
    }

    void Local(const HID_ITEM& item) {
        const uint16_t low = uint16_t(item.data);
        const uint16_t page = item.size == 4 ? uint16_t(item.data >> 16) : uint16_t(global.usagePage);
        switch (item.tag) {
        case kLocalUsage:
            AddUsage(0, page, low, low, low);
            break;
        case kLocalUsageMin:
        case kLocalUsageMax: {
            PendingBound& self = item.tag == kLocalUsageMin ? usageMin : usageMax;
            self = {true, page, low};
            if (usageMin.seen && usageMax.seen) {
                if (usageMin.page != usageMax.page || usageMax.value < usageMin.value) {
                    lastLocalStatus = HIDP_STATUS_VALUE_OUT_OF_RANGE;  // the pair stays open
                    break;
                }
                AddUsage(1, page, usageMin.value, usageMin.value, usageMax.value);
                usageMin = usageMax = PendingBound{};
            }
            break;
        }
        case kLocalStringIndex:
            AddIndex(pp->strings, pp->stringCount, cap.strings, 0, low, low, low);
            break;
        case kLocalDesignatorIndex:
            AddIndex(pp->designators, pp->designatorCount, cap.designators, 0, low, low, low);
            break;
        case kLocalStringMin:
        case kLocalStringMax:
            IndexBound(item.tag == kLocalStringMin, low, stringMin, stringMax, pp->strings,
                       pp->stringCount, cap.strings);
            break;
        case kLocalDesignatorMin:
        case kLocalDesignatorMax:
            IndexBound(item.tag == kLocalDesignatorMin, low, designatorMin, designatorMax,
                       pp->designators, pp->designatorCount, cap.designators);
            break;
        default:
            break;
        }
    }

    void IndexBound(bool isMin, uint16_t value, PendingBound& min, PendingBound& max,
                    HIDP_INDEX_RANGE* table, uint16_t& count, uint32_t capacity) {
        (isMin ? min : max) = {true, 0, value};
        if (!min.seen || !max.seen) return;
        if (max.value < min.value) {
            lastLocalStatus = HIDP_STATUS_VALUE_OUT_OF_RANGE;
            return;
        }
        AddIndex(table, count, capacity, 1, min.value, min.value, max.value);
        min = max = PendingBound{};
    }

    bool Global(const HID_ITEM& item) {
        switch (item.tag) {
        case kGlobalUsagePage: global.usagePage = item.data & 0xFFFF; break;
        case kGlobalLogicalMin: global.logicalMinimum = item.sdata; break;
        case kGlobalLogicalMax:
            global.logicalMaximum = item.sdata;
            global.logicalMaximumUnsigned = item.data;
            break;
        case kGlobalPhysicalMin: global.physicalMinimum = item.sdata; break;
        case kGlobalPhysicalMax:
            global.physicalMaximum = item.sdata;
            global.physicalMaximumUnsigned = item.data;
            break;
        case kGlobalUnitExponent: global.unitExponent = item.data; break;
        case kGlobalUnit: global.unit = item.data; break;
        case kGlobalReportSize: global.reportSize = item.data; break;
        case kGlobalReportCount: global.reportCount = item.data; break;
        case kGlobalReportId: {
            uint32_t index = 0;
            while (index < pp->reportIdCount && pp->reportIds[index].reportId != item.data) ++index;
            if (index == pp->reportIdCount) {
                if (index >= cap.reportIds) return false;
                pp->reportIds[pp->reportIdCount++] = {item.data, {8, 8, 8}};
            }
            global.reportId = item.data;
            global.reportIdIndex = index;
            break;
        }
        case kGlobalPush:
            if (pushDepth >= cap.pushStack) return false;
            pushStack[pushDepth++] = global;
            break;
        case kGlobalPop:
            if (pushDepth == 0) return false;
            global = pushStack[--pushDepth];
            break;
        default:
            break;
        }
        return true;
    }

    bool Collection(const HID_ITEM& item) {
        if (pp->collectionCount >= cap.collections || collectionDepth >= cap.collectionStack)
            return false;
        const uint32_t index = pp->collectionCount++;
        HIDP_COLLECTION& c = pp->collections[index];
        c.usagePage = uint16_t(global.usagePage);
        c.collectionType = uint16_t(item.data);
        c.firstUsage = uint16_t(usageStart);
        c.usageCount = uint16_t(pp->usageCount - usageStart);
        c.firstMainItem = pp->mainItemCount;
        c.parent = uint16_t(inCollection ? current : 0);
        c.lastChild = HIDP_NO_LINK;
        c.previousSibling = HIDP_NO_LINK;
        // A top-level collection after the first one hangs below record 0,
        // which stands for the whole descriptor.
        if (index != 0 && c.parent < pp->collectionCount) {
            HIDP_COLLECTION& parent = pp->collections[c.parent];
            c.previousSibling = parent.lastChild;
            ++parent.childCount;
            parent.lastChild = uint16_t(index);
        }
        collectionStack[collectionDepth++] = inCollection ? current : HIDP_NO_LINK;
        current = index;
        inCollection = true;
        CloseLocals();
        return true;
    }

    bool EndCollection() {
        if (collectionDepth == 0 || current >= pp->collectionCount) return false;
        HIDP_COLLECTION& c = pp->collections[current];
        c.mainItemCount = uint16_t(pp->mainItemCount - c.firstMainItem);
        const uint32_t parent = collectionStack[--collectionDepth];
        inCollection = parent != HIDP_NO_LINK;
        current = inCollection ? parent : 0;
        CloseLocals();
        return true;
    }

    bool MainItem(const HID_ITEM& item) {
        if (pp->mainItemCount >= cap.mainItems || global.reportIdIndex >= pp->reportIdCount)
            return false;
        const uint32_t type = item.tag == kTagInput ? HidP_Input
                            : item.tag == kTagOutput ? HidP_Output : HidP_Feature;
        HIDP_MAIN_ITEM& m = pp->mainItems[pp->mainItemCount++];
        m.reportType = type;
        m.global = global;
        m.parent = uint16_t(inCollection ? current : 0);
        m.data = uint16_t(item.data);
        // The minimum and maximum items may come in either order: the
        // maximum's reading is settled here, where both are known.
        m.global.logicalMaximum = MaximumAsRead(m.global.logicalMinimum, m.global.logicalMaximum,
                                                m.global.logicalMaximumUnsigned);
        m.global.physicalMaximum = MaximumAsRead(m.global.physicalMinimum, m.global.physicalMaximum,
                                                 m.global.physicalMaximumUnsigned);
        if (m.global.logicalMaximum < m.global.logicalMinimum) {
            const int32_t t = m.global.logicalMinimum;
            m.global.logicalMinimum = m.global.logicalMaximum;
            m.global.logicalMaximum = t;
            m.flags |= HID_ITEM_FLAG_SWAPPED;
        }
        if (!(m.global.physicalMinimum < m.global.physicalMaximum)) {
            m.global.physicalMinimum = m.global.logicalMinimum;
            m.global.physicalMaximum = m.global.logicalMaximum;
        }
        m.firstUsage = uint16_t(usageStart);
        m.usageCount = uint16_t(pp->usageCount - usageStart);
        uint32_t fields = 0;  // at most 0xFFFF records of 0x10000 fields: no overflow
        for (uint32_t r = usageStart; r < pp->usageCount; ++r) {
            pp->usages[r].fieldStart = fields;
            fields += RecordSpan(pp->usages[r]);
        }
        m.firstString = uint16_t(stringStart);
        m.stringCount = uint16_t(pp->stringCount - stringStart);
        m.firstDesignator = uint16_t(designatorStart);
        m.designatorCount = uint16_t(pp->designatorCount - designatorStart);
        uint32_t& length = pp->reportIds[global.reportIdIndex].bitLength[type - 1];
        m.bitOffset = length;
        const uint64_t grown = uint64_t(length) + uint64_t(global.reportSize) * global.reportCount;
        if (grown > kMaxReportBits) return false;
        length = uint32_t(grown);
        CloseLocals();
        return true;
    }

    bool Run(const uint8_t* bytes, size_t length) {
        pp->reportIdCount = 1;  // record 0: report id 0, lengths 0
        size_t pos = 0;
        HID_ITEM item;
        while (HidReadItem(bytes, length, pos, item)) {
            switch (item.type) {
            case kMain:
                switch (item.tag) {
                case kTagInput: case kTagOutput: case kTagFeature:
                    if (!MainItem(item)) return false;
                    break;
                case kTagCollection:
                    if (!Collection(item)) return false;
                    break;
                case kTagEndCollection:
                    if (!EndCollection()) return false;
                    break;
                default:
                    return false;
                }
                break;
            case kGlobal:
                if (!Global(item)) return false;
                break;
            case kLocal:
                Local(item);
                break;
            default:
                return false;
            }
        }
        if (pp->collectionCount == 0) return false;
        pp->collections[0].firstMainItem = 0;
        pp->collections[0].mainItemCount = pp->mainItemCount;
        return true;
    }
};

// The main items of a collection, clipped to the table.
void CollectionItems(const HIDP_PREPARSED* pp, uint16_t collection, uint32_t& first, uint32_t& end) {
    const HIDP_COLLECTION& c = pp->collections[collection];
    first = c.firstMainItem < pp->mainItemCount ? c.firstMainItem : pp->mainItemCount;
    end = first + c.mainItemCount;
    if (end > pp->mainItemCount) end = pp->mainItemCount;
}

// The usage records of a main item, clipped to the table.
void UsageRecords(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& m, uint32_t& first, uint32_t& end) {
    first = m.firstUsage < pp->usageCount ? m.firstUsage : pp->usageCount;
    end = first + m.usageCount;
    if (end > pp->usageCount) end = pp->usageCount;
}

// Field n of an item; `strict` refuses a field beyond the last record
// (array indices), otherwise such a field takes the last record's usage.
bool FieldToUsage(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& m, uint64_t field, bool strict,
                  uint16_t& page, uint16_t& usage) {
    uint32_t first, end;
    UsageRecords(pp, m, first, end);
    if (first == end) return false;
    // The last record whose first field is not past the field: the records'
    // first fields grow with every record of an item.
    uint32_t lo = first, hi = end;  // the answer lies in [lo, hi)
    while (hi - lo > 1) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (pp->usages[mid].fieldStart <= field) lo = mid;
        else hi = mid;
    }
    const HIDP_USAGE& u = pp->usages[lo];
    if (field >= u.fieldStart && field - u.fieldStart < RecordSpan(u)) {
        page = u.usagePage;
        usage = u.isRange ? uint16_t(u.usageMinimum + (field - u.fieldStart)) : u.usage;
        return true;
    }
    if (strict) return false;
    const HIDP_USAGE& last = pp->usages[end - 1];
    page = last.usagePage;
    usage = last.isRange ? last.usageMaximum : last.usage;
    return true;
}

bool PageMatches(uint16_t want, uint16_t page) {
    return want == 0 || want == page;
}

// Whether one of an item's usage records lies on the page.
bool ItemHoldsPage(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& m, uint16_t page) {
    uint32_t r, end;
    UsageRecords(pp, m, r, end);
    for (; r < end; ++r)
        if (pp->usages[r].usagePage == page) return true;
    return false;
}

// The field of usage (page, usage) in an item and the number of fields that
// belong to it: one, or for the item's last usage every remaining field.
bool UsageToField(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& m, uint16_t page, uint16_t usage,
                  uint32_t& field, uint32_t& fields) {
    uint32_t first, end;
    UsageRecords(pp, m, first, end);
    uint64_t f = 0;
    for (uint32_t r = first; r < end; ++r) {
        const HIDP_USAGE& u = pp->usages[r];
        const bool inRecord = u.isRange ? usage >= u.usageMinimum && usage <= u.usageMaximum
                                        : usage == u.usage;
        if (PageMatches(page, u.usagePage) && inRecord) {
            const uint64_t at = f + (u.isRange ? uint32_t(usage - u.usageMinimum) : 0);
            if (at >= m.global.reportCount) return false;  // the usage has no field
            const bool lastUsage = r + 1 == end && (!u.isRange || usage == u.usageMaximum);
            field = uint32_t(at);
            fields = lastUsage ? uint32_t(m.global.reportCount - at) : 1;
            return true;
        }
        f += RecordSpan(u);
    }
    return false;
}

bool ItemIsSigned(const HIDP_MAIN_ITEM& m) {
    return m.global.logicalMinimum < 0 || m.global.logicalMaximum < 0;
}

uint32_t Unswap(const HIDP_MAIN_ITEM& m, uint32_t v, bool isSigned) {
    if (!(m.flags & HID_ITEM_FLAG_SWAPPED)) return v;
    const int64_t raw = isSigned ? int64_t(int32_t(v)) : int64_t(v);
    return uint32_t(int64_t(m.global.logicalMinimum) + m.global.logicalMaximum - raw);
}

// Field n of an item as a value (sign and swap rules applied).
uint32_t ReadField(const HIDP_MAIN_ITEM& m, const uint8_t* report, uint32_t length, uint64_t field,
                   uint32_t& value) {
    const uint64_t offset = m.bitOffset + field * m.global.reportSize;
    if (offset > 0xFFFFFFFFull) return HIDP_STATUS_INVALID_ARGUMENT;
    const bool isSigned = ItemIsSigned(m);
    uint32_t v;
    const uint32_t st = HidExtractBits(report, length, uint32_t(offset), m.global.reportSize, &v, isSigned);
    if (st != HIDP_STATUS_SUCCESS) return st;
    value = Unswap(m, v, isSigned);
    return HIDP_STATUS_SUCCESS;
}

// The report check every report query makes for a main item.
uint32_t CheckReport(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& m, uint32_t type,
                     const uint8_t* report, uint32_t length) {
    if (!IsReportType(type)) return HIDP_STATUS_INVALID_REPORT_TYPE;
    if (pp->reportIdCount > 1 && (length == 0 || report[0] != m.global.reportId))
        return HIDP_STATUS_REPORT_DOES_NOT_EXIST;
    if (m.reportType != type) return HIDP_STATUS_REPORT_DOES_NOT_EXIST;
    if (m.global.reportIdIndex >= pp->reportIdCount) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    const uint32_t bits = pp->reportIds[m.global.reportIdIndex].bitLength[type - 1];
    if (length < (uint64_t(bits) + 7) / 8) return HIDP_STATUS_INVALID_REPORT_LENGTH;
    return HIDP_STATUS_SUCCESS;
}

uint16_t Clamp16(uint64_t v) {
    return v > 0xFFFF ? 0xFFFF : uint16_t(v);
}

// The fields a usage record covers as a value capability.
uint16_t RecordReportCount(const HIDP_MAIN_ITEM& m, uint64_t firstField, const HIDP_USAGE& u, bool last) {
    if (u.isRange) return Clamp16(RecordSpan(u));
    if (last && m.global.reportCount > firstField + 1) return Clamp16(m.global.reportCount - firstField);
    return 1;
}

// Fills the parts that button and value caps share.
template <class Caps>
void FillCommonCaps(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& m, const HIDP_USAGE& u, Caps& c) {
    c.usagePage = u.usagePage;
    c.reportId = uint8_t(m.global.reportId);
    c.bitField = m.data;
    c.linkCollection = m.parent;
    if (m.parent < pp->collectionCount) {
        const HIDP_COLLECTION& col = pp->collections[m.parent];
        c.linkUsagePage = col.usagePage;
        if (col.usageCount > 0 && col.firstUsage < pp->usageCount) {
            const HIDP_USAGE& cu = pp->usages[col.firstUsage];
            c.linkUsagePage = cu.usagePage;
            c.linkUsage = cu.isRange ? cu.usageMinimum : cu.usage;
        }
    }
    c.isRange = uint8_t(u.isRange ? 1 : 0);
    c.usageMin = u.isRange ? u.usageMinimum : u.usage;
    c.usageMax = u.isRange ? u.usageMaximum : u.usage;
    c.isAbsolute = (m.data & HID_MAIN_RELATIVE) ? 0 : 1;
    if (m.stringCount > 0 && m.firstString < pp->stringCount) {
        const HIDP_INDEX_RANGE& s = pp->strings[m.firstString];
        c.isStringRange = s.isRange;
        c.stringMin = s.isRange ? s.minimum : s.index;
        c.stringMax = s.isRange ? s.maximum : s.index;
    }
    if (m.designatorCount > 0 && m.firstDesignator < pp->designatorCount) {
        const HIDP_INDEX_RANGE& d = pp->designators[m.firstDesignator];
        c.isDesignatorRange = d.isRange;
        c.designatorMin = d.isRange ? d.minimum : d.index;
        c.designatorMax = d.isRange ? d.maximum : d.index;
    }
}

bool CapsMatch(const HIDP_USAGE& u, uint16_t usagePage, uint16_t usage) {
    if (usagePage != 0 && usagePage != u.usagePage) return false;
    if (usage == 0) return true;
    return u.isRange ? usage >= u.usageMinimum && usage <= u.usageMaximum : usage == u.usage;
}

// Walks the matching (item, usage record) pairs of the button or value items
// of a type in a collection and hands each to `emit` until it refuses.
template <class Emit>
uint32_t WalkCaps(uint32_t reportType, uint16_t usagePage, uint16_t collection, uint16_t usage,
                  const HIDP_PREPARSED* pp, bool values, Emit emit) {
    if (!IsValid(pp)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    if (!IsReportType(reportType)) return HIDP_STATUS_INVALID_REPORT_TYPE;
    if (collection >= pp->collectionCount) return HIDP_STATUS_INDEX_OUT_OF_RANGE;
    uint32_t i, end;
    CollectionItems(pp, collection, i, end);
    for (; i < end; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        if (m.reportType != reportType) continue;
        if (values ? !HidIsValueItem(m) : !HidIsButtonItem(m)) continue;
        uint32_t r, rend;
        UsageRecords(pp, m, r, rend);
        uint64_t field = 0;
        for (; r < rend; ++r) {
            const HIDP_USAGE& u = pp->usages[r];
            if (CapsMatch(u, usagePage, usage) && !emit(m, u, field, r + 1 == rend))
                return HIDP_STATUS_BUFFER_TOO_SMALL;
            field += RecordSpan(u);
        }
    }
    return HIDP_STATUS_SUCCESS;
}

} // namespace

bool HidReadItem(const uint8_t* bytes, size_t length, size_t& pos, HID_ITEM& item) {
    if (!bytes) return false;
    while (pos < length) {
        const uint8_t prefix = bytes[pos];
        if (prefix == 0xFE) {  // long item: size, tag, data; skipped whole
            if (length - pos < 3) return false;
            const size_t skip = 3 + size_t(bytes[pos + 1]);
            if (length - pos < skip) return false;
            pos += skip;
            continue;
        }
        const uint8_t code = prefix & 3;
        const uint8_t size = code == 3 ? 4 : code;
        if (length - pos - 1 < size) return false;
        item.type = (prefix >> 2) & 3;
        item.tag = prefix >> 4;
        item.size = size;
        uint32_t data = 0;
        for (uint8_t k = 0; k < size; ++k) data |= uint32_t(bytes[pos + 1 + k]) << (8 * k);
        item.data = data;
        if (size == 0 || size == 4) {
            item.sdata = int32_t(data);
        } else {
            const uint32_t signBit = 1u << (8 * size - 1);
            item.sdata = (data & signBit) ? int32_t(data | ~((signBit << 1) - 1)) : int32_t(data);
        }
        pos += 1 + size;
        return true;
    }
    return false;
}

int HidParseReportDescriptor(const uint8_t* bytes, size_t length, HIDP_PREPARSED** out) {
    if (!out) return 0;
    *out = nullptr;
    if (!bytes || length == 0) return 0;
    while (length > 1 && bytes[length - 1] == 0) --length;  // trailing zero bytes are padding

    TableSizes sizes;
    if (!CountingPass(bytes, length, sizes)) return 0;

    // One zeroed block for every table, in a fixed order.
    size_t offsets[8];
    const size_t recordSizes[8] = {sizeof(HIDP_COLLECTION), sizeof(HIDP_MAIN_ITEM), sizeof(HIDP_REPORT_ID),
                                   sizeof(HIDP_USAGE), sizeof(HIDP_INDEX_RANGE), sizeof(HIDP_INDEX_RANGE),
                                   sizeof(uint32_t), sizeof(HIDP_GLOBAL_STATE)};
    const uint32_t counts[8] = {sizes.collections, sizes.mainItems, sizes.reportIds, sizes.usages,
                                sizes.strings, sizes.designators, sizes.collectionStack, sizes.pushStack};
    size_t total = 0;
    for (int k = 0; k < 8; ++k) {
        offsets[k] = total;
        total = AlignUp(total + recordSizes[k] * counts[k]);  // counts <= 0xFFFF: no overflow
    }

    HIDP_PREPARSED* pp = new (std::nothrow) HIDP_PREPARSED{};
    if (!pp) return 0;
    pp->tag = HIDP_PREPARSED_TAG;
    pp->tableBlock = new (std::nothrow) uint8_t[total ? total : 1]();
    if (!pp->tableBlock) {
        HidFreePreparsedData(pp);
        return 0;
    }
    pp->tableBlockSize = total;
    uint8_t* b = pp->tableBlock;
    pp->collections = reinterpret_cast<HIDP_COLLECTION*>(b + offsets[0]);
    pp->mainItems = reinterpret_cast<HIDP_MAIN_ITEM*>(b + offsets[1]);
    pp->reportIds = reinterpret_cast<HIDP_REPORT_ID*>(b + offsets[2]);
    pp->usages = reinterpret_cast<HIDP_USAGE*>(b + offsets[3]);
    pp->strings = reinterpret_cast<HIDP_INDEX_RANGE*>(b + offsets[4]);
    pp->designators = reinterpret_cast<HIDP_INDEX_RANGE*>(b + offsets[5]);
    for (uint32_t k = 0; k < sizes.collections; ++k) new (&pp->collections[k]) HIDP_COLLECTION{};
    for (uint32_t k = 0; k < sizes.mainItems; ++k) new (&pp->mainItems[k]) HIDP_MAIN_ITEM{};
    for (uint32_t k = 0; k < sizes.reportIds; ++k) new (&pp->reportIds[k]) HIDP_REPORT_ID{};
    for (uint32_t k = 0; k < sizes.usages; ++k) new (&pp->usages[k]) HIDP_USAGE{};
    for (uint32_t k = 0; k < sizes.strings; ++k) new (&pp->strings[k]) HIDP_INDEX_RANGE{};
    for (uint32_t k = 0; k < sizes.designators; ++k) new (&pp->designators[k]) HIDP_INDEX_RANGE{};
    uint32_t* collectionStack = reinterpret_cast<uint32_t*>(b + offsets[6]);
    HIDP_GLOBAL_STATE* pushStack = reinterpret_cast<HIDP_GLOBAL_STATE*>(b + offsets[7]);
    for (uint32_t k = 0; k < sizes.pushStack; ++k) new (&pushStack[k]) HIDP_GLOBAL_STATE{};

    FillContext fill(pp, sizes, collectionStack, pushStack);
    if (!fill.Run(bytes, length)) {
        HidFreePreparsedData(pp);
        return 0;
    }
    *out = pp;
    return 1;
}

int HidFreePreparsedData(HIDP_PREPARSED* pp) {
    if (!IsValid(pp)) return 0;
    pp->tag = 0;
    delete[] pp->tableBlock;
    delete pp;
    return 1;
}

bool HidIsButtonItem(const HIDP_MAIN_ITEM& m) {
    if ((m.data & HID_MAIN_CONSTANT) && m.usageCount == 0) return false;
    return !(m.data & HID_MAIN_VARIABLE) || m.global.reportSize == 1;
}

bool HidIsValueItem(const HIDP_MAIN_ITEM& m) {
    if ((m.data & HID_MAIN_CONSTANT) && m.usageCount == 0) return false;
    return (m.data & HID_MAIN_VARIABLE) && m.global.reportSize != 1;
}

bool HidFieldUsage(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& item, uint32_t field,
                   uint16_t& usagePage, uint16_t& usage) {
    if (!IsValid(pp)) return false;
    return FieldToUsage(pp, item, field, false, usagePage, usage);
}

uint32_t HidGetCaps(const HIDP_PREPARSED* pp, HID_CAPS* caps) {
    if (!caps) return HIDP_STATUS_INVALID_ARGUMENT;
    *caps = HID_CAPS{};
    if (!IsValid(pp)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    if (pp->collectionCount > 0) {
        const HIDP_COLLECTION& c = pp->collections[0];
        caps->usagePage = c.usagePage;
        if (c.usageCount > 0 && c.firstUsage < pp->usageCount) {
            const HIDP_USAGE& u = pp->usages[c.firstUsage];
            caps->usagePage = u.usagePage;
            caps->usage = u.isRange ? u.usageMinimum : u.usage;
        }
    }
    uint16_t* lengths[3] = {&caps->inputReportByteLength, &caps->outputReportByteLength,
                            &caps->featureReportByteLength};
    for (uint32_t r = 0; r < pp->reportIdCount; ++r)
        for (int t = 0; t < 3; ++t) {
            const uint16_t bytes = Clamp16((uint64_t(pp->reportIds[r].bitLength[t]) + 7) / 8);
            if (bytes > *lengths[t]) *lengths[t] = bytes;
        }
    caps->numberLinkCollectionNodes = pp->collectionCount;
    uint16_t* buttons[3] = {&caps->numberInputButtonCaps, &caps->numberOutputButtonCaps,
                            &caps->numberFeatureButtonCaps};
    uint16_t* values[3] = {&caps->numberInputValueCaps, &caps->numberOutputValueCaps,
                           &caps->numberFeatureValueCaps};
    for (uint32_t i = 0; i < pp->mainItemCount; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        if (!IsReportType(m.reportType)) continue;
        uint16_t* target = HidIsButtonItem(m) ? buttons[m.reportType - 1]
                         : HidIsValueItem(m) ? values[m.reportType - 1] : nullptr;
        if (target) *target = Clamp16(uint64_t(*target) + m.usageCount);
    }
    caps->hasReportIds = pp->reportIdCount > 1 ? 1 : 0;
    return HIDP_STATUS_SUCCESS;
}

uint32_t HidGetSpecificButtonCaps(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                                  uint16_t usage, HID_BUTTON_CAPS* caps, uint16_t* count,
                                  const HIDP_PREPARSED* pp) {
    if (!caps || !count) return HIDP_STATUS_INVALID_ARGUMENT;
    const uint16_t room = *count;
    uint16_t written = 0;
    const uint32_t st = WalkCaps(reportType, usagePage, collection, usage, pp, false,
        [&](const HIDP_MAIN_ITEM& m, const HIDP_USAGE& u, uint64_t, bool) {
            if (written >= room) return false;
            HID_BUTTON_CAPS& c = caps[written++];
            c = HID_BUTTON_CAPS{};
            FillCommonCaps(pp, m, u, c);
            return true;
        });
    *count = written;
    return st;
}

uint32_t HidGetSpecificValueCaps(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                                 uint16_t usage, HID_VALUE_CAPS* caps, uint16_t* count,
                                 const HIDP_PREPARSED* pp) {
    if (!caps || !count) return HIDP_STATUS_INVALID_ARGUMENT;
    const uint16_t room = *count;
    uint16_t written = 0;
    const uint32_t st = WalkCaps(reportType, usagePage, collection, usage, pp, true,
        [&](const HIDP_MAIN_ITEM& m, const HIDP_USAGE& u, uint64_t field, bool last) {
            if (written >= room) return false;
            HID_VALUE_CAPS& c = caps[written++];
            c = HID_VALUE_CAPS{};
            FillCommonCaps(pp, m, u, c);
            c.hasNull = (m.data & HID_MAIN_NULL_STATE) ? 1 : 0;
            c.bitSize = Clamp16(m.global.reportSize);
            c.reportCount = RecordReportCount(m, field, u, last);
            c.logicalMin = m.global.logicalMinimum;
            c.logicalMax = m.global.logicalMaximum;
            c.physicalMin = m.global.physicalMinimum;
            c.physicalMax = m.global.physicalMaximum;
            return true;
        });
    *count = written;
    return st;
}

uint32_t HidGetButtonCaps(uint32_t reportType, HID_BUTTON_CAPS* caps, uint16_t* count,
                          const HIDP_PREPARSED* pp) {
    return HidGetSpecificButtonCaps(reportType, 0, 0, 0, caps, count, pp);
}

uint32_t HidGetValueCaps(uint32_t reportType, HID_VALUE_CAPS* caps, uint16_t* count,
                         const HIDP_PREPARSED* pp) {
    return HidGetSpecificValueCaps(reportType, 0, 0, 0, caps, count, pp);
}

uint32_t HidMaxUsageListLength(uint32_t reportType, uint16_t usagePage, const HIDP_PREPARSED* pp) {
    if (!IsValid(pp) || !IsReportType(reportType)) return 0;
    uint64_t total = 0;
    for (uint32_t i = 0; i < pp->mainItemCount; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        if (m.reportType != reportType || !HidIsButtonItem(m)) continue;
        uint32_t r, end;
        UsageRecords(pp, m, r, end);
        for (; r < end; ++r)
            if (PageMatches(usagePage, pp->usages[r].usagePage)) total += m.global.reportCount;
    }
    return total > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(total);
}

uint32_t HidGetUsages(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                      uint16_t* usages, uint32_t* count, const HIDP_PREPARSED* pp,
                      const uint8_t* report, uint32_t reportLength) {
    if (!usages || !count || !report || reportLength == 0) return HIDP_STATUS_INVALID_ARGUMENT;
    const uint32_t room = *count;
    *count = 0;
    if (!IsValid(pp)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    if (!IsReportType(reportType)) return HIDP_STATUS_INVALID_REPORT_TYPE;
    if (collection >= pp->collectionCount) return HIDP_STATUS_INVALID_ARGUMENT;
    uint32_t written = 0;
    // Whether the page's items lie in the asked report, or only in others.
    bool pageHere = false, pageElsewhere = false;
    uint32_t i, end;
    CollectionItems(pp, collection, i, end);
    for (; i < end; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        if (!HidIsButtonItem(m)) continue;
        const uint32_t st = CheckReport(pp, m, reportType, report, reportLength);
        if (st == HIDP_STATUS_REPORT_DOES_NOT_EXIST) {
            pageElsewhere = pageElsewhere || ItemHoldsPage(pp, m, usagePage);
            continue;
        }
        pageHere = pageHere || ItemHoldsPage(pp, m, usagePage);
        if (st != HIDP_STATUS_SUCCESS) {
            *count = written;
            return st;
        }
        const uint32_t size = m.global.reportSize;
        const bool bitFields = (m.data & HID_MAIN_VARIABLE) || size == 1;
        if (size == 0 || size > 32) continue;  // no field of this item can be read
        for (uint32_t n = 0; n < m.global.reportCount; ++n) {
            const uint64_t offset = m.bitOffset + uint64_t(n) * size;
            uint32_t v;
            if (offset > 0xFFFFFFFFull ||
                HidExtractBits(report, reportLength, uint32_t(offset), size, &v, 0) != HIDP_STATUS_SUCCESS)
                break;
            uint16_t page, usage;
            if (bitFields) {
                if (!(v & 1) || !FieldToUsage(pp, m, n, false, page, usage)) continue;
            } else {
                // An array field holds an index into the item's usages; a value
                // outside the logical range or past the usages is no usage.
                const int64_t index = int64_t(v) - m.global.logicalMinimum;
                if (index < 0 || index > int64_t(m.global.logicalMaximum) - m.global.logicalMinimum) continue;
                if (!FieldToUsage(pp, m, uint64_t(index), true, page, usage)) continue;
            }
            if (page != usagePage) continue;
            if (written >= room) {
                *count = written;
                return HIDP_STATUS_BUFFER_TOO_SMALL;
            }
            usages[written++] = usage;
        }
    }
    *count = written;
    if (written > 0) return HIDP_STATUS_SUCCESS;
    return pageElsewhere && !pageHere ? HIDP_STATUS_REPORT_DOES_NOT_EXIST : HIDP_STATUS_USAGE_NOT_FOUND;
}

namespace {

// Finds the value item of a collection that holds (page, usage) in the asked
// report; `report check` failures other than "another report" end the search.
uint32_t FindValue(uint32_t reportType, uint16_t usagePage, uint16_t collection, uint16_t usage,
                   const HIDP_PREPARSED* pp, const uint8_t* report, uint32_t reportLength,
                   const HIDP_MAIN_ITEM*& found, uint32_t& field, uint32_t& fields) {
    if (!IsValid(pp)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    if (!IsReportType(reportType)) return HIDP_STATUS_INVALID_REPORT_TYPE;
    if (collection >= pp->collectionCount) return HIDP_STATUS_INVALID_ARGUMENT;
    bool otherReport = false;
    uint32_t i, end;
    CollectionItems(pp, collection, i, end);
    for (; i < end; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        if (!HidIsValueItem(m) || !UsageToField(pp, m, usagePage, usage, field, fields)) continue;
        const uint32_t st = CheckReport(pp, m, reportType, report, reportLength);
        if (st == HIDP_STATUS_REPORT_DOES_NOT_EXIST) {
            otherReport = true;
            continue;
        }
        if (st != HIDP_STATUS_SUCCESS) return st;
        found = &m;
        return HIDP_STATUS_SUCCESS;
    }
    return otherReport ? HIDP_STATUS_REPORT_DOES_NOT_EXIST : HIDP_STATUS_USAGE_NOT_FOUND;
}

} // namespace

uint32_t HidGetUsageValue(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                          uint16_t usage, uint32_t* value, const HIDP_PREPARSED* pp,
                          const uint8_t* report, uint32_t reportLength) {
    if (!value || !report || reportLength == 0) return HIDP_STATUS_INVALID_ARGUMENT;
    const HIDP_MAIN_ITEM* m = nullptr;
    uint32_t field = 0, fields = 0;
    const uint32_t st = FindValue(reportType, usagePage, collection, usage, pp, report, reportLength,
                                  m, field, fields);
    if (st != HIDP_STATUS_SUCCESS) return st;
    return ReadField(*m, report, reportLength, field, *value);
}

uint32_t HidGetUsageValueArray(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                               uint16_t usage, uint8_t* bytes, uint32_t byteCount,
                               const HIDP_PREPARSED* pp, const uint8_t* report,
                               uint32_t reportLength) {
    if (!bytes || byteCount == 0 || !report || reportLength == 0) return HIDP_STATUS_INVALID_ARGUMENT;
    const HIDP_MAIN_ITEM* m = nullptr;
    uint32_t field = 0, fields = 0;
    const uint32_t st = FindValue(reportType, usagePage, collection, usage, pp, report, reportLength,
                                  m, field, fields);
    if (st != HIDP_STATUS_SUCCESS) return st;
    if (fields <= 1) return HIDP_STATUS_NOT_VALUE_ARRAY;
    const uint64_t bits = uint64_t(m->global.reportSize) * fields;
    uint64_t n = (bits + 7) / 8;
    if (n > byteCount) n = byteCount;
    const uint64_t start = m->bitOffset + uint64_t(field) * m->global.reportSize;
    // The swap rule works on whole fields: it applies to 8-bit fields only.
    const bool swapBytes = (m->flags & HID_ITEM_FLAG_SWAPPED) && m->global.reportSize == 8;
    const bool isSigned = ItemIsSigned(*m);
    for (uint64_t k = 0; k < n; ++k) {
        const uint64_t at = start + 8 * k;
        const uint64_t left = bits - 8 * k;
        const uint32_t take = left < 8 ? uint32_t(left) : 8;
        uint32_t v;
        if (at > 0xFFFFFFFFull) return HIDP_STATUS_INVALID_ARGUMENT;
        const uint32_t xs = HidExtractBits(report, reportLength, uint32_t(at), take, &v, swapBytes && isSigned);
        if (xs != HIDP_STATUS_SUCCESS) return xs;
        bytes[k] = uint8_t(swapBytes ? Unswap(*m, v, isSigned) : v);
    }
    return HIDP_STATUS_SUCCESS;
}

uint32_t HidExtractBits(const uint8_t* report, uint32_t length, uint32_t bitOffset,
                        uint32_t bitCount, uint32_t* out, int isSigned) {
    if (!report || !out || bitCount == 0 || bitCount > 32) return HIDP_STATUS_INVALID_ARGUMENT;
    const uint64_t end = uint64_t(bitOffset) + bitCount;
    if (end > uint64_t(length) * 8) return HIDP_STATUS_INVALID_ARGUMENT;
    const uint32_t first = bitOffset / 8;
    const uint32_t last = uint32_t((end - 1) / 8);
    uint64_t acc = 0;  // at most 5 bytes
    for (uint32_t i = last + 1; i-- > first;) acc = (acc << 8) | report[i];
    acc >>= bitOffset % 8;
    const uint64_t mask = (uint64_t(1) << bitCount) - 1;
    acc &= mask;
    if (isSigned && ((acc >> (bitCount - 1)) & 1)) acc |= ~mask;
    *out = uint32_t(acc);
    return HIDP_STATUS_SUCCESS;
}

int HidReportHasReportId(const uint8_t* bytes, size_t length) {
    size_t pos = 0;
    HID_ITEM item;
    while (HidReadItem(bytes, length, pos, item))
        if (item.type == kGlobal && item.tag == kGlobalReportId) return 1;
    return 0;
}

} // namespace brx

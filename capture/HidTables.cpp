// HID report-descriptor tables and the parsed-descriptor cache.
#include "capture/HidTables.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <set>

#include "base/ByteWriter.h"

namespace brx {

namespace {

// HID_DESCRIPTOR_ITEM fields.
constexpr size_t kItemSize = 0, kItemKind = 4, kItemInterface = 8, kItemDescLength = 12,
                 kItemDescOffset = 14, kItemObjectCount = 16, kItemObjectOffset = 20,
                 kItemPipeCount = 24, kItemPipeOffset = 28;

// Value slots built for one usage range: never more than the fields a report
// of the type can hold (at least 2 bits each), and never more than this many
// slots per report type, whatever the descriptor claims.
constexpr size_t kMaxSlotsPerType = 65536;

// A key list lies inside its item (offset 0 means none).
bool KeyListFits(const ByteReader& item, uint32_t count, uint32_t offset) {
    if (offset == 0 || count == 0) return true;
    return item.has(offset, 0) && uint64_t(count) * HID_OBJECT_KEY_SIZE <= item.size() - offset;
}

// The descriptor bytes and both key lists lie inside the item.
bool ItemFits(const ByteReader& item) {
    if (item.size() < HID_ITEM_HEADER_SIZE) return false;
    const uint16_t length = item.u16le_or(kItemDescLength);
    const uint16_t offset = item.u16le_or(kItemDescOffset);
    if (length != 0 && offset != 0 && !item.has(offset, length)) return false;
    return KeyListFits(item, item.u32le_or(kItemObjectCount), item.u32le_or(kItemObjectOffset)) &&
           KeyListFits(item, item.u32le_or(kItemPipeCount), item.u32le_or(kItemPipeOffset));
}

} // namespace

// ---------------------------------------------------------------------------
// CHIDDeviceRDHash

void CHIDDeviceRDHash::AddFromBlock(const uint8_t* block, size_t n, const RECORD_LAYOUT& layout) {
    const size_t header = layout.hidBlockHeaderSize;
    if (!block || header < 16 || n <= header) return;
    const ByteReader whole(block, n);
    const uint32_t total = whole.u32le_or(0);
    const uint32_t kind = whole.u32le_or(4);
    const uint32_t count = whole.u32le_or(8);
    if (count == 0 || kind != HID_BLOCK_KIND || n < total || total <= header) return;
    const ByteReader r = whole.sub(0, total);  // items never reach past the block's own size
    size_t pos = header;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t size, itemKind;
        if (!r.u32le(pos + kItemSize, size) || !r.u32le(pos + kItemKind, itemKind)) break;
        if (size < HID_ITEM_HEADER_SIZE || itemKind != HID_ITEM_KIND || !r.has(pos, size)) break;
        const ByteReader item = r.sub(pos, size);
        if (!ItemFits(item)) break;
        AddDescriptor(item);
        pos += size;
    }
}

void CHIDDeviceRDHash::KeyTable::Clear() {
    for (auto& b : buckets) b.clear();
    first.Clear();
    exact.Clear();
}

void CHIDDeviceRDHash::AddKeys(Entry& e, ByteReader item, uint32_t count, uint32_t offset, bool pipes) {
    if (offset == 0) return;
    std::vector<HID_OBJECT_KEY>& list = pipes ? e.pipes : e.objects;
    CKeyIndex& listed = pipes ? e.pipeKeys : e.objectKeys;
    KeyTable& table = pipes ? pipes_ : objects_;
    // The indexes grow once for all the keys the item can hold.
    const size_t fit = std::min<size_t>(count, offset < item.size() ? (item.size() - offset) / HID_OBJECT_KEY_SIZE : 0);
    try {
        listed.Reserve(fit);
        table.first.Reserve(fit);
        table.exact.Reserve(fit);
    } catch (const std::bad_alloc&) {
        // each key below reserves its own room, or is dropped
    }
    for (uint32_t k = 0; k < count; ++k) {
        const size_t at = size_t(offset) + size_t(k) * HID_OBJECT_KEY_SIZE;
        if (!item.has(at, HID_OBJECT_KEY_SIZE)) return;
        HID_OBJECT_KEY key{item.u32le_or(at), item.u32le_or(at + 4), item.u8or(at + 8), item.u8or(at + 9)};
        const uint64_t both = (uint64_t{key.key0} << 32) | key.key1;
        try {
            // Room first, so that nothing below can fail halfway.
            ReserveOneMore(list);
            listed.ReserveOne();
            std::vector<KeyNode>& bucket = table.buckets[key.key1 & 0x3F];
            ReserveOneMore(bucket);
            table.first.ReserveOne();
            table.exact.ReserveOne();
            if (listed.Insert(both, 0, 0)) list.push_back(key);
            const uint32_t place = uint32_t(bucket.size());
            if (table.exact.Insert(both, e.interfaceNumber, place)) {
                table.first.Insert(both, 0, place);   // kept only for the key's first node
                bucket.push_back({key.key0, key.key1, e.interfaceNumber, e.id,
                                  uint8_t(pipes ? key.extra1 : 0), uint8_t(pipes ? key.extra2 : 0)});
            }
        } catch (const std::bad_alloc&) {
            return;  // out of memory: the key is dropped
        }
    }
}

uint64_t CHIDDeviceRDHash::ContentHash(uint8_t interfaceNumber, const uint8_t* bytes, size_t length) {
    uint64_t h = 0xCBF29CE484222325ull ^ interfaceNumber;  // FNV-1a
    for (size_t i = 0; i < length; ++i) h = (h ^ bytes[i]) * 0x100000001B3ull;
    return h ^ length;
}

void CHIDDeviceRDHash::AddDescriptor(ByteReader item) {
    if (!ItemFits(item)) return;
    const uint8_t interfaceNumber = item.u8or(kItemInterface);
    const uint16_t length = item.u16le_or(kItemDescLength);
    const uint16_t offset = item.u16le_or(kItemDescOffset);
    const uint32_t objectCount = item.u32le_or(kItemObjectCount);
    const uint32_t objectOffset = item.u32le_or(kItemObjectOffset);
    const uint32_t pipeCount = item.u32le_or(kItemPipeCount);
    const uint32_t pipeOffset = item.u32le_or(kItemPipeOffset);
    const ByteReader desc = item.sub(offset, length);

    std::lock_guard<std::mutex> guard(lock_);
    const uint64_t hash = ContentHash(interfaceNumber, desc.data(), desc.size());
    if (length != 0 && offset != 0) {
        // Equal descriptors share one entry, so at most one can match.
        const auto [first, last] = byContent_.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            Entry& e = *it->second;
            if (e.bytes.size() == length && e.interfaceNumber == interfaceNumber &&
                std::memcmp(e.bytes.data(), desc.data(), length) == 0) {
                AddKeys(e, item, objectCount, objectOffset, false);
                AddKeys(e, item, pipeCount, pipeOffset, true);
                return;
            }
        }
    }
    if (length == 0 || offset == 0) return;
    try {
        auto e = std::make_unique<Entry>();
        e->bytes.assign(desc.data(), desc.data() + length);
        e->id = lastId_ + 1;
        e->interfaceNumber = interfaceNumber;
        e->hasReportIds = uint8_t(HidReportHasReportId(e->bytes.data(), e->bytes.size()));
        auto& bucket = buckets_[e->id & 0xF];
        const auto content = byContent_.emplace(hash, e.get());
        try {
            bucket.push_back(std::move(e));
        } catch (...) {
            byContent_.erase(content);
            throw;
        }
        lastId_ = bucket.back()->id;
        AddKeys(*bucket.back(), item, objectCount, objectOffset, false);
        AddKeys(*bucket.back(), item, pipeCount, pipeOffset, true);
    } catch (const std::bad_alloc&) {
        // out of memory: the descriptor is dropped
    }
}

const CHIDDeviceRDHash::Entry* CHIDDeviceRDHash::FindLocked(uint32_t id) const {
    if (id == 0) return nullptr;
    for (const auto& e : buckets_[id & 0xF])
        if (e->id == id) return e.get();
    return nullptr;
}

const CHIDDeviceRDHash::KeyNode* CHIDDeviceRDHash::FindKey(const KeyTable& table, const HID_OBJECT_KEY& key,
                                                           uint8_t interfaceNumber, bool anyInterface) {
    const uint64_t both = (uint64_t{key.key0} << 32) | key.key1;
    const uint32_t* place = anyInterface ? table.first.Find(both) : table.exact.Find(both, interfaceNumber);
    return place ? &table.buckets[key.key1 & 0x3F][*place] : nullptr;
}

uint32_t CHIDDeviceRDHash::GetDescriptor(uint32_t id, uint8_t* buffer, size_t size) const {
    std::lock_guard<std::mutex> guard(lock_);
    const Entry* e = FindLocked(id);
    if (!e || !buffer || size < e->bytes.size()) return 0;
    std::memcpy(buffer, e->bytes.data(), e->bytes.size());
    return uint32_t(e->bytes.size());
}

uint32_t CHIDDeviceRDHash::GetDescriptorLength(uint32_t id) const {
    std::lock_guard<std::mutex> guard(lock_);
    const Entry* e = FindLocked(id);
    return e ? uint32_t(e->bytes.size()) : 0;
}

uint32_t CHIDDeviceRDHash::GetIdByObject(const HID_OBJECT_KEY& key, uint8_t interfaceNumber) const {
    std::lock_guard<std::mutex> guard(lock_);
    const KeyNode* n = FindKey(objects_, key, interfaceNumber, false);
    return n ? n->id : 0;
}

uint32_t CHIDDeviceRDHash::GetIdByPipe(const HID_OBJECT_KEY& key, uint8_t interfaceNumber) const {
    std::lock_guard<std::mutex> guard(lock_);
    const KeyNode* n = FindKey(pipes_, key, interfaceNumber, interfaceNumber == HID_ANY_INTERFACE);
    return n ? n->id : 0;
}

int CHIDDeviceRDHash::HasReportIds(const HID_OBJECT_KEY& pipe, uint8_t interfaceNumber) const {
    std::lock_guard<std::mutex> guard(lock_);
    const KeyNode* n = FindKey(pipes_, pipe, interfaceNumber, interfaceNumber == HID_ANY_INTERFACE);
    const Entry* e = n ? FindLocked(n->id) : nullptr;
    return e ? e->hasReportIds : -1;
}

uint32_t CHIDDeviceRDHash::ToBlock(uint8_t* buffer, size_t size, size_t* written,
                                   const RECORD_LAYOUT& layout) const {
    if (written) *written = 0;
    const size_t header = layout.hidBlockHeaderSize;
    if (!buffer || !written || header < 16) return HID_ERROR_INVALID_PARAMETER;
    if (size < header) return HID_ERROR_INSUFFICIENT_BUFFER;
    std::memset(buffer, 0, size);
    PutLe32(buffer, uint32_t(header));
    PutLe32(buffer + 4, HID_BLOCK_KIND);

    std::lock_guard<std::mutex> guard(lock_);
    size_t pos = header;
    uint32_t count = 0;
    for (const auto& bucket : buckets_)
        for (const auto& e : bucket) {
            const size_t room = size - pos;
            if (room < HID_ITEM_HEADER_SIZE) return HID_ERROR_INSUFFICIENT_BUFFER;
            const uint64_t length = e->bytes.size();
            uint64_t itemSize = (length + 35) & ~uint64_t(3);
            if (itemSize > room) return HID_ERROR_INSUFFICIENT_BUFFER;
            uint8_t* item = buffer + pos;
            PutLe32(item + kItemKind, HID_ITEM_KIND);
            item[kItemInterface] = e->interfaceNumber;
            PutLe16(item + kItemDescLength, uint16_t(length));
            PutLe16(item + kItemDescOffset, uint16_t(HID_ITEM_HEADER_SIZE));
            std::memcpy(item + HID_ITEM_HEADER_SIZE, e->bytes.data(), length);
            const std::vector<HID_OBJECT_KEY>* lists[2] = {&e->objects, &e->pipes};
            const size_t countAt[2] = {kItemObjectCount, kItemPipeCount};
            const size_t offsetAt[2] = {kItemObjectOffset, kItemPipeOffset};
            for (int l = 0; l < 2; ++l) {
                const auto& keys = *lists[l];
                if (keys.empty()) continue;
                if (itemSize > 0xFFFFFFFFull) return HID_ERROR_INSUFFICIENT_BUFFER;
                PutLe32(item + countAt[l], uint32_t(keys.size()));
                PutLe32(item + offsetAt[l], uint32_t(itemSize));
                for (const HID_OBJECT_KEY& k : keys) {
                    if (HID_OBJECT_KEY_SIZE > room - itemSize) return HID_ERROR_INSUFFICIENT_BUFFER;
                    uint8_t* p = item + itemSize;
                    PutLe32(p, k.key0);
                    PutLe32(p + 4, k.key1);
                    p[8] = k.extra1;
                    p[9] = k.extra2;
                    itemSize += HID_OBJECT_KEY_SIZE;
                }
            }
            if (pos + itemSize > 0xFFFFFFFFull) return HID_ERROR_INSUFFICIENT_BUFFER;
            PutLe32(item + kItemSize, uint32_t(itemSize));
            pos += size_t(itemSize);
            ++count;
            PutLe32(buffer, uint32_t(pos));
            PutLe32(buffer + 8, count);
        }
    *written = pos;
    return 0;
}

void CHIDDeviceRDHash::RemoveAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& b : buckets_) b.clear();
    byContent_ = {};
    objects_.Clear();
    pipes_.Clear();
    lastId_ = 0;
}

// ---------------------------------------------------------------------------
// CHIDDeviceDataHash

CHIDDeviceDataHash::~CHIDDeviceDataHash() = default;

void CHIDDeviceDataHash::SetRDHash(CHIDDeviceRDHash* rd) {
    std::lock_guard<std::mutex> guard(lock_);
    rd_ = rd;
}

void CHIDDeviceDataHash::RemoveAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& b : buckets_) b.clear();
}

bool CHIDDeviceDataHash::ReadBits(const uint8_t* bytes, uint32_t length, uint32_t bitOffset,
                                  uint32_t bitCount, bool isSigned, uint32_t& value) {
    return HidExtractBits(bytes, length, bitOffset, bitCount, &value, isSigned ? 1 : 0) == HIDP_STATUS_SUCCESS;
}

bool CHIDDeviceDataHash::BuildSlots(Parsed& p, uint32_t type) {
    SlotList& list = p.lists[type - 1];
    const uint16_t* numbers[3][2] = {
        {&p.caps.numberInputButtonCaps, &p.caps.numberInputValueCaps},
        {&p.caps.numberOutputButtonCaps, &p.caps.numberOutputValueCaps},
        {&p.caps.numberFeatureButtonCaps, &p.caps.numberFeatureValueCaps}};
    const uint16_t lengths[3] = {p.caps.inputReportByteLength, p.caps.outputReportByteLength,
                                 p.caps.featureReportByteLength};
    uint16_t nb = *numbers[type - 1][0], nv = *numbers[type - 1][1];
    list.buttonCaps.resize(nb);
    list.valueCaps.resize(nv);
    if (nb && HidGetSpecificButtonCaps(type, 0, 0, 0, list.buttonCaps.data(), &nb, p.pp) != HIDP_STATUS_SUCCESS)
        return false;
    if (nv && HidGetSpecificValueCaps(type, 0, 0, 0, list.valueCaps.data(), &nv, p.pp) != HIDP_STATUS_SUCCESS)
        return false;
    list.buttonCaps.resize(nb);
    list.valueCaps.resize(nv);
    for (const HID_BUTTON_CAPS& c : list.buttonCaps) {
        if (list.slots.size() >= kMaxSlotsPerType) break;
        Slot s;
        s.reportId = c.reportId;
        s.usagePage = c.usagePage;
        s.isButton = 1;
        s.usageLow = c.usageMin;
        s.usageHigh = c.usageMax;
        list.slots.push_back(s);
    }
    BuildButtonGroups(p, list, type);
    const uint64_t maxFields = uint64_t(lengths[type - 1]) * 4 + 1;
    for (const HID_VALUE_CAPS& c : list.valueCaps) {
        if (c.bitSize == 0 || c.bitSize > 32) continue;  // no field of it can be read
        Slot s;
        s.reportId = c.reportId;
        s.usagePage = c.usagePage;
        s.usageHigh = c.hasNull;
        s.bitSize = c.bitSize;
        s.reportCount = c.reportCount;
        s.logicalMin = c.logicalMin;
        s.logicalMax = c.logicalMax;
        s.physicalMin = c.physicalMin;
        s.physicalMax = c.physicalMax;
        s.fromRange = c.isRange != 0;
        const uint64_t span = c.isRange ? std::min<uint64_t>(uint64_t(c.usageMax - c.usageMin) + 1, maxFields) : 1;
        for (uint64_t k = 0; k < span && list.slots.size() < kMaxSlotsPerType; ++k) {
            s.usageLow = uint16_t(c.usageMin + k);
            list.slots.push_back(s);
        }
    }
    return true;
}

void CHIDDeviceDataHash::BuildButtonGroups(Parsed& p, SlotList& list, uint32_t type) {
    const uint16_t lengths[3] = {p.caps.inputReportByteLength, p.caps.outputReportByteLength,
                                 p.caps.featureReportByteLength};
    // No report holds more fields than it has bits.
    const uint32_t fieldBound = uint32_t(lengths[type - 1]) * 8 + 8;
    std::map<std::pair<uint8_t, uint16_t>, size_t> groupOf;
    std::map<uint16_t, uint32_t> capacityOf;  // HidMaxUsageListLength per page
    for (uint32_t k = 0; k < list.slots.size(); ++k) {
        const Slot& s = list.slots[k];
        if (!s.isButton) continue;
        auto [at, added] = groupOf.try_emplace({s.reportId, s.usagePage}, list.buttonGroups.size());
        if (added) {
            auto [cap, first] = capacityOf.try_emplace(s.usagePage, 0);
            if (first) cap->second = std::min(HidMaxUsageListLength(type, s.usagePage, p.pp), fieldBound);
            ButtonGroup g;
            g.reportId = s.reportId;
            g.usagePage = s.usagePage;
            g.capacity = cap->second;
            list.buttonGroups.push_back(std::move(g));
        }
        list.buttonGroups[at->second].slots.push_back(k);
    }
    // Each group's ranges, swept from low to high usages: every stretch
    // between two range ends goes to the first slot whose range covers it.
    for (ButtonGroup& g : list.buttonGroups) {
        struct Edge {
            uint32_t at;     // usage where the slot's range starts, or ends + 1
            bool opens;
            uint32_t slot;
        };
        std::vector<Edge> edges;
        edges.reserve(2 * g.slots.size());
        for (uint32_t k : g.slots) {
            const Slot& s = list.slots[k];
            if (s.usageHigh < s.usageLow) continue;
            edges.push_back({s.usageLow, true, k});
            edges.push_back({uint32_t(s.usageHigh) + 1, false, k});
        }
        std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.at < b.at; });
        std::set<uint32_t> open;
        for (size_t e = 0; e < edges.size();) {
            const uint32_t at = edges[e].at;
            for (; e < edges.size() && edges[e].at == at; ++e) {
                if (edges[e].opens) open.insert(edges[e].slot);
                else open.erase(edges[e].slot);
            }
            if (open.empty() || at > 0xFFFF) continue;
            const uint32_t next = e < edges.size() ? edges[e].at : 0x10000;
            g.segments.push_back({uint16_t(at), uint16_t(next - 1), *open.begin()});
        }
    }
}

std::unique_ptr<CHIDDeviceDataHash::Parsed> CHIDDeviceDataHash::Parse(uint32_t id, const uint8_t* bytes,
                                                                       size_t length) {
    try {
        auto p = std::make_unique<Parsed>();
        p->id = id;
        if (!HidParseReportDescriptor(bytes, length, &p->pp)) return nullptr;
        if (HidGetCaps(p->pp, &p->caps) != HIDP_STATUS_SUCCESS) return nullptr;
        for (uint32_t t = HidP_Input; t <= HidP_Feature; ++t)
            if (!BuildSlots(*p, t)) return nullptr;
        return p;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CHIDDeviceDataHash::Parsed* CHIDDeviceDataHash::FindOrParse(uint32_t id) {
    auto& bucket = buckets_[id & 0xF];
    for (auto& p : bucket)
        if (p->id == id) return p.get();
    // Lock order: this cache's lock is held; the descriptor table takes its own.
    const uint32_t length = rd_->GetDescriptorLength(id);
    if (length == 0) return nullptr;
    try {
        std::vector<uint8_t> bytes(length);
        if (rd_->GetDescriptor(id, bytes.data(), bytes.size()) != length) return nullptr;
        std::unique_ptr<Parsed> p = Parse(id, bytes.data(), bytes.size());
        if (!p) return nullptr;
        bucket.push_back(std::move(p));
        return bucket.back().get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CHIDDeviceDataHash::Extract(Parsed& p, SlotList& list, uint32_t type, uint8_t reportId,
                                 const uint8_t* report, uint32_t length) {
    for (Slot& s : list.slots)
        if (s.reportId == reportId) {
            s.results.clear();
            s.extracted = 1;
        }
    // The buttons: one usage list per page, each usage to its first slot.
    std::vector<uint16_t> usages;
    for (const ButtonGroup& g : list.buttonGroups) {
        if (g.reportId != reportId) continue;
        uint32_t status = HIDP_STATUS_USAGE_NOT_FOUND;
        uint32_t n = g.capacity;
        usages.resize(n);
        if (n > 0) status = HidGetUsages(type, g.usagePage, 0, usages.data(), &n, p.pp, report, length);
        if (status != HIDP_STATUS_SUCCESS) n = 0;
        for (uint32_t k : g.slots) list.slots[k].status = status;
        for (uint32_t u = 0; u < n; ++u) {
            const uint16_t usage = usages[u];
            auto seg = std::upper_bound(g.segments.begin(), g.segments.end(), usage,
                                        [](uint16_t v, const ButtonSegment& sg) { return v < sg.low; });
            if (seg == g.segments.begin() || usage > (--seg)->high) continue;
            list.slots[seg->slot].results.push_back(usage);
        }
    }
    // The values.
    for (Slot& s : list.slots) {
        if (s.reportId != reportId || s.isButton) continue;
        if (s.fromRange || s.reportCount <= 1) {
            // One field per usage (a usage of a range covers one field).
            uint32_t v = 0;
            s.status = HidGetUsageValue(type, s.usagePage, 0, s.usageLow, &v, p.pp, report, length);
            if (s.status == HIDP_STATUS_SUCCESS) s.results.push_back(v);
            continue;
        }
        const uint64_t rawBits = uint64_t(s.bitSize) * s.reportCount;
        std::vector<uint8_t> raw(size_t((rawBits + 7) / 8));
        s.status = HidGetUsageValueArray(type, s.usagePage, 0, s.usageLow, raw.data(), uint32_t(raw.size()),
                                         p.pp, report, length);
        if (s.status != HIDP_STATUS_SUCCESS) continue;
        const bool isSigned = s.logicalMin < 0 || s.logicalMax < 0;
        for (uint32_t k = 0; k < s.reportCount; ++k) {
            uint32_t v;
            if (!ReadBits(raw.data(), uint32_t(raw.size()), k * uint32_t(s.bitSize), s.bitSize, isSigned, v)) break;
            s.results.push_back(v);
        }
    }
}

int CHIDDeviceDataHash::GetReportItems(const uint8_t* report, uint32_t length, uint8_t reportId,
                                       uint32_t reportType, uint32_t id, HID_REPORT_ITEM* items,
                                       uint32_t* count) {
    if (!count) return 0;
    const uint32_t room = items ? *count : 0;
    *count = 0;
    if (!report || length == 0) return 0;
    std::lock_guard<std::mutex> guard(lock_);
    if (!rd_ || id == 0) return 0;
    Parsed* p = FindOrParse(id);
    if (!p || reportType < HidP_Input || reportType > HidP_Feature) return 0;
    SlotList& list = p->lists[reportType - 1];
    if (list.slots.empty()) return 0;
    try {
        Extract(*p, list, reportType, reportId, report, length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    uint32_t needed = 0;
    for (const Slot& s : list.slots) {
        if (s.reportId != reportId) continue;
        for (uint32_t r : s.results) {
            if (s.isButton && r == 0) continue;
            if (needed < room) {
                HID_REPORT_ITEM& it = items[needed];
                it = HID_REPORT_ITEM{};
                it.usagePage = s.usagePage;
                if (s.isButton) {
                    it.usage = uint16_t(r);
                    it.isButton = 1;
                    it.value = 1;
                } else {
                    it.usage = s.usageLow;
                    it.value = r;
                    it.logicalMin = s.logicalMin;
                    it.logicalMax = s.logicalMax;
                    it.physicalMin = s.physicalMin;
                    it.physicalMax = s.physicalMax;
                }
            }
            ++needed;
        }
    }
    *count = needed;
    return needed > 0 && needed <= room ? 1 : 0;
}

int CHIDDeviceDataHash::GetReportItemsByKey(const uint8_t* report, uint32_t length, uint8_t reportId,
                                            uint32_t reportType, const HID_OBJECT_KEY& key, uint8_t interfaceNumber,
                                            bool pipe, HID_REPORT_ITEM* items, uint32_t* count) {
    CHIDDeviceRDHash* rd;
    {
        std::lock_guard<std::mutex> guard(lock_);
        rd = rd_;
    }
    const uint32_t id = !rd ? 0 : pipe ? rd->GetIdByPipe(key, interfaceNumber) : rd->GetIdByObject(key, interfaceNumber);
    if (id == 0) {
        if (count) *count = 0;
        return 0;
    }
    return GetReportItems(report, length, reportId, reportType, id, items, count);
}

int CHIDDeviceDataHash::GetReportItemsByObject(const uint8_t* report, uint32_t length, uint8_t reportId,
                                               uint32_t reportType, const HID_OBJECT_KEY& key,
                                               uint8_t interfaceNumber, HID_REPORT_ITEM* items,
                                               uint32_t* count) {
    return GetReportItemsByKey(report, length, reportId, reportType, key, interfaceNumber, false, items, count);
}

int CHIDDeviceDataHash::GetReportItemsByPipe(const uint8_t* report, uint32_t length, uint8_t reportId,
                                             uint32_t reportType, const HID_OBJECT_KEY& key,
                                             uint8_t interfaceNumber, HID_REPORT_ITEM* items,
                                             uint32_t* count) {
    return GetReportItemsByKey(report, length, reportId, reportType, key, interfaceNumber, true, items, count);
}

} // namespace brx

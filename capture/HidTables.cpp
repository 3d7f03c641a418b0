// HID report-descriptor tables and the parsed-descriptor cache.
#include "capture/HidTables.h"

#include <algorithm>
#include <cstring>
#include <new>

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

void CHIDDeviceRDHash::AddKeys(Entry& e, ByteReader item, uint32_t count, uint32_t offset, bool pipes) {
    if (offset == 0) return;
    std::vector<HID_OBJECT_KEY>& list = pipes ? e.pipes : e.objects;
    KeyTable& table = pipes ? pipes_ : objects_;
    for (uint32_t k = 0; k < count; ++k) {
        const size_t at = size_t(offset) + size_t(k) * HID_OBJECT_KEY_SIZE;
        if (!item.has(at, HID_OBJECT_KEY_SIZE)) return;
        HID_OBJECT_KEY key{item.u32le_or(at), item.u32le_or(at + 4), item.u8or(at + 8), item.u8or(at + 9)};
        try {
            const bool listed = std::any_of(list.begin(), list.end(), [&](const HID_OBJECT_KEY& o) {
                return o.key0 == key.key0 && o.key1 == key.key1;
            });
            if (!listed) list.push_back(key);
            std::vector<KeyNode>& bucket = table[key.key1 & 0x3F];
            const bool known = std::any_of(bucket.begin(), bucket.end(), [&](const KeyNode& n) {
                return n.key0 == key.key0 && n.key1 == key.key1 && n.interfaceNumber == e.interfaceNumber;
            });
            if (!known)
                bucket.push_back({key.key0, key.key1, e.interfaceNumber, e.id,
                                  uint8_t(pipes ? key.extra1 : 0), uint8_t(pipes ? key.extra2 : 0)});
        } catch (const std::bad_alloc&) {
            return;  // out of memory: the key is dropped
        }
    }
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
    for (auto& bucket : buckets_)
        for (auto& e : bucket)
            if (length != 0 && offset != 0 && e->bytes.size() == length &&
                e->interfaceNumber == interfaceNumber &&
                std::memcmp(e->bytes.data(), desc.data(), length) == 0) {
                AddKeys(*e, item, objectCount, objectOffset, false);
                AddKeys(*e, item, pipeCount, pipeOffset, true);
                return;
            }
    if (length == 0 || offset == 0) return;
    try {
        auto e = std::make_unique<Entry>();
        e->bytes.assign(desc.data(), desc.data() + length);
        e->id = lastId_ + 1;
        e->interfaceNumber = interfaceNumber;
        e->hasReportIds = uint8_t(HidReportHasReportId(e->bytes.data(), e->bytes.size()));
        auto& bucket = buckets_[e->id & 0xF];
        bucket.push_back(std::move(e));
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
    for (const KeyNode& n : table[key.key1 & 0x3F])
        if (n.key0 == key.key0 && n.key1 == key.key1 &&
            (anyInterface || n.interfaceNumber == interfaceNumber))
            return &n;
    return nullptr;
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
    for (auto& b : objects_) b.clear();
    for (auto& b : pipes_) b.clear();
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
    // Button slots of one usage page share one usage list per report; each
    // usage found goes to the first slot whose range holds it, so buttons of
    // two capabilities with the same range are listed once, not twice.
    struct PageUsages {
        uint16_t page;
        uint32_t status;
        std::vector<uint16_t> usages;
        std::vector<uint8_t> taken;
    };
    std::vector<PageUsages> pages;
    const uint16_t lengths[3] = {p.caps.inputReportByteLength, p.caps.outputReportByteLength,
                                 p.caps.featureReportByteLength};
    // No report holds more fields than it has bits.
    const uint32_t fieldBound = uint32_t(lengths[type - 1]) * 8 + 8;
    for (Slot& s : list.slots) {
        if (s.reportId != reportId) continue;
        s.results.clear();
        s.extracted = 1;
        if (s.isButton) {
            auto it = std::find_if(pages.begin(), pages.end(), [&](const PageUsages& u) { return u.page == s.usagePage; });
            if (it == pages.end()) {
                PageUsages u{s.usagePage, HIDP_STATUS_USAGE_NOT_FOUND, {}, {}};
                const uint32_t capacity = std::min(HidMaxUsageListLength(type, s.usagePage, p.pp), fieldBound);
                if (capacity > 0) {
                    u.usages.resize(capacity);
                    uint32_t n = capacity;
                    u.status = HidGetUsages(type, s.usagePage, 0, u.usages.data(), &n, p.pp, report, length);
                    u.usages.resize(u.status == HIDP_STATUS_SUCCESS ? n : 0);
                }
                u.taken.assign(u.usages.size(), 0);
                pages.push_back(std::move(u));
                it = pages.end() - 1;
            }
            s.status = it->status;
            for (size_t k = 0; k < it->usages.size(); ++k) {
                const uint16_t usage = it->usages[k];
                if (it->taken[k] || usage < s.usageLow || usage > s.usageHigh) continue;
                it->taken[k] = 1;
                s.results.push_back(usage);
            }
            continue;
        }
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

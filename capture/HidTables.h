// HID report-descriptor tables: the report descriptors of a capture log by
// descriptor id, found by device-object key or pipe key (CHIDDeviceRDHash),
// and the global cache of parsed descriptors that turns a captured report into
// report items (CHIDDeviceDataHash).
//
// Lock order: the parsed cache's lock is taken before the descriptor table's
// lock; no other lock is taken while the descriptor table's lock is held.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "base/ByteReader.h"
#include "base/KeyIndex.h"
#include "capture/HidParser.h"
#include "capture/Record.h"

namespace brx {

constexpr uint32_t HID_BLOCK_KIND = 10;          // DRIVER_NOTIFICATION kind
constexpr uint32_t HID_ITEM_KIND = 9;
constexpr uint32_t HID_ITEM_HEADER_SIZE = 32;
constexpr uint32_t HID_OBJECT_KEY_SIZE = 12;
constexpr uint8_t HID_ANY_INTERFACE = 0xFF;
constexpr uint32_t HID_ERROR_INSUFFICIENT_BUFFER = 122;
constexpr uint32_t HID_ERROR_INVALID_PARAMETER = 87;

// A device-object or pipe key as the driver reports it. The extra bytes are
// kept with a pipe and never read.
struct HID_OBJECT_KEY {
    uint32_t key0;
    uint32_t key1;
    uint8_t extra1;
    uint8_t extra2;
};

// One decoded field of a captured report.
struct HID_REPORT_ITEM {
    uint16_t usagePage;
    uint16_t usage;
    uint8_t isButton;
    uint32_t value;
    int32_t logicalMin;
    int32_t logicalMax;
    int32_t physicalMin;
    int32_t physicalMax;
};

class CHIDDeviceRDHash {
public:
    CHIDDeviceRDHash() = default;
    virtual ~CHIDDeviceRDHash() = default;
    CHIDDeviceRDHash(const CHIDDeviceRDHash&) = delete;
    CHIDDeviceRDHash& operator=(const CHIDDeviceRDHash&) = delete;

    // Adds every descriptor item of a kind-10 block (n bytes available).
    void AddFromBlock(const uint8_t* block, size_t n, const RECORD_LAYOUT& layout);
    // Adds one HID_DESCRIPTOR_ITEM (the item's bytes, already checked to be
    // at least a header long and no longer than the item size says).
    void AddDescriptor(ByteReader item);

    uint32_t GetDescriptor(uint32_t id, uint8_t* buffer, size_t size) const;
    uint32_t GetDescriptorLength(uint32_t id) const;
    uint32_t GetIdByObject(const HID_OBJECT_KEY& key, uint8_t interfaceNumber) const;
    uint32_t GetIdByPipe(const HID_OBJECT_KEY& key, uint8_t interfaceNumber) const;
    int HasReportIds(const HID_OBJECT_KEY& pipe, uint8_t interfaceNumber) const;

    // Writes every entry as one kind-10 block: 0, HID_ERROR_INSUFFICIENT_BUFFER
    // when the buffer is too small (nothing counts as written then), or
    // HID_ERROR_INVALID_PARAMETER for a layout whose block header is too short.
    uint32_t ToBlock(uint8_t* buffer, size_t size, size_t* written, const RECORD_LAYOUT& layout) const;
    void RemoveAll();

private:
    struct Entry {
        std::vector<uint8_t> bytes;
        uint32_t id = 0;
        uint8_t interfaceNumber = 0;
        uint8_t hasReportIds = 0;
        std::vector<HID_OBJECT_KEY> objects;
        std::vector<HID_OBJECT_KEY> pipes;
        // Beside the lists: the keys they hold (key0, key1), for constant-time
        // membership.
        CKeyIndex objectKeys;
        CKeyIndex pipeKeys;
    };
    struct KeyNode {
        uint32_t key0, key1;
        uint8_t interfaceNumber;
        uint32_t id;
        uint8_t extra1, extra2;  // pipes only
    };
    // The 64 buckets of nodes in the order they came, and beside them the
    // place in its bucket of each key's first node (any interface number) and
    // of each (key, interface number)'s node, so that finding a key never
    // walks a bucket.
    struct KeyTable {
        std::array<std::vector<KeyNode>, 64> buckets;
        CKeyIndex first;   // tag 0
        CKeyIndex exact;   // tagged with the interface number
        void Clear();
    };

    void AddKeys(Entry& e, ByteReader item, uint32_t count, uint32_t offset, bool pipes);
    const Entry* FindLocked(uint32_t id) const;
    static const KeyNode* FindKey(const KeyTable& table, const HID_OBJECT_KEY& key,
                                  uint8_t interfaceNumber, bool anyInterface);
    static uint64_t ContentHash(uint8_t interfaceNumber, const uint8_t* bytes, size_t length);

    mutable std::mutex lock_;
    uint32_t lastId_ = 0;
    std::array<std::vector<std::unique_ptr<Entry>>, 16> buckets_;
    // Beside the buckets: entries by a hash of their interface number and
    // bytes, so that a descriptor seen before is found without comparing it
    // with every stored one.
    std::unordered_multimap<uint64_t, Entry*> byContent_;
    KeyTable objects_;
    KeyTable pipes_;
};

class CHIDDeviceDataHash {
public:
    CHIDDeviceDataHash() = default;
    virtual ~CHIDDeviceDataHash();
    CHIDDeviceDataHash(const CHIDDeviceDataHash&) = delete;
    CHIDDeviceDataHash& operator=(const CHIDDeviceDataHash&) = delete;

    void SetRDHash(CHIDDeviceRDHash* rd);

    int GetReportItemsByObject(const uint8_t* report, uint32_t length, uint8_t reportId,
                               uint32_t reportType, const HID_OBJECT_KEY& key, uint8_t interfaceNumber,
                               HID_REPORT_ITEM* items, uint32_t* count);
    int GetReportItemsByPipe(const uint8_t* report, uint32_t length, uint8_t reportId,
                             uint32_t reportType, const HID_OBJECT_KEY& key, uint8_t interfaceNumber,
                             HID_REPORT_ITEM* items, uint32_t* count);
    int GetReportItems(const uint8_t* report, uint32_t length, uint8_t reportId, uint32_t reportType,
                       uint32_t id, HID_REPORT_ITEM* items, uint32_t* count);
    void RemoveAll();

    // Reads bitCount (1..32) bits at bitOffset; false when they do not lie
    // within the length.
    static bool ReadBits(const uint8_t* bytes, uint32_t length, uint32_t bitOffset, uint32_t bitCount,
                         bool isSigned, uint32_t& value);

private:
    struct Slot {
        uint32_t status = HIDP_STATUS_SUCCESS;
        uint8_t reportId = 0;
        uint16_t usagePage = 0;
        uint8_t extracted = 0;
        uint8_t isButton = 0;
        uint16_t usageLow = 0;   // button: UsageMin; value: the slot's usage
        uint16_t usageHigh = 0;  // button: UsageMax; value: HasNull
        bool fromRange = false;  // value: one usage of a range capability
        uint16_t bitSize = 0, reportCount = 0;
        int32_t logicalMin = 0, logicalMax = 0, physicalMin = 0, physicalMax = 0;
        std::vector<uint32_t> results;  // usages (buttons) or values, as found
    };
    // The button slots of one report id and usage page share one usage list
    // per report; each usage found goes to the first of them (in slot order)
    // whose range holds it. Both are settled once per parse: the list's
    // capacity, and the usage ranges mapped to that first slot.
    struct ButtonSegment {
        uint16_t low, high;  // usages low..high
        uint32_t slot;       // the first slot whose range holds them
    };
    struct ButtonGroup {
        uint8_t reportId = 0;
        uint16_t usagePage = 0;
        uint32_t capacity = 0;
        std::vector<uint32_t> slots;             // in slot order
        std::vector<ButtonSegment> segments;     // ascending, not overlapping
    };
    struct SlotList {
        std::vector<Slot> slots;
        std::vector<ButtonGroup> buttonGroups;
        std::vector<HID_BUTTON_CAPS> buttonCaps;
        std::vector<HID_VALUE_CAPS> valueCaps;
    };
    struct Parsed {
        uint32_t id = 0;
        HIDP_PREPARSED* pp = nullptr;
        HID_CAPS caps{};
        SlotList lists[3];
        ~Parsed() { HidFreePreparsedData(pp); }
    };

    int GetReportItemsByKey(const uint8_t* report, uint32_t length, uint8_t reportId, uint32_t reportType,
                            const HID_OBJECT_KEY& key, uint8_t interfaceNumber, bool pipe, HID_REPORT_ITEM* items,
                            uint32_t* count);
    Parsed* FindOrParse(uint32_t id);
    static std::unique_ptr<Parsed> Parse(uint32_t id, const uint8_t* bytes, size_t length);
    static bool BuildSlots(Parsed& p, uint32_t type);
    static void BuildButtonGroups(Parsed& p, SlotList& list, uint32_t type);
    void Extract(Parsed& p, SlotList& list, uint32_t type, uint8_t reportId, const uint8_t* report,
                 uint32_t length);

    std::mutex lock_;
    CHIDDeviceRDHash* rd_ = nullptr;
    std::array<std::vector<std::unique_ptr<Parsed>>, 16> buckets_;
};

} // namespace brx

// HID report-descriptor parser: turns a report descriptor into one
// HIDP_PREPARSED object (collections, main items, report ids, usages, strings
// and designators in one table block) and answers the queries that report
// decoding needs: caps, button and value caps, the buttons that are on in a
// report and the values of its value fields.
//
// The descriptor and every report are untrusted bytes: every read is bounds
// checked, every table index is checked against the sizes the counting pass
// gave, and no field wider than 32 bits is ever read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// Status codes.
constexpr uint32_t HIDP_STATUS_SUCCESS = 0x00110000u;
constexpr uint32_t HIDP_STATUS_INVALID_PREPARSED_DATA = 0xC0110001u;
constexpr uint32_t HIDP_STATUS_INVALID_REPORT_TYPE = 0xC0110002u;
constexpr uint32_t HIDP_STATUS_INVALID_REPORT_LENGTH = 0xC0110003u;
constexpr uint32_t HIDP_STATUS_USAGE_NOT_FOUND = 0xC0110004u;
constexpr uint32_t HIDP_STATUS_VALUE_OUT_OF_RANGE = 0xC0110005u;
constexpr uint32_t HIDP_STATUS_BUFFER_TOO_SMALL = 0xC0110007u;
constexpr uint32_t HIDP_STATUS_REPORT_DOES_NOT_EXIST = 0xC011000Au;
constexpr uint32_t HIDP_STATUS_NOT_VALUE_ARRAY = 0xC011000Bu;
constexpr uint32_t HIDP_STATUS_INDEX_OUT_OF_RANGE = 0xC0110100u;
constexpr uint32_t HIDP_STATUS_INVALID_ARGUMENT = 0xC0110101u;

// Report types (the main item tags 8, 9 and 11).
enum : uint32_t {
    HidP_Input = 1,
    HidP_Output = 2,
    HidP_Feature = 3,
};

constexpr uint32_t HIDP_PREPARSED_TAG = 0x68696470u;  // 'hidp'

// Main item data bits.
enum : uint32_t {
    HID_MAIN_CONSTANT = 0x01,
    HID_MAIN_VARIABLE = 0x02,
    HID_MAIN_RELATIVE = 0x04,
    HID_MAIN_NULL_STATE = 0x40,
};

// Main item flags.
constexpr uint32_t HID_ITEM_FLAG_SWAPPED = 0x01;  // logical limits came reversed

// One short item as the reader returns it.
struct HID_ITEM {
    uint8_t type;    // 0 Main, 1 Global, 2 Local, 3 reserved
    uint8_t tag;     // bits 4-7 of the prefix
    uint8_t size;    // data bytes: 0, 1, 2 or 4
    uint32_t data;   // the data bytes little-endian
    int32_t sdata;   // the same, sign-extended from the top bit of the last byte
};

// The global state, copied into every main item and onto the push stack.
struct HIDP_GLOBAL_STATE {
    uint32_t usagePage;
    int32_t logicalMinimum;
    int32_t logicalMaximum;
    int32_t physicalMinimum;
    int32_t physicalMaximum;
    uint32_t unitExponent;
    uint32_t unit;
    uint32_t reportSize;
    uint32_t reportId;
    uint32_t reportCount;
    uint32_t reportIdIndex;   // position in the report id table
    // The maximums' data bytes read without sign: when the matching minimum
    // is not negative the extents are unsigned, and a maximum such as 0xFF in
    // one byte means 255, not -1.
    uint32_t logicalMaximumUnsigned;
    uint32_t physicalMaximumUnsigned;
};

struct HIDP_COLLECTION {
    uint16_t usagePage;       // the global usage page at the Collection item
    uint16_t collectionType;  // the item's data
    uint16_t firstUsage;
    uint16_t usageCount;
    uint16_t firstMainItem;
    uint16_t mainItemCount;
    uint16_t parent;
    uint16_t childCount;
    uint16_t lastChild;       // HIDP_NO_LINK when none
    uint16_t previousSibling; // HIDP_NO_LINK when none
};
constexpr uint16_t HIDP_NO_LINK = 0xFFFF;

struct HIDP_MAIN_ITEM {
    uint32_t reportType;      // HidP_Input, HidP_Output, HidP_Feature
    HIDP_GLOBAL_STATE global;
    uint32_t bitOffset;       // from the first bit of the report, report id byte included
    uint16_t parent;          // collection index
    uint16_t data;            // HID_MAIN_* bits
    uint16_t firstUsage, usageCount;
    uint16_t firstString, stringCount;
    uint16_t firstDesignator, designatorCount;
    uint32_t flags;           // HID_ITEM_FLAG_*
};

struct HIDP_REPORT_ID {
    uint32_t reportId;
    uint32_t bitLength[3];    // Input, Output, Feature; 8 for the id byte once created
};

struct HIDP_USAGE {
    uint16_t isRange;
    uint16_t usagePage;
    uint16_t usage;
    uint16_t usageMinimum;
    uint16_t usageMaximum;
    // The first field of the record within the main item that took it (the
    // fields of the records before it in that item), set once per parse so
    // that a field finds its usage by bisection.
    uint32_t fieldStart;
};

// String and designator records.
struct HIDP_INDEX_RANGE {
    uint8_t isRange;
    uint16_t index;
    uint16_t minimum;
    uint16_t maximum;
};

struct HIDP_PREPARSED {
    uint32_t tag;             // HIDP_PREPARSED_TAG
    HIDP_COLLECTION* collections;
    uint16_t collectionCount;
    HIDP_MAIN_ITEM* mainItems;
    uint16_t mainItemCount;
    HIDP_REPORT_ID* reportIds;
    uint16_t reportIdCount;
    HIDP_USAGE* usages;
    uint16_t usageCount;
    HIDP_INDEX_RANGE* strings;
    uint16_t stringCount;
    HIDP_INDEX_RANGE* designators;
    uint16_t designatorCount;
    uint8_t* tableBlock;      // the one allocation that holds every table
    size_t tableBlockSize;
};

struct HID_CAPS {
    uint16_t usage;
    uint16_t usagePage;
    uint16_t inputReportByteLength;
    uint16_t outputReportByteLength;
    uint16_t featureReportByteLength;
    uint16_t numberLinkCollectionNodes;
    uint16_t numberInputButtonCaps;
    uint16_t numberInputValueCaps;
    uint16_t numberInputDataIndices;
    uint16_t numberOutputButtonCaps;
    uint16_t numberOutputValueCaps;
    uint16_t numberOutputDataIndices;
    uint16_t numberFeatureButtonCaps;
    uint16_t numberFeatureValueCaps;
    uint16_t numberFeatureDataIndices;
    uint8_t hasReportIds;
};

struct HID_BUTTON_CAPS {
    uint16_t usagePage;
    uint8_t reportId;
    uint16_t bitField;        // the main item's data
    uint16_t linkCollection;
    uint16_t linkUsage;
    uint16_t linkUsagePage;
    uint8_t isRange;
    uint8_t isStringRange;
    uint8_t isDesignatorRange;
    uint8_t isAbsolute;
    uint16_t usageMin;        // or the usage
    uint16_t usageMax;
    uint16_t stringMin;       // or the string index
    uint16_t stringMax;
    uint16_t designatorMin;   // or the designator index
    uint16_t designatorMax;
};

struct HID_VALUE_CAPS {
    uint16_t usagePage;
    uint8_t reportId;
    uint16_t bitField;
    uint16_t linkCollection;
    uint16_t linkUsage;
    uint16_t linkUsagePage;
    uint8_t isRange;
    uint8_t isStringRange;
    uint8_t isDesignatorRange;
    uint8_t isAbsolute;
    uint8_t hasNull;
    uint16_t bitSize;
    uint16_t reportCount;
    uint32_t unitsExp;        // always 0
    uint32_t units;           // always 0
    int32_t logicalMin;
    int32_t logicalMax;
    int32_t physicalMin;
    int32_t physicalMax;
    uint16_t usageMin;        // or the usage
    uint16_t usageMax;
    uint16_t stringMin;
    uint16_t stringMax;
    uint16_t designatorMin;
    uint16_t designatorMax;
};

// Reads the short item at pos, stepping over long items. Returns false at the
// end of the descriptor (also for an item whose data runs past the end).
bool HidReadItem(const uint8_t* bytes, size_t length, size_t& pos, HID_ITEM& item);

int HidParseReportDescriptor(const uint8_t* bytes, size_t length, HIDP_PREPARSED** out);
int HidFreePreparsedData(HIDP_PREPARSED* pp);

uint32_t HidGetCaps(const HIDP_PREPARSED* pp, HID_CAPS* caps);
uint32_t HidGetSpecificButtonCaps(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                                  uint16_t usage, HID_BUTTON_CAPS* caps, uint16_t* count,
                                  const HIDP_PREPARSED* pp);
uint32_t HidGetSpecificValueCaps(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                                 uint16_t usage, HID_VALUE_CAPS* caps, uint16_t* count,
                                 const HIDP_PREPARSED* pp);
uint32_t HidGetButtonCaps(uint32_t reportType, HID_BUTTON_CAPS* caps, uint16_t* count,
                          const HIDP_PREPARSED* pp);
uint32_t HidGetValueCaps(uint32_t reportType, HID_VALUE_CAPS* caps, uint16_t* count,
                         const HIDP_PREPARSED* pp);
uint32_t HidMaxUsageListLength(uint32_t reportType, uint16_t usagePage, const HIDP_PREPARSED* pp);

uint32_t HidGetUsages(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                      uint16_t* usages, uint32_t* count, const HIDP_PREPARSED* pp,
                      const uint8_t* report, uint32_t reportLength);
uint32_t HidGetUsageValue(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                          uint16_t usage, uint32_t* value, const HIDP_PREPARSED* pp,
                          const uint8_t* report, uint32_t reportLength);
uint32_t HidGetUsageValueArray(uint32_t reportType, uint16_t usagePage, uint16_t collection,
                               uint16_t usage, uint8_t* bytes, uint32_t byteCount,
                               const HIDP_PREPARSED* pp, const uint8_t* report,
                               uint32_t reportLength);

uint32_t HidExtractBits(const uint8_t* report, uint32_t length, uint32_t bitOffset,
                        uint32_t bitCount, uint32_t* out, int isSigned);
int HidReportHasReportId(const uint8_t* bytes, size_t length);

// Helpers shared with the tools and the parsed-descriptor cache.
bool HidIsButtonItem(const HIDP_MAIN_ITEM& item);
bool HidIsValueItem(const HIDP_MAIN_ITEM& item);
// The usage of field n of a main item; false when the item has no usage.
bool HidFieldUsage(const HIDP_PREPARSED* pp, const HIDP_MAIN_ITEM& item, uint32_t field,
                   uint16_t& usagePage, uint16_t& usage);

} // namespace brx

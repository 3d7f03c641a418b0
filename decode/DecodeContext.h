// The context every HTML decoder and table writer takes: where the page goes,
// how the field tables look, the bytes being decoded (always with their
// length) and what the decoder knows about the request or device around them.
// Built by the caller for one decoding run, usually on the stack.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "decode/PageBuffer.h"

namespace brx {

struct CLASS_DECODERS; // decode/ClassDecoders.h

// Fetches string descriptor `index` (1-255) as UTF-16 into buffer (size
// characters) and returns the characters written, 0 for none.
using StringDescriptorCallback = uint32_t (*)(uint8_t index, char16_t* buffer, uint32_t size, void* userData);
constexpr uint32_t kStringDescriptorChars = 287;

// What the capture knows of the interface that owns a request's pipe.
struct INTERFACE_INFO {
    bool known = false;
    uint16_t version = 0; // the class version word the capture recorded
    uint8_t interfaceClass = 0;
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
};

// Control setup and CDC notifications.
struct REQUEST_FIELDS {
    std::span<const uint8_t> data;  // the data stage as captured
    bool dataPresent = false;       // the record carries a data stage (possibly empty)
    INTERFACE_INFO interfaceInfo;  // ("interface" is a macro in the Windows headers)
    bool completion = false;        // the record is the request's completion
    uint16_t version = 0;           // class version (0: take the interface's)
};

// Mass-storage bulk transfers.
struct BULK_FIELDS {
    bool writeWrappers = true;      // the CBW and CSW tables are written
    INTERFACE_INFO interfaceInfo;  // ("interface" is a macro in the Windows headers)
    bool cdbKnown = false;          // cdb holds the pending command's 16 bytes
    std::array<uint8_t, 16> cdb{};
    bool completion = false;
    bool mscKnown = false;          // the four bytes below are the record's
    uint8_t opCode = 0;             // pending operation code
    uint8_t cdbByte1 = 0;           // its CDB byte 1 (service action)
    uint8_t deviceKind = 0;         // MSC_DEVICE_KIND
    uint8_t spcVersion = 0;
};

// Descriptors: the device they belong to and the walk's current position.
struct DESCRIPTOR_FIELDS {
    uint8_t bDeviceClass = 0;
    uint8_t bDeviceSubClass = 0;
    uint8_t bDeviceProtocol = 0;
    uint16_t bcdUSB = 0;
    uint16_t idVendor = 0;
    uint16_t idProduct = 0;
    uint16_t bcdDevice = 0;
    std::span<const uint8_t> configuration;  // current configuration descriptor (empty: none)
    std::span<const uint8_t> association;    // current interface association (empty outside a group)
    std::span<const uint8_t> interfaceDescriptor; // current interface descriptor (empty outside one)
};

struct DECODE_CONTEXT {
    PageBuffer* page = nullptr;   // where every writer appends

    // Display flags.
    bool headerRow = true;        // field tables get their header row
    bool offsetColumn = true;
    bool sizeColumn = true;
    bool expand = true;           // bit sub-field rows after bitmap fields
    bool detail = true;           // secondary rows (bLength, bDescriptorType, reserved, ...)

    int32_t divisionDepth = 0;    // open indent divisions of this run

    // The bytes being decoded: the setup packet, the transfer data, the
    // notification or the current descriptor.
    std::span<const uint8_t> bytes;
    bool setupAsSent = false;     // the setup packet was captured as sent (not rebuilt)

    REQUEST_FIELDS request;
    BULK_FIELDS bulk;
    DESCRIPTOR_FIELDS descriptor;

    // Anchors: names come from the offset of a descriptor in anchorBase (the
    // whole set being decoded) and the page-wide set number, never from
    // memory addresses, so a page is the same from run to run.
    std::span<const uint8_t> anchorBase;
    uint32_t anchorSet = 0;

    void* userData = nullptr;
    StringDescriptorCallback stringCallback = nullptr;
    int32_t deviceSpeed = -1;     // -1 unknown, 0 low, 1 full, 2 high, 3 SuperSpeed
    int16_t fallbackVersion = 0;  // bcdUSB used when descriptor.bcdUSB is 0
    const void* nodeOwner = nullptr;
    // The class decoders of descriptors and requests (null: the ones decode/
    // holds itself, kStandardClassDecoders).
    const CLASS_DECODERS* classDecoders = nullptr;

    // True once the page is full: a decoder stops writing.
    bool full() const { return page == nullptr || page->full(); }
};

} // namespace brx

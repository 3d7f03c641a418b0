#include "decode/SetupPacket.h"

#include <cstring>

#include "base/ByteReader.h"

namespace brx {
namespace {

// URB offsets (32-bit layout).
enum : size_t {
    URB_FUNCTION = 2,
    URB_TRANSFER_FLAGS = 20,
    URB_TRANSFER_LENGTH = 24,
    URB_SETUP_PACKET = 72,       // control transfers: the packet itself
    URB_REQUEST = 73,            // vendor/class: bRequest
    URB_DESCRIPTOR_INDEX = 74,   // descriptor requests
    URB_DESCRIPTOR_TYPE = 75,
    URB_LANGUAGE_ID = 76,
    URB_FEATURE_SELECTOR = 74,   // feature requests
    URB_VALUE = 74,              // vendor/class: wValue
    URB_INDEX = 76,              // feature, status, vendor/class: wIndex; get interface: Interface
};

constexpr uint16_t kControlUrbSize = 80;

constexpr URB_SETUP_REQUEST kSetupRequests[kUrbSetupFunctions] = {
    {0, 0, 0, 0, 0, 0},                  // SELECT_CONFIGURATION (variable size)
    {1, 0, 0, 0, 0, 0},                  // SELECT_INTERFACE (variable size)
    {2, 24, 0, 0, 0, 0},                 // ABORT_PIPE
    {3, 16, 0, 0, 0, 0},                 // TAKE_FRAME_LENGTH_CONTROL
    {4, 16, 0, 0, 0, 0},                 // RELEASE_FRAME_LENGTH_CONTROL
    {5, 24, 0, 0, 0, 0},                 // GET_FRAME_LENGTH
    {6, 20, 0, 0, 0, 0},                 // SET_FRAME_LENGTH
    {7, 24, 0, 0, 0, 0},                 // GET_CURRENT_FRAME_NUMBER
    {8, kControlUrbSize, 0, 0, 0, 0},    // CONTROL_TRANSFER
    {9, 72, 0, 0, 0, 0},                 // BULK_OR_INTERRUPT_TRANSFER
    {10, 0, 0, 0, 0, 0},                 // ISOCH_TRANSFER (variable size)
    {11, kControlUrbSize, 1, 0, 0, 6},   // GET_DESCRIPTOR_FROM_DEVICE
    {12, kControlUrbSize, 0, 0, 0, 7},   // SET_DESCRIPTOR_TO_DEVICE
    {13, kControlUrbSize, 0, 0, 0, 3},   // SET_FEATURE_TO_DEVICE
    {14, kControlUrbSize, 0, 0, 1, 3},   // SET_FEATURE_TO_INTERFACE
    {15, kControlUrbSize, 0, 0, 2, 3},   // SET_FEATURE_TO_ENDPOINT
    {16, kControlUrbSize, 0, 0, 0, 1},   // CLEAR_FEATURE_TO_DEVICE
    {17, kControlUrbSize, 0, 0, 1, 1},   // CLEAR_FEATURE_TO_INTERFACE
    {18, kControlUrbSize, 0, 0, 2, 1},   // CLEAR_FEATURE_TO_ENDPOINT
    {19, kControlUrbSize, 1, 0, 0, 0},   // GET_STATUS_FROM_DEVICE
    {20, kControlUrbSize, 1, 0, 1, 0},   // GET_STATUS_FROM_INTERFACE
    {21, kControlUrbSize, 1, 0, 2, 0},   // GET_STATUS_FROM_ENDPOINT
    {22, 0, 0, 0, 0, 0},                 // reserved
    {23, kControlUrbSize, 0, 2, 0, 0},   // VENDOR_DEVICE
    {24, kControlUrbSize, 0, 2, 1, 0},   // VENDOR_INTERFACE
    {25, kControlUrbSize, 0, 2, 2, 0},   // VENDOR_ENDPOINT
    {26, kControlUrbSize, 0, 1, 0, 0},   // CLASS_DEVICE
    {27, kControlUrbSize, 0, 1, 1, 0},   // CLASS_INTERFACE
    {28, kControlUrbSize, 0, 1, 2, 0},   // CLASS_ENDPOINT
    {29, 0, 0, 0, 0, 0},                 // reserved
    {30, 24, 0, 0, 0, 0},                // SYNC_RESET_PIPE_AND_CLEAR_STALL
    {31, kControlUrbSize, 0, 1, 3, 0},   // CLASS_OTHER
    {32, kControlUrbSize, 0, 2, 3, 0},   // VENDOR_OTHER
    {33, kControlUrbSize, 1, 0, 3, 0},   // GET_STATUS_FROM_OTHER
    {34, kControlUrbSize, 0, 0, 3, 1},   // CLEAR_FEATURE_TO_OTHER
    {35, kControlUrbSize, 0, 0, 3, 3},   // SET_FEATURE_TO_OTHER
    {36, kControlUrbSize, 1, 0, 2, 6},   // GET_DESCRIPTOR_FROM_ENDPOINT
    {37, kControlUrbSize, 0, 0, 2, 7},   // SET_DESCRIPTOR_TO_ENDPOINT
    {38, kControlUrbSize, 1, 0, 0, 8},   // GET_CONFIGURATION
    {39, kControlUrbSize, 1, 0, 1, 10},  // GET_INTERFACE
    {40, kControlUrbSize, 1, 0, 1, 6},   // GET_DESCRIPTOR_FROM_INTERFACE
    {41, kControlUrbSize, 0, 0, 1, 7},   // SET_DESCRIPTOR_TO_INTERFACE
    {42, kControlUrbSize, 0, 0, 0, 0},   // GET_MS_FEATURE_DESCRIPTOR
    {43, 0, 0, 0, 0, 0},                 // reserved
    {44, 0, 0, 0, 0, 0},                 // reserved
    {45, 0, 0, 0, 0, 0},                 // reserved
    {46, 0, 0, 0, 0, 0},                 // reserved
    {47, 0, 0, 0, 0, 0},                 // reserved
    {48, 24, 0, 0, 0, 0},                // SYNC_RESET_PIPE
    {49, 24, 0, 0, 0, 0},                // SYNC_CLEAR_STALL
    {50, kControlUrbSize, 0, 0, 0, 0},   // CONTROL_TRANSFER_EX
    {51, 32, 0, 0, 0, 0},                // SET_PIPE_IO_POLICY
    {52, 32, 0, 0, 0, 0},                // GET_PIPE_IO_POLICY
};

enum class Builder { None, Descriptor, Feature, Status, VendorClass, Configuration, Interface, Zero, Copy };

Builder BuilderFor(uint16_t function) {
    switch (function) {
    case 11: case 12: case 36: case 37: case 40: case 41: return Builder::Descriptor;
    case 13: case 14: case 15: case 16: case 17: case 18: case 34: case 35: return Builder::Feature;
    case 19: case 20: case 21: case 33: return Builder::Status;
    case 23: case 24: case 25: case 26: case 27: case 28: case 31: case 32: return Builder::VendorClass;
    case 38: return Builder::Configuration;
    case 39: return Builder::Interface;
    case 42: return Builder::Zero;
    case 8: case 50: return Builder::Copy;
    default: return Builder::None;
    }
}

// The URB bytes a builder reads, counted from the start of the URB.
size_t BytesNeeded(Builder builder) {
    switch (builder) {
    case Builder::None: case Builder::Zero: return URB_FUNCTION + 2;
    case Builder::Configuration: return URB_TRANSFER_LENGTH + 4;
    case Builder::Copy: return URB_SETUP_PACKET + 8;
    default: return URB_INDEX + 2;
    }
}

uint8_t RequestType(const URB_SETUP_REQUEST& row, uint8_t direction) {
    return static_cast<uint8_t>(direction << 7 | row.type << 5 | row.recipient);
}

void Put(uint8_t packet[8], uint8_t bmRequestType, uint8_t bRequest, uint16_t wValue, uint16_t wIndex,
         uint16_t wLength) {
    packet[0] = bmRequestType;
    packet[1] = bRequest;
    packet[2] = static_cast<uint8_t>(wValue);
    packet[3] = static_cast<uint8_t>(wValue >> 8);
    packet[4] = static_cast<uint8_t>(wIndex);
    packet[5] = static_cast<uint8_t>(wIndex >> 8);
    packet[6] = static_cast<uint8_t>(wLength);
    packet[7] = static_cast<uint8_t>(wLength >> 8);
}

} // namespace

const URB_SETUP_REQUEST& UrbSetupRequest(uint32_t function) {
    return kSetupRequests[function < kUrbSetupFunctions ? function : 0];
}

int BuildSetupPacketForUrb(const uint8_t* urb, size_t urbSize, uint8_t packet[8]) {
    const ByteReader r(urb, urbSize);
    uint16_t function;
    if (!urb || !packet || !r.u16le(URB_FUNCTION, function) || function >= kUrbSetupFunctions) return 0;
    const Builder builder = BuilderFor(function);
    if (!r.has(0, BytesNeeded(builder))) return 0;

    const URB_SETUP_REQUEST& row = kSetupRequests[function];
    const uint16_t length = static_cast<uint16_t>(r.u32le_or(URB_TRANSFER_LENGTH));
    const uint16_t index = r.u16le_or(URB_INDEX);
    switch (builder) {
    case Builder::None:
        break;
    case Builder::Descriptor:
        Put(packet, RequestType(row, row.direction), row.request,
            static_cast<uint16_t>(r.u8or(URB_DESCRIPTOR_INDEX) | r.u8or(URB_DESCRIPTOR_TYPE) << 8),
            r.u16le_or(URB_LANGUAGE_ID), length);
        break;
    case Builder::Feature:
        Put(packet, RequestType(row, row.direction), row.request, r.u16le_or(URB_FEATURE_SELECTOR), index, 0);
        break;
    case Builder::Status:
        Put(packet, RequestType(row, row.direction), row.request, 0, index, length);
        break;
    case Builder::VendorClass:
        // The direction comes from TransferFlags bit 0 (USBD_TRANSFER_DIRECTION_IN).
        Put(packet, RequestType(row, r.u32le_or(URB_TRANSFER_FLAGS) & 1), r.u8or(URB_REQUEST),
            r.u16le_or(URB_VALUE), index, length);
        break;
    case Builder::Configuration:
        Put(packet, RequestType(row, row.direction), row.request, 0, 0, length);
        break;
    case Builder::Interface:
        Put(packet, RequestType(row, row.direction), row.request, 0, index, length);
        break;
    case Builder::Zero:
        std::memset(packet, 0, 8);
        break;
    case Builder::Copy:
        std::memcpy(packet, urb + URB_SETUP_PACKET, 8);
        break;
    }
    return 1;
}

} // namespace brx

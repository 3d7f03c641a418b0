// Byte offsets of the fields of a URB as a 32-bit system lays it out (the URB
// of a captured URB block), and the transfer flags the decoders test.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

constexpr size_t URB_OFFSET_LENGTH = 0;
constexpr size_t URB_OFFSET_FUNCTION = 2;
constexpr size_t URB_OFFSET_STATUS = 4;
constexpr size_t URB_OFFSET_PIPE_HANDLE = 16;
constexpr size_t URB_OFFSET_CONFIGURATION_DESCRIPTOR = 16;  // SELECT_CONFIGURATION
constexpr size_t URB_OFFSET_TRANSFER_FLAGS = 20;
constexpr size_t URB_OFFSET_SELECT_INTERFACE_NUMBER = 22;  // SELECT_INTERFACE
constexpr size_t URB_OFFSET_SELECT_ALTERNATE_SETTING = 23;
constexpr size_t URB_OFFSET_TRANSFER_LENGTH = 24;
constexpr size_t URB_OFFSET_SETUP_PACKET = 72;  // control transfers
constexpr size_t URB_OFFSET_REQUEST = 73;       // vendor and class requests
constexpr size_t URB_OFFSET_VALUE = 74;         // also descriptor index and feature selector
constexpr size_t URB_OFFSET_DESCRIPTOR_TYPE = 75;
constexpr size_t URB_OFFSET_INDEX = 76;         // also language id

constexpr uint32_t URB_TRANSFER_IN = 0x1;
constexpr uint32_t URB_TRANSFER_ASAP = 0x4;
constexpr uint32_t URB_TRANSFER_DEFAULT_PIPE = 0x8;

} // namespace brx

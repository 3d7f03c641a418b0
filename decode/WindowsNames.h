// Names of Windows codes met in captured requests: NTSTATUS and USBD status,
// URB functions, IRP functions, IOCTL codes, power and Plug and Play values,
// device problems and node flags, GUIDs. Form: NAME_SYMBOLIC or NAME_FRIENDLY.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/CodeNames.h"

namespace brx {

const char* NtStatusName(uint32_t status, int form);
// Two USBD codes have two symbolic rows each; the first (the older spelling) wins.
const char* UsbdStatusName(uint32_t status, int form);
// The function is taken as 16 bits.
const char* UrbFunctionName(uint32_t function, int form);
const char* InternalUsbIoctlName(uint32_t ioctl, int form);
const char* HcdIoctlName(uint32_t ioctl, int form);
const char* HubIoctlName(uint32_t ioctl, int form);
const char* DevicePowerStateName(uint32_t state, int form);
const char* SystemPowerStateName(uint32_t state, int form);
// Power (major 22) and Plug and Play (major 27) minor functions; the minor is
// taken as 8 bits; any other major gives null.
const char* MinorFunctionName(uint32_t major, uint32_t minor, int form);
const char* PnpDeviceStateName(uint32_t state, int form);

// CM_PROB_* problem code to its sentence.
const char* DeviceProblemText(uint32_t problem);
// DN_* flag (a single bit value, 00000001h .. 80000000h) to its identifier.
const char* DevNodeStatusFlagName(uint32_t flag);

// Parts of an IOCTL code: device type (bits 16-31; 1-59 named), transfer
// method (bits 0-1) and required access (bits 14-15).
const char* IoctlDeviceTypeName(uint32_t deviceType);
const char* IoctlMethodName(uint32_t ioctl);
const char* IoctlAccessName(uint32_t ioctl);

// Plug and Play enumerations.
const char* InterfaceTypeName(uint32_t type, int form);
const char* RelationTypeName(uint32_t type, int form);
const char* QueryIdTypeName(uint32_t type, int form);
const char* DeviceTextTypeName(uint32_t type, int form);
const char* UsageTypeName(uint32_t type, int form);

// Version fields of the bus interfaces handed out by IRP_MN_QUERY_INTERFACE.
const char* UsbdiBusInterfaceVersionName(uint32_t version, int form);
const char* HubBusInterfaceVersionName(uint32_t version, int form);
const char* UsbcConfigurationInterfaceVersionName(uint32_t version, int form);
const char* SwenumBusInterfaceVersionName(uint32_t version, int form);

// Code tables of the structure fields (looked up with LookupCodeName).
extern const std::span<const CODE_NAME> kIrpMajorFunctionNames;
extern const std::span<const CODE_NAME> kObjectTypeNames;
extern const std::span<const CODE_NAME> kProcessorModeNames;
extern const std::span<const CODE_NAME> kBooleanNames;
extern const std::span<const CODE_NAME> kPowerStateTypeNames;
extern const std::span<const CODE_NAME> kPowerActionNames;

// Bit tables of the structure fields (one entry per bit, null where unnamed).
extern const BIT_NAMES kIrpFlagNames;
extern const BIT_NAMES kAllocationFlagNames;
extern const BIT_NAMES kStackControlNames;
extern const BIT_NAMES kCreateOptionNames;
extern const BIT_NAMES kFileAttributeNames;
extern const BIT_NAMES kShareAccessNames;
extern const BIT_NAMES kPortAttributeNames;

// A GUID as Windows lays it out: Data1-Data3 little-endian, then 8 bytes.
struct GUID_VALUE {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
    bool operator==(const GUID_VALUE&) const = default;
};

// Reads a GUID from 16 captured bytes; false when fewer are there.
bool ReadGuid(const uint8_t* bytes, size_t size, GUID_VALUE& guid);

const char* SymbolicGuidName(const GUID_VALUE& guid);
// NAME_SYMBOLIC: SymbolicGuidName; NAME_FRIENDLY: the short readable name.
const char* GuidName(const GUID_VALUE& guid, int form);

} // namespace brx

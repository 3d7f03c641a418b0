// Names of USB codes: specification versions, class codes with their
// subclasses and protocols, descriptor types, hub and link states, language
// IDs, CDC country codes, BCD versions. Form: NAME_SYMBOLIC or NAME_FRIENDLY.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/CodeNames.h"

namespace brx {

// bcdUSB (taken as 16 bits) to "USB Spec 1.1" and the like; null when unlisted.
const char* UsbSpecVersionName(uint32_t bcdUsb);

// Class codes.
const char* DeviceClassName(uint8_t cls);
const char* InterfaceClassName(uint8_t cls);
// Class FFh gives null; class 02h with an unlisted subclass 80h-FEh reads "Vendor-Specific".
const char* ClassSubclassName(uint8_t cls, uint8_t subclass);
// Class FFh gives null, protocol FFh "Vendor-Specific"; a row with subclass FFh
// stands for any subclass; the first matching row wins.
const char* ClassProtocolName(uint8_t cls, uint8_t subclass, uint8_t protocol);

// Standard descriptor types (0 and class, vendor and reserved types give null).
const char* DescriptorTypeName(uint8_t type);
// Class-specific descriptors by the interface they belong to.
const char* ClassDescriptorName(uint8_t type, uint8_t subtype, uint8_t cls, uint8_t subclass, uint8_t protocol);
// Descriptor types of the structure fields ("USB_DEVICE_DESCRIPTOR_TYPE" ...).
extern const std::span<const CODE_NAME> kDescriptorTypeCodeNames;
// bcdUSB values of the structure fields (the rows of UsbSpecVersionName).
extern const std::span<const CODE_NAME> kUsbSpecVersionNames;

// Hub status and status-change bits (hub descriptor and GET_STATUS data).
extern const BIT_NAMES kHubStatusNames;
extern const BIT_NAMES kHubStatusChangeNames;
// wHubCharacteristics texts by field.
const char* HubPowerSwitchingText(uint16_t characteristics);
const char* HubCompoundDeviceText(uint16_t characteristics);
const char* HubOverCurrentText(uint16_t characteristics);
const char* HubThinkTimeText(uint16_t characteristics);
const char* HubPortIndicatorText(uint16_t characteristics);

const char* DeviceSpeedName(uint32_t speed, int form);
const char* LowSpeedName(uint32_t lowSpeed);
const char* ConnectionStatusName(uint32_t status, int form);
const char* BusNotificationTypeName(uint32_t type, int form);
const char* NodeTypeName(uint32_t type, int form);
const char* UsbIoPriorityName(uint32_t priority, int form);
const char* PipeTypeName(uint32_t type, int form);
const char* LinkStateName(uint32_t state);
const char* TestModeName(uint32_t selector, int form);
const char* SuperSpeedLinkSpeedText(uint32_t speed);

// "1.10", "12.34": a first digit only when the value is above 0FFFh ("?" when
// above 9FFFh); a nibble above 9 shows as "?". Writes the text and its NUL
// into out and returns its length (4 or 5), or 0 (writing nothing) when out
// has room for fewer than 6 characters.
size_t FormatBcdVersion(uint16_t bcd, char* out, size_t outSize);

// Windows language names of USB LANGIDs; 0 gives null.
const char* LangIdName(uint16_t langId);
// CDC country codes (ISO 3166 numeric); 0 gives null.
const char* CountryName(uint16_t code);

} // namespace brx

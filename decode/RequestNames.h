// Names and one-sentence descriptions of control requests: standard, hub,
// DFU, CDC, HID and printer requests, CDC notifications, hub and DFU codes.
// Functions taking a setup packet read its first bytes (bmRequestType,
// bRequest) from 8 bytes, and give null for a null packet. Form:
// NAME_SYMBOLIC or NAME_FRIENDLY.
#pragma once
#include <cstdint>

#include "decode/CodeNames.h"

namespace brx {

// Type bits 6-5 of bmRequestType.
enum : uint8_t {
    REQUEST_TYPE_STANDARD = 0,
    REQUEST_TYPE_CLASS = 1,
    REQUEST_TYPE_VENDOR = 2,
};
constexpr uint8_t RequestTypeOf(uint8_t bmRequestType) { return (bmRequestType >> 5) & 3; }

// bRequest 0-12, 48 and 49 ("Reserved" for 2 and 4).
const char* StandardRequestName(uint32_t bRequest, int form);
// Standard requests only.
const char* StandardRequestDescription(const uint8_t* setup);
// Standard: StandardRequestDescription; class and vendor requests: none.
const char* ControlRequestDescription(const uint8_t* setup);

// Hub class requests, each only with the bmRequestType it allows.
const char* HubRequestName(const uint8_t* setup, int form);
const char* HubRequestDescription(const uint8_t* setup);
const char* HubFeatureName(uint32_t selector, int form);
const char* HubPortFeatureName(uint32_t selector, int form);

// DFU class requests; the name also needs an interface recipient.
const char* DfuRequestName(const uint8_t* setup, int form);
const char* DfuRequestDescription(const uint8_t* setup);
const char* DfuStateName(uint32_t state, int form);
const char* DfuStatusName(uint32_t status, int form);

// CDC class requests and notifications (the notification header has the
// layout of a setup packet, bNotification in place of bRequest).
const char* CdcRequestName(const uint8_t* setup, int form);
const char* CdcRequestDescription(const uint8_t* setup);
const char* CdcNotificationName(const uint8_t* notification, int form);
const char* CdcNotificationDescription(const uint8_t* notification);
const char* CdcFeatureSelectorName(uint32_t selector, int form);

// HID class requests: GET requests only with A1h, SET requests only with 21h.
const char* HidRequestName(const uint8_t* setup, int form);
const char* HidRequestDescription(const uint8_t* setup);
// 1 "Input Report", 2 "Output Report", 3 "Feature Report".
const char* HidReportTypeName(uint32_t reportType);

// Printer class requests.
const char* PrinterRequestName(const uint8_t* setup, int form);
const char* PrinterRequestDescription(const uint8_t* setup);

} // namespace brx

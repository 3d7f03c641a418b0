#include "protocols/ClassDecoders.h"

#include "decode/BosDescriptors.h"
#include "protocols/CdcDescriptors.h"
#include "protocols/CdcRequests.h"
#include "protocols/DfuPrinter.h"
#include "protocols/HidClass.h"
#include "protocols/HubRequests.h"

namespace brx {

namespace {

// HID class requests and the standard requests for HID class descriptors,
// with their setup table.
bool DecodeHidRequestPage(DECODE_CONTEXT& ctx) { return DecodeHidRequest(ctx); }

// Class-specific descriptors by the class (and subclass) of their interface.
constexpr CLASS_DESCRIPTOR_ROW kDescriptorRows[] = {
    {0x02, kAnySubclass, DecodeCdcFunctionalDescriptor}, // CDC functional descriptors
    {0x0A, kAnySubclass, DecodeCdcFunctionalDescriptor}, // CDC data (the header only)
    {0x03, kAnySubclass, RenderHidDescriptor},           // HID descriptor
    {0x07, kAnySubclass, nullptr},             // printer
    {0x09, kAnySubclass, DecodeHubDescriptor}, // hub
    {0xFE, 0x01, DecodeDfuFunctionalDescriptor},         // DFU functional descriptor
};

// Class requests by the class (and subclass) of the interface that owns the pipe.
constexpr CLASS_REQUEST_ROW kRequestRows[] = {
    {0x02, kAnySubclass, DecodeCdcRequest, nullptr},     // CDC
    {0x03, kAnySubclass, DecodeHidRequestPage, DecodeHidRequestPage}, // HID (class requests; standard requests for HID descriptors)
    {0x07, kAnySubclass, DecodePrinterRequest, nullptr}, // printer
    {0x08, kAnySubclass, nullptr, nullptr},          // mass storage
    {0x09, kAnySubclass, DecodeHubRequest, nullptr}, // hub
    {0x0A, kAnySubclass, DecodeCdcDataRequest, nullptr}, // CDC data: no class requests of its own
    {0xFE, 0x01, DecodeDfuRequest, nullptr},             // DFU
};

} // namespace

const CLASS_DECODERS kClassDecoders = {kDescriptorRows, kRequestRows};

} // namespace brx

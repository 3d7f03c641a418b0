// Summary lines that depend on what a request means: the setup packet of a
// control transfer (standard, class and vendor requests with their result
// data), the class lines of bulk and interrupt transfers, the power IRP
// parameters, the user-mode hub and host-controller IOCTLs, and the create,
// close and cleanup requests.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/ByteReader.h"
#include "decode/SummaryWriter.h"

namespace brx {

// The URB of a summary's record: its block and the URB bytes that may be
// read (the copied bytes from the URB on, at most the URB's own Length).
struct SUMMARY_URB {
    ByteReader block;
    ByteReader urb;
    bool completion = false;
    uint32_t status = 0;    // NTSTATUS of the request
    int32_t urbStatus = 0;  // USBD status of the URB

    // A completion of status 0 whose URB status is not negative.
    bool Successful() const { return completion && status == 0 && urbStatus >= 0; }
    uint8_t PackedEndpoint() const;
    uint32_t TransferFlags() const;
    uint32_t TransferLength() const;
    // IN by the packed endpoint byte, or by the transfer flags where the
    // endpoint is unknown.
    bool In() const;
};
// False unless the record is a URB with a block of at least 32 bytes and at
// least 16 URB bytes.
bool GetSummaryUrb(const SUMMARY_CONTEXT& ctx, SUMMARY_URB& u);

// What a control request's writers read.
struct SETUP_SUMMARY {
    const uint8_t* setup = nullptr;         // 8 bytes
    const uint8_t* interfaceInfo = nullptr; // URB block + 4: version at 6, class 8, subclass 9, protocol 10
    size_t interfaceInfoLength = 0;
    const uint8_t* data = nullptr;          // the data stage passed with the request, or null
    uint32_t dataLength = 0;
    bool completion = false;
};

// "Remote Wakeup", "Test Mode" ... of a device feature selector; null when unnamed.
const char* DeviceFeatureSelectorText(uint32_t selector);

HRESULT32 SummarizeSetupRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& s);
// Class writers: 1 when they wrote the request's lines, 0 otherwise.
int SummarizeCdcRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& s);
int SummarizeHidRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& s);
int SummarizeMscRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& s);
int SummarizeHubRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& s);
int SummarizeDfuRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& s);
HRESULT32 SummarizeGenericRequest(SUMMARY_CONTEXT& ctx, const uint8_t* setup);

// Result data of GET_DESCRIPTOR.
void SummarizeConfigurationData(SUMMARY_CONTEXT& ctx, const uint8_t* data, size_t length);
void SummarizeStringData(SUMMARY_CONTEXT& ctx, const uint8_t* data, size_t length, uint8_t index);

// Bulk and interrupt class lines: 1 when written.
int SummarizeCdcNotification(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u);
int SummarizeHidReport(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u);

// Power IRPs by minor function (0-3).
void SummarizePowerMinor(SUMMARY_CONTEXT& ctx, uint8_t minor);
// User-mode host-controller and hub requests by kind.
void SummarizeUserIoctl(SUMMARY_CONTEXT& ctx, uint32_t kind);
// Create, close and cleanup by IRP major function (0, 2, 18).
void SummarizeFileRequest(SUMMARY_CONTEXT& ctx, uint8_t major);

} // namespace brx

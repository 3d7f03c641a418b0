// The 8-byte USB setup packet of a control-type URB, rebuilt from the URB's
// fields as the USB host stack builds it (only the control-transfer URBs carry
// their own packet).
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// Direction, type, recipient and bRequest that the host stack uses for one URB
// function; size is the function's URB structure size (0 where it varies or
// the function has none).
struct URB_SETUP_REQUEST {
    uint16_t function;
    uint16_t size;
    uint8_t direction;  // 1 device-to-host
    uint8_t type;       // 0 standard, 1 class, 2 vendor
    uint8_t recipient;  // 0 device, 1 interface, 2 endpoint, 3 other
    uint8_t request;
};

constexpr uint32_t kUrbSetupFunctions = 53;  // functions 0 .. 52
const URB_SETUP_REQUEST& UrbSetupRequest(uint32_t function);

// Fills packet from the URB (urbSize bytes as captured, 32-bit layout) and
// returns 1. Returns 0 and leaves packet as it was when the URB is null, its
// function (16 bits at byte 2) is above 52, or the URB is too short for the
// fields its function's builder reads. Functions without a builder (pipe
// requests, transfers, configuration selection) return 1 and leave the packet
// as it was.
int BuildSetupPacketForUrb(const uint8_t* urb, size_t urbSize, uint8_t packet[8]);

} // namespace brx

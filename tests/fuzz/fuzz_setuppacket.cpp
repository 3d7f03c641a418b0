// Feeds arbitrary bytes as a captured URB to the setup-packet builder and the
// names of the packet it builds. Checks that a refused URB leaves the packet
// as it was and that a built one of a standard request has the direction the
// function's table row gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "decode/RequestNames.h"
#include "decode/SetupPacket.h"
#include "decode/WindowsNames.h"

using namespace brx;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past the URB is seen.
    std::unique_ptr<uint8_t[]> urb(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(urb.get(), data, size);
    uint8_t packet[8] = {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5};
    const int built = BuildSetupPacketForUrb(urb.get(), size, packet);
    const uint16_t function = size >= 4 ? static_cast<uint16_t>(data[2] | data[3] << 8) : 0;
    if (!built) {
        for (uint8_t b : packet) Check(b == 0xA5);
        return 0;
    }
    Check(function < kUrbSetupFunctions);
    const URB_SETUP_REQUEST& row = UrbSetupRequest(function);
    if (row.size && packet[0] != 0xA5 && row.type == REQUEST_TYPE_STANDARD && row.request) {
        Check((packet[0] >> 7) == row.direction);
    }
    // The names of whatever the packet holds.
    (void)UrbFunctionName(function, NAME_FRIENDLY);
    (void)StandardRequestName(packet[1], NAME_FRIENDLY);
    (void)ControlRequestDescription(packet);
    (void)HubRequestName(packet, NAME_SYMBOLIC);
    (void)CdcRequestDescription(packet);
    (void)HidRequestName(packet, NAME_FRIENDLY);
    (void)DfuRequestName(packet, NAME_FRIENDLY);
    (void)PrinterRequestDescription(packet);
    return 0;
}

// REQUEST_KIND: the kind code of an I/O request record, its texts and its
// mappings to the system's codes (major and minor functions, URB functions,
// device-control codes).
#pragma once
#include <cstdint>

namespace brx {

enum REQUEST_KIND : uint32_t {
    KIND_CREATE = 1,
    KIND_CLOSE = 2,
    KIND_CLEANUP = 3,
    KIND_POWER_FIRST = 20,    // 20 + minor function
    KIND_POWER_LAST = 39,
    KIND_PNP_FIRST = 40,      // 40 + minor function
    KIND_PNP_LAST = 139,
    KIND_URB_FIRST = 340,     // 340 + URB function
    KIND_URB_LAST = 839,
    KIND_KMIO_FIRST = 840,    // 840 + function number of the internal control code
    KIND_KMIO_LAST = 4339,
    KIND_UMIO_FIRST = 4340,   // user-mode control of host controllers and hubs
    KIND_UMIO_LAST = 9539,
    KIND_HCD_FIRST = 4340,    // host-controller requests
    KIND_HUB_FIRST = 4440,    // hub requests
};

constexpr bool IsPowerKind(uint32_t kind) { return kind >= KIND_POWER_FIRST && kind <= KIND_POWER_LAST; }
constexpr bool IsPnpKind(uint32_t kind) { return kind >= KIND_PNP_FIRST && kind <= KIND_PNP_LAST; }
constexpr bool IsUrbKind(uint32_t kind) { return kind >= KIND_URB_FIRST && kind <= KIND_URB_LAST; }
constexpr bool IsKernelIoctlKind(uint32_t kind) { return kind >= KIND_KMIO_FIRST && kind <= KIND_KMIO_LAST; }
constexpr bool IsUserIoctlKind(uint32_t kind) { return kind >= KIND_UMIO_FIRST && kind <= KIND_UMIO_LAST; }
constexpr bool IsIoctlKind(uint32_t kind) { return kind >= KIND_KMIO_FIRST && kind <= KIND_UMIO_LAST; }

// The capture list's text of a kind: "Create", "Close", "Cleanup", "Power",
// "PnP", "URB", "KmIO", "UmIO", and "IRP" for anything else.
const char* GetRequestKindListText(uint32_t kind);
// The request summary's text of a kind ("Create IRP", "PnP IRP", "URB",
// "I/O Control Request", ...; "IRP" for anything else).
const char* GetRequestKindSummaryText(uint32_t kind);

// IRP major function: 0 create, 2 close, 18 cleanup, 22 power, 27 PnP,
// 15 internal device control, 14 device control; 255 for any other kind.
uint8_t IrpMajorFromRequestKind(uint32_t kind);
// URB function 0-52 of kinds 340-392; -1 otherwise.
int32_t UrbFunctionFromRequestKind(uint32_t kind);
// Power minor function 0-3 of kinds 20-23; 255 otherwise.
uint8_t PowerMinorFromRequestKind(uint32_t kind);
// PnP minor function 0-24 of kinds 40-64; 255 otherwise.
uint8_t PnpMinorFromRequestKind(uint32_t kind);
// The internal device-control code of a kernel-mode kind; 0 for kinds without one.
uint32_t KernelIoctlFromRequestKind(uint32_t kind);
// The device-control code of a user-mode host-controller or hub kind; 0 for
// kinds without one.
uint32_t UserIoctlFromRequestKind(uint32_t kind);

} // namespace brx

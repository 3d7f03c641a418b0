#include "capture/RequestKind.h"

#include <cstddef>

namespace brx {
namespace {

struct KindCode {
    uint16_t kind;
    uint32_t code;
};

// Internal control codes of device type FILE_DEVICE_USB that carry a kind.
constexpr KindCode kKernelIoctls[] = {
    {840, 0x220003},  {841, 0x220007},  {843, 0x22000F},  {844, 0x220013},  {845, 0x220017},
    {846, 0x22001B},  {847, 0x22001F},  {848, 0x220020},  {849, 0x220027},  {1104, 0x220420},
    {1105, 0x220424}, {1106, 0x220428}, {1107, 0x22042C}, {1108, 0x220433},
};

// User-mode control codes. Host-controller kinds follow 4340 + (function - 255)
// only up to 4343 and for the two exceptions 4350 and 4351; 4352-4354 are the
// codes of functions 268-270, so the table, not the rule, gives them.
constexpr KindCode kUserIoctls[] = {
    // host controller
    {4340, 0x2203FC}, {4341, 0x220400}, {4342, 0x220404}, {4343, 0x220408},
    {4350, 0x220428}, {4351, 0x220424}, {4352, 0x220430}, {4353, 0x220434}, {4354, 0x220438},
    // hub: 4440 + (function - 258)
    {4440, 0x220408}, {4441, 0x22040C}, {4442, 0x220410}, {4443, 0x220414}, {4444, 0x220418},
    {4445, 0x22041C}, {4446, 0x220420}, {4453, 0x22043C}, {4454, 0x220440}, {4455, 0x220444},
    {4456, 0x220448}, {4458, 0x220450},
};

template <size_t N>
uint32_t Find(const KindCode (&table)[N], uint32_t kind) {
    for (const KindCode& row : table)
        if (row.kind == kind) return row.code;
    return 0;
}

} // namespace

const char* GetRequestKindListText(uint32_t kind) {
    switch (kind) {
    case KIND_CREATE: return "Create";
    case KIND_CLOSE: return "Close";
    case KIND_CLEANUP: return "Cleanup";
    }
    if (IsPowerKind(kind)) return "Power";
    if (IsPnpKind(kind)) return "PnP";
    if (IsUrbKind(kind)) return "URB";
    if (IsKernelIoctlKind(kind)) return "KmIO";
    if (IsUserIoctlKind(kind)) return "UmIO";
    return "IRP";
}

const char* GetRequestKindSummaryText(uint32_t kind) {
    switch (kind) {
    case KIND_CREATE: return "Create IRP";
    case KIND_CLOSE: return "Close IRP";
    case KIND_CLEANUP: return "IRP";
    }
    if (IsPowerKind(kind)) return "Power IRP";
    if (IsPnpKind(kind)) return "PnP IRP";
    if (IsUrbKind(kind)) return "URB";
    if (IsIoctlKind(kind)) return "I/O Control Request";
    return "IRP";
}

uint8_t IrpMajorFromRequestKind(uint32_t kind) {
    switch (kind) {
    case KIND_CREATE: return 0;
    case KIND_CLOSE: return 2;
    case KIND_CLEANUP: return 18;
    }
    if (IsUserIoctlKind(kind)) return 14;
    if (kind >= KIND_URB_FIRST && kind <= KIND_KMIO_LAST) return 15;
    if (IsPowerKind(kind)) return 22;
    if (IsPnpKind(kind)) return 27;
    return 255;
}

int32_t UrbFunctionFromRequestKind(uint32_t kind) {
    if (kind >= KIND_URB_FIRST && kind <= KIND_URB_FIRST + 52) return static_cast<int32_t>(kind - KIND_URB_FIRST);
    return -1;
}

uint8_t PowerMinorFromRequestKind(uint32_t kind) {
    if (kind >= KIND_POWER_FIRST && kind <= KIND_POWER_FIRST + 3) return static_cast<uint8_t>(kind - KIND_POWER_FIRST);
    return 255;
}

uint8_t PnpMinorFromRequestKind(uint32_t kind) {
    if (kind >= KIND_PNP_FIRST && kind <= KIND_PNP_FIRST + 24) return static_cast<uint8_t>(kind - KIND_PNP_FIRST);
    return 255;
}

uint32_t KernelIoctlFromRequestKind(uint32_t kind) { return Find(kKernelIoctls, kind); }

uint32_t UserIoctlFromRequestKind(uint32_t kind) { return Find(kUserIoctls, kind); }

} // namespace brx

// The rows of the device stack view: the device objects of a node's driver
// stack, top of the stack first, each with its icon, its check state and the
// texts of its three columns.
#pragma once
#include <cstdint>
#include <vector>

#include "app/devices/DeviceStack.h"
#include "app/devtree/CaptureSelection.h"
#include "base/Text.h"
#include "capture/NameTables.h"

namespace brx {

enum class StackIcon { Bottom, Middle, Top };

struct STACK_ROW {
    uint32_t deviceObject = 0;
    StackIcon icon = StackIcon::Middle;
    uint32_t state = STACK_STATE_NONE;   // STACK_STATE_*
    WString deviceName;                  // last component of the object's name
    WString objectText;                  // the address, eight upper-case hex digits
    WString driverName;                  // last component of the driver's name
};

// Names longer than this (characters, terminator included) are cut.
constexpr uint32_t STACK_NAME_CHARS = 256;

// The rows of a stack (none without one). The first entry is the physical
// device object (bottom icon), the entry in the stack's last slot the top one;
// an object is checked when the selection holds it, and has no box when it
// cannot be captured. A name key of 0 gives an empty name.
std::vector<STACK_ROW> BuildStackRows(const DEVICE_STACK* stack, const CCaptureSelection& selection,
                                      const CDeviceNameHash& deviceNames, const CDriverNameHash& driverNames);

// What follows the last backslash, slash or colon of a path.
WString LastPathComponent(const WString& path);

} // namespace brx

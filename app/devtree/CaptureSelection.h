// The capture selection as the device views see it: the device objects the
// capture driver reports as selected, the check state of a tree item and of a
// stack row, and the device-object lists that select or deselect objects.
//
// A DEVICE_OBJECT_LIST is a DWORD count followed by that many device objects
// (the 32-bit addresses the driver reports); it is both the driver's answer
// for the selection and the request that changes it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/devices/DeviceStack.h"

namespace brx {

// State images of a tree item (TVIS_STATEIMAGEMASK indexes).
enum : uint32_t {
    CAPTURE_STATE_NONE = 0,        // no capturable object: no check box
    CAPTURE_STATE_UNCHECKED = 1,
    CAPTURE_STATE_CHECKED = 2,
    CAPTURE_STATE_SOME = 3,        // some of the objects are selected
};

// State images of a stack row (LVIS_STATEIMAGEMASK indexes; a list view shows
// image n - 1 for index n, so these are the same boxes as the tree's).
enum : uint32_t {
    STACK_STATE_NONE = 0,
    STACK_STATE_UNCHECKED = 2,
    STACK_STATE_CHECKED = 3,
};

class CCaptureSelection {
public:
    // Takes the driver's answer. A reply of fewer than 8 bytes is no answer:
    // the selection is then unknown (empty). A count larger than the reply
    // holds is cut to the objects it does hold.
    void Load(const uint8_t* reply, size_t size);
    void Clear() { objects_.clear(), loaded_ = false; }

    // Whether the driver answered at the last load.
    bool IsLoaded() const { return loaded_; }
    bool Contains(uint32_t deviceObject) const;
    const std::vector<uint32_t>& Objects() const { return objects_; }

private:
    std::vector<uint32_t> objects_;
    bool loaded_ = false;
};

// The device objects of a stack that can be selected for capture, in stack
// order (bottom first).
std::vector<uint32_t> CapturableObjects(const DEVICE_STACK* stack);

// The check state of a tree item whose node has this stack.
uint32_t CaptureState(const DEVICE_STACK* stack, const CCaptureSelection& selection);

// A DEVICE_OBJECT_LIST of these objects (count first); empty for none.
std::vector<uint32_t> MakeDeviceObjectList(const std::vector<uint32_t>& objects);

// What a click on a check box asks of the driver, and the state it shows
// once the driver accepted.
enum class CaptureToggle { None, Add, Remove };
struct CAPTURE_TOGGLE {
    CaptureToggle action = CaptureToggle::None;
    uint32_t newState = 0;
};
// Tree item: unchecked becomes checked (add); checked or partly checked
// becomes unchecked (remove); no box: nothing.
CAPTURE_TOGGLE ToggleTreeState(uint32_t state);
// Stack row: unchecked becomes checked (add), checked unchecked (remove);
// any other index: nothing.
CAPTURE_TOGGLE ToggleStackState(uint32_t state);

} // namespace brx

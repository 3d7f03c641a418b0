#include "app/devtree/CaptureSelection.h"

#include <algorithm>

#include "base/ByteReader.h"

namespace brx {

namespace {
constexpr size_t kMinimumReply = 8;   // the count and room for one object
}

void CCaptureSelection::Load(const uint8_t* reply, size_t size) {
    Clear();
    if (!reply || size < kMinimumReply)
        return;
    const ByteReader in(reply, size);
    const size_t held = (size - 4) / 4;
    const size_t count = std::min<size_t>(in.u32le_or(0), held);
    objects_.reserve(count);
    for (size_t i = 0; i < count; ++i)
        objects_.push_back(in.u32le_or(4 + 4 * i));
    loaded_ = true;
}

bool CCaptureSelection::Contains(uint32_t deviceObject) const {
    return std::find(objects_.begin(), objects_.end(), deviceObject) != objects_.end();
}

std::vector<uint32_t> CapturableObjects(const DEVICE_STACK* stack) {
    std::vector<uint32_t> objects;
    if (stack)
        for (const DEVICE_STACK_ENTRY& e : stack->entries)
            if (e.capturable)
                objects.push_back(e.deviceObject);
    return objects;
}

uint32_t CaptureState(const DEVICE_STACK* stack, const CCaptureSelection& selection) {
    size_t selected = 0, unselected = 0;
    for (uint32_t object : CapturableObjects(stack))
        ++(selection.Contains(object) ? selected : unselected);
    if (selected == 0 && unselected == 0)
        return CAPTURE_STATE_NONE;
    if (selected == 0)
        return CAPTURE_STATE_UNCHECKED;
    return unselected == 0 ? CAPTURE_STATE_CHECKED : CAPTURE_STATE_SOME;
}

std::vector<uint32_t> MakeDeviceObjectList(const std::vector<uint32_t>& objects) {
    if (objects.empty())
        return {};
    std::vector<uint32_t> list;
    list.reserve(objects.size() + 1);
    list.push_back(static_cast<uint32_t>(objects.size()));
    list.insert(list.end(), objects.begin(), objects.end());
    return list;
}

CAPTURE_TOGGLE ToggleTreeState(uint32_t state) {
    switch (state) {
    case CAPTURE_STATE_UNCHECKED: return {CaptureToggle::Add, CAPTURE_STATE_CHECKED};
    case CAPTURE_STATE_CHECKED:
    case CAPTURE_STATE_SOME: return {CaptureToggle::Remove, CAPTURE_STATE_UNCHECKED};
    default: return {};
    }
}

CAPTURE_TOGGLE ToggleStackState(uint32_t state) {
    switch (state) {
    case STACK_STATE_UNCHECKED: return {CaptureToggle::Add, STACK_STATE_CHECKED};
    case STACK_STATE_CHECKED: return {CaptureToggle::Remove, STACK_STATE_UNCHECKED};
    default: return {};
    }
}

} // namespace brx

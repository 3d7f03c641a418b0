#include "app/devtree/StackRows.h"

#include <cstdio>

namespace brx {

WString LastPathComponent(const WString& path) {
    const size_t at = path.find_last_of(u"\\/:");
    return at == WString::npos ? path : path.substr(at + 1);
}

namespace {

WString NameOf(const CNameHash& names, OBJECT_KEY key) {
    if (key.key1 == 0)
        return {};
    char16_t text[STACK_NAME_CHARS] = {};
    const uint32_t n = names.Lookup(key, text, STACK_NAME_CHARS);
    return n ? LastPathComponent(WString(text, WideLength(text, STACK_NAME_CHARS))) : WString();
}

WString HexText(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof(text), "%08X", value);
    return AnsiToWide(text);
}

} // namespace

std::vector<STACK_ROW> BuildStackRows(const DEVICE_STACK* stack, const CCaptureSelection& selection,
                                      const CDeviceNameHash& deviceNames, const CDriverNameHash& driverNames) {
    std::vector<STACK_ROW> rows;
    if (!stack)
        return rows;
    const size_t top = stack->entryCount ? stack->entryCount - 1 : 0;
    for (size_t i = stack->entries.size(); i-- > 0;) {
        const DEVICE_STACK_ENTRY& e = stack->entries[i];
        STACK_ROW row;
        row.deviceObject = e.deviceObject;
        row.icon = i == 0 ? StackIcon::Bottom : i == top ? StackIcon::Top : StackIcon::Middle;
        row.state = !e.capturable                       ? STACK_STATE_NONE
                    : selection.Contains(e.deviceObject) ? STACK_STATE_CHECKED
                                                         : STACK_STATE_UNCHECKED;
        row.deviceName = NameOf(deviceNames, e.DeviceKey());
        row.objectText = HexText(e.deviceObject);
        row.driverName = NameOf(driverNames, e.DriverKey());
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace brx

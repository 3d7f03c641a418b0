// The capture driver's refresh replies as untrusted bytes: the stack walk and
// the report-descriptor walk must stay inside them whatever they hold, and
// what they return must lie inside them too.
#include <cstdint>
#include <cstdlib>

#include "app/devices/DeviceStack.h"

using namespace brx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CDeviceNameHash* names = [] {
        auto* n = new CDeviceNameHash;
        n->Add({0x89A11030, 0x89A11000}, u"\\Device\\USBPDO-1");
        return n;
    }();
    // By an instance ID, by a PDO name, and with neither.
    for (const auto& [id, pdo] : {std::pair<std::u16string_view, std::u16string_view>{u"USB\\X", u""},
                                  {u"", u"\\Device\\USBPDO-1"},
                                  {u"", u""}}) {
        auto stack = FindDeviceStack(data, size, id, pdo, *names);
        if (stack) {
            if (stack->entryCount > DEVICE_STACK_MAX_ENTRIES || stack->entries.size() > stack->entryCount)
                abort();
            if (stack->instanceId.size() * 2 > size)
                abort();
            // The same bytes as a refresh list.
            size_t total = 0;
            for (const REPORT_DESCRIPTOR_ENTRY& d : FindReportDescriptors(data, size, stack->physicalDeviceObject))
                total += d.descriptor.size();
            if (total > size)
                abort();
        }
    }
    size_t total = 0;
    for (const REPORT_DESCRIPTOR_ENTRY& d : FindReportDescriptors(data, size, 0x89A11030))
        total += d.descriptor.size();
    if (total > size)
        abort();
    return 0;
}

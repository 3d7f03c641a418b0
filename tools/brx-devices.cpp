// The device model on the simulated machine: enumerates its USB topology
// through the simulated USB host, with the stacks the simulated capture driver
// reports, and prints the tree as the device tree will show it, each node's
// stack (top first, "*" for objects that can be captured) and the counts.
// A tool for looking at the simulated machine without the analyzer's window.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/devices/win/DeviceEnumerator.h"
#include "capture/win/CaptureDriver.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"

using namespace brx;

namespace {

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// Prints every node as it arrives; keeps them for the walk's lifetime.
class PrintingTree final : public IDeviceNodeSink {
public:
    explicit PrintingTree(const CDeviceEnumerator& names) : names_(names) {}

    DEVICE_ITEM InsertDeviceNode(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node,
                                 const wchar_t* text) override {
        const int depth = parent == Root() ? 0 : depths_[reinterpret_cast<uintptr_t>(parent) - 1] + 1;
        const std::string indent(2 * depth, ' ');
        std::printf("%s%s\n", indent.c_str(), Narrow(reinterpret_cast<const char16_t*>(text)).c_str());
        if (node->stack) {
            const auto& entries = node->stack->entries;
            for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
                WString device, driver;
                if (e->deviceNameKey)
                    names_.DeviceNames().Lookup(e->DeviceKey(), device);
                names_.DriverNames().Lookup(e->DriverKey(), driver);
                std::printf("%s    %c %08X %-24s %s\n", indent.c_str(), e->capturable ? '*' : ' ',
                            static_cast<unsigned>(e->deviceObject), Narrow(device).c_str(), Narrow(driver).c_str());
            }
        }
        nodes_.push_back(std::move(node));
        depths_.push_back(depth);
        return reinterpret_cast<DEVICE_ITEM>(static_cast<uintptr_t>(depths_.size()));
    }
    DEVICE_ITEM Root() { return &root_; }

private:
    const CDeviceEnumerator& names_;
    std::vector<std::unique_ptr<DEVICE_NODE>> nodes_;
    std::vector<int> depths_;
    int root_ = 0;
};

} // namespace

int main() {
    CSimulatedDriver driver;
    CCaptureDriver connection(&driver, nullptr);
    if (!connection.Connect()) {
        std::fprintf(stderr, "the simulated driver did not connect\n");
        return 1;
    }
    CSimulatedUsbHost host(driver.Topology());
    CDeviceEnumerator enumerator(&host);
    enumerator.LoadDriverData(connection);
    PrintingTree tree(enumerator);
    std::printf("Device tree of the simulated machine (stacks top first, * can be captured):\n");
    enumerator.Enumerate(tree, tree.Root(), true);
    const DEVICE_COUNTS& c = enumerator.Counts();
    std::printf("%u host controllers, %u root hubs, %u external hubs, %u connected ports\n",
                static_cast<unsigned>(c.hostControllers), static_cast<unsigned>(c.rootHubs),
                static_cast<unsigned>(c.externalHubs), static_cast<unsigned>(c.connectedPorts));
    return 0;
}

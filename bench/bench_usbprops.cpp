// USB properties report speed: the pane's page of a typical device (the
// simulated mouse: device, configuration and HID report descriptor) and of an
// external hub, written into the pane's page buffer.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/usbprops/UsbReport.h"
#include "sim/UsbTopology.h"

using namespace brx;

namespace {

std::vector<uint8_t> WithHeader(const std::vector<uint8_t>& set) {
    std::vector<uint8_t> b(USB_DESCRIPTOR_REQUEST_HEADER, 0);
    b.insert(b.end(), set.begin(), set.end());
    return b;
}

std::unique_ptr<DEVICE_NODE> Node(const SimUsbDescriptors& d, bool hub) {
    auto node = std::make_unique<DEVICE_NODE>();
    node->kind = hub ? NODE_EXTERNAL_HUB : NODE_DEVICE;
    node->name = u"USB Input Device";
    node->connection = std::make_unique<PORT_CONNECTION_INFO>();
    node->connection->connectionStatus = 1;
    node->connection->speed = hub ? 2 : 0;
    for (size_t i = 0; i < d.device.size() && i < USB_DEVICE_DESCRIPTOR_SIZE; ++i)
        node->connection->deviceDescriptor[i] = d.device[i];
    node->configDescriptor = WithHeader(d.configuration);
    if (!d.otherSpeed.empty()) node->otherSpeedConfig = WithHeader(d.otherSpeed);
    node->deviceQualifier = d.qualifier;
    for (const SimStringDescriptor& s : d.strings) node->strings.push_back({s.index, s.languageId, s.bytes});
    for (const auto& r : d.reportDescriptors) node->reportDescriptors.push_back({r.interfaceNumber, r.descriptor});
    if (hub) {
        node->hubInfo.assign(USB_NODE_INFORMATION_SIZE, 0);
        const uint8_t hubDescriptor[] = {9, 0x29, 4, 0x09, 0, 50, 100, 0, 0};
        for (size_t i = 0; i < sizeof hubDescriptor; ++i) node->hubInfo[USB_NODE_INFO_HUB_DESCRIPTOR + i] = hubDescriptor[i];
    }
    return node;
}

void Report(benchmark::State& state, const DEVICE_NODE& node) {
    PageBuffer page(kUsbPropertiesPageCapacity);
    size_t bytes = 0;
    for (auto _ : state) {
        WriteUsbPropertiesPage(page, &node, false, {}, USB_REPORT_OPTIONS{});
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["page_bytes"] = double(bytes);
}

void BM_UsbReportTypicalDevice(benchmark::State& state) { Report(state, *Node(MouseDescriptors(), false)); }
void BM_UsbReportStick(benchmark::State& state) { Report(state, *Node(StickDescriptors(), false)); }
void BM_UsbReportExternalHub(benchmark::State& state) { Report(state, *Node(HubDescriptors(), true)); }

} // namespace

BENCHMARK(BM_UsbReportTypicalDevice)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UsbReportStick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UsbReportExternalHub)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

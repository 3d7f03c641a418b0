// The simulated machine agrees with itself and with the capture scenario: the
// stacks the driver reports are found again for their device nodes by
// instance ID and by PDO name, the captured device objects sit in exactly one
// stack under their own names, the descriptors the scenario's enumeration
// records carry are the ones the USB host reports, and every named object and
// driver of the stacks is in the driver's name lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/devices/DeviceStack.h"
#include "sim/DriverScenario.h"

using namespace brx;

namespace {

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class SimTopologyTest : public ::testing::Test {
protected:
    SimTopologyTest() {
        Bytes names = scenario.DeviceListBlock();
        devices.AddFromBlock(names.data(), names.size(), kDriverRecordLayout);
        Bytes driverNames = scenario.DriverListBlock();
        drivers.AddFromBlock(driverNames.data(), driverNames.size(), kDriverRecordLayout);
        data = scenario.RefreshDataBlock();
        list = scenario.RefreshListBlock();
    }
    CDriverScenario scenario;
    const SimUsbTopology& topology = scenario.Topology();
    CDeviceNameHash devices;
    CDriverNameHash drivers;
    Bytes data, list;
};

TEST_F(SimTopologyTest, EveryReportedStackIsFoundForItsNode) {
    size_t stacks = 0;
    for (const SimDevnode& d : topology.devnodes) {
        if (d.stack.empty())
            continue;
        SCOPED_TRACE(WideToUtf8(d.instanceId));
        ++stacks;
        auto byId = FindDeviceStack(data.data(), data.size(), d.instanceId, u"", devices);
        ASSERT_TRUE(byId);
        EXPECT_EQ(byId->instanceId, d.instanceId);
        EXPECT_EQ(byId->physicalDeviceObject, d.stack[0].object);
        ASSERT_EQ(byId->entries.size(), d.stack.size());
        for (size_t i = 0; i < d.stack.size(); ++i) {
            EXPECT_EQ(byId->entries[i].deviceObject, d.stack[i].object);
            EXPECT_EQ(byId->entries[i].capturable, d.stack[i].capturable ? 1u : 0u);
            WString name;
            EXPECT_EQ(devices.Lookup(byId->entries[i].DeviceKey(), name), d.stack[i].nameKey != 0);
            EXPECT_EQ(name, d.stack[i].name);
            EXPECT_TRUE(drivers.Lookup(byId->entries[i].DriverKey(), name));
            EXPECT_EQ(name, d.stack[i].driverName);
        }
        // The PDO's name leads to the same stack, for a node without an ID.
        EXPECT_EQ(d.stack[0].name, d.pdoName);
        auto byName = FindDeviceStack(data.data(), data.size(), u"", d.pdoName, devices);
        ASSERT_TRUE(byName);
        EXPECT_EQ(byName->physicalDeviceObject, d.stack[0].object);
    }
    EXPECT_GE(stacks, 12u);
}

TEST_F(SimTopologyTest, CapturedDevicesSitInOneStackEachUnderTheirNames) {
    for (const SimDevice& captured : scenario.Devices()) {
        SCOPED_TRACE(captured.label);
        size_t found = 0;
        for (uint32_t devinst = 1; devinst <= topology.devnodes.size(); ++devinst) {
            const SimDevnode& d = topology.Devnode(devinst);
            for (const SimStackObject& o : d.stack) {
                if (o.object != captured.device.deviceObject)
                    continue;
                ++found;
                EXPECT_TRUE(o.capturable);
                EXPECT_EQ(d.pdoName, captured.deviceName);
                // A composite device's function sits below the device on the port.
                SimUsbTopology copy = topology;
                const SimPort* port = copy.FindPort(devinst);
                if (!port)
                    port = copy.FindPort(d.parent);
                ASSERT_TRUE(port);
                EXPECT_EQ(port->descriptors.device, captured.descriptors.device);
                EXPECT_EQ(port->descriptors.configuration, captured.descriptors.configuration);
            }
        }
        EXPECT_EQ(found, 1u);

        // The enumeration the capture shows reads the same descriptors.
        CDriverScenario fresh;
        std::vector<Bytes> records;
        fresh.NextRound({captured.device.deviceObject}, records);
        RecordStream stream;
        stream.Add(records);
        EXPECT_TRUE(Contains(stream.bytes(), captured.descriptors.device));
        EXPECT_TRUE(Contains(stream.bytes(), captured.descriptors.configuration));
    }
}

TEST_F(SimTopologyTest, ReportDescriptorsOfTheHidDevices) {
    const struct {
        uint32_t object;
        std::vector<size_t> lengths;
    } cases[] = {
        {SIM_MOUSE_OBJECT, {46}},
        {SIM_KEYBOARD_OBJECT, {62, 101}},   // two interfaces, in order
        {SIM_STICK_OBJECT, {}},
    };
    for (const auto& c : cases) {
        auto found = FindReportDescriptors(list.data(), list.size(), c.object);
        ASSERT_EQ(found.size(), c.lengths.size()) << std::hex << c.object;
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].interfaceNumber, i);
            EXPECT_EQ(found[i].descriptor.size(), c.lengths[i]);
        }
    }
    // The start-up notification carries the same first descriptors.
    const Bytes startup = scenario.StartupBlock();
    EXPECT_TRUE(Contains(startup, FindReportDescriptors(list.data(), list.size(), SIM_MOUSE_OBJECT)[0].descriptor));
    EXPECT_TRUE(Contains(startup, FindReportDescriptors(list.data(), list.size(), SIM_KEYBOARD_OBJECT)[0].descriptor));
}

TEST_F(SimTopologyTest, AnAbsentDeviceIsNotReported) {
    SimUsbTopology& t = scenario.Topology();
    const uint32_t keyboard = t.FindDevnode(u"USB\\VID_04D9&PID_1603\\6&1A2B3C4D&0&2");
    ASSERT_NE(keyboard, 0u);
    t.Devnode(keyboard).present = false;
    const Bytes d = scenario.RefreshDataBlock(), l = scenario.RefreshListBlock();
    EXPECT_FALSE(FindDeviceStack(d.data(), d.size(), u"USB\\VID_04D9&PID_1603\\6&1A2B3C4D&0&2", u"", devices));
    EXPECT_TRUE(FindReportDescriptors(l.data(), l.size(), SIM_KEYBOARD_OBJECT).empty());
    EXPECT_EQ(FindReportDescriptors(l.data(), l.size(), SIM_MOUSE_OBJECT).size(), 1u);
    EXPECT_EQ(t.FindDevnode(u"USB\\VID_04D9&PID_1603\\6&1A2B3C4D&0&2"), 0u);
}

} // namespace

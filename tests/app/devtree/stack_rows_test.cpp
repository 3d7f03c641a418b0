// The rows of the device stack view: top of the stack first with the bottom,
// middle and top icons, check states from the selection, names cut to their
// last path component, addresses in eight hex digits, and empty cells for
// objects without a name.
#include <gtest/gtest.h>

#include "app/devtree/StackRows.h"

using namespace brx;

namespace {

struct Names {
    Names() {
        devices.Add({0x100, 0x1}, u"\\Device\\USBPDO-3");
        devices.Add({0x200, 0x2}, u"\\Device\\00000072");
        drivers.Add({0x900, 0x9}, u"\\Driver\\usbhub");
        drivers.Add({0x800, 0x8}, u"\\Driver\\USBSTOR");
    }
    CDeviceNameHash devices;
    CDriverNameHash drivers;
};

DEVICE_STACK ThreeObjects() {
    DEVICE_STACK s;
    s.entries = {{0x100, 0x1, 0x900, 0x9, 1}, {0x200, 0x2, 0x800, 0x8, 0}, {0x300, 0, 0x800, 0, 1}};
    s.entryCount = 3;
    return s;
}

CCaptureSelection Selected(uint32_t object) {
    const uint8_t reply[8] = {1, 0, 0, 0, static_cast<uint8_t>(object), static_cast<uint8_t>(object >> 8), 0, 0};
    CCaptureSelection s;
    s.Load(reply, sizeof(reply));
    return s;
}

TEST(StackRows, TopFirstWithIconsStatesAndNames) {
    Names n;
    const DEVICE_STACK stack = ThreeObjects();
    const auto rows = BuildStackRows(&stack, Selected(0x300), n.devices, n.drivers);
    ASSERT_EQ(rows.size(), 3u);

    EXPECT_EQ(rows[0].deviceObject, 0x300u);
    EXPECT_EQ(rows[0].icon, StackIcon::Top);
    EXPECT_EQ(rows[0].state, STACK_STATE_CHECKED);
    EXPECT_EQ(rows[0].deviceName, u"");          // no name key
    EXPECT_EQ(rows[0].objectText, u"00000300");
    EXPECT_EQ(rows[0].driverName, u"");          // no driver-name key

    EXPECT_EQ(rows[1].icon, StackIcon::Middle);
    EXPECT_EQ(rows[1].state, STACK_STATE_NONE);  // not capturable
    EXPECT_EQ(rows[1].deviceName, u"00000072");
    EXPECT_EQ(rows[1].driverName, u"USBSTOR");

    EXPECT_EQ(rows[2].deviceObject, 0x100u);
    EXPECT_EQ(rows[2].icon, StackIcon::Bottom);
    EXPECT_EQ(rows[2].state, STACK_STATE_UNCHECKED);
    EXPECT_EQ(rows[2].deviceName, u"USBPDO-3");
    EXPECT_EQ(rows[2].driverName, u"usbhub");
}

TEST(StackRows, OneObjectIsTheBottomAndShortStacksHaveNoTop) {
    Names n;
    DEVICE_STACK one;
    one.entries = {{0xFEDCBA98, 0, 0, 0, 1}};
    one.entryCount = 1;
    auto rows = BuildStackRows(&one, CCaptureSelection(), n.devices, n.drivers);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].icon, StackIcon::Bottom);
    EXPECT_EQ(rows[0].objectText, u"FEDCBA98");

    // The driver counted four slots but the third was invalid: the slots after
    // it stay empty, so no row shows the top of the stack.
    DEVICE_STACK cut = ThreeObjects();
    cut.entries.pop_back();
    cut.entryCount = 4;
    rows = BuildStackRows(&cut, CCaptureSelection(), n.devices, n.drivers);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].icon, StackIcon::Middle);
    EXPECT_EQ(rows[1].icon, StackIcon::Bottom);
}

TEST(StackRows, NoStackOrNoEntriesGiveNoRows) {
    Names n;
    DEVICE_STACK empty;
    EXPECT_TRUE(BuildStackRows(nullptr, CCaptureSelection(), n.devices, n.drivers).empty());
    EXPECT_TRUE(BuildStackRows(&empty, CCaptureSelection(), n.devices, n.drivers).empty());
}

TEST(StackRows, LongNamesAreCutAndKeysWithAnUnknownObjectGiveNothing) {
    Names n;
    n.devices.Add({0x400, 0x4}, u"\\Device\\" + WString(300, u'x'));
    DEVICE_STACK s;
    s.entries = {{0x400, 0x4, 0x700, 0x7, 0}};   // driver key unknown to the table
    s.entryCount = 1;
    const auto rows = BuildStackRows(&s, CCaptureSelection(), n.devices, n.drivers);
    ASSERT_EQ(rows.size(), 1u);
    // 255 characters of the name are kept; the last component is what follows "\Device\".
    EXPECT_EQ(rows[0].deviceName, WString(255 - 8, u'x'));
    EXPECT_EQ(rows[0].driverName, u"");
}

TEST(StackRows, LastPathComponent) {
    EXPECT_EQ(LastPathComponent(u"\\Device\\USBPDO-0"), u"USBPDO-0");
    EXPECT_EQ(LastPathComponent(u"plain"), u"plain");
    EXPECT_EQ(LastPathComponent(u"a/b"), u"b");
    EXPECT_EQ(LastPathComponent(u"C:x"), u"x");
    EXPECT_EQ(LastPathComponent(u"\\Driver\\"), u"");
    EXPECT_EQ(LastPathComponent(u""), u"");
}

} // namespace

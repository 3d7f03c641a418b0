#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "ExpectName.h"
#include "decode/WindowsNames.h"

using namespace brx;

namespace {

struct PairRow {
    const char* (*lookup)(uint32_t, int);
    uint32_t code;
    const char* symbolic;  // null: no row
    const char* friendly;
};

void CheckPairs(std::span<const PairRow> rows) {
    for (const PairRow& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << r.code);
        const char* s = r.lookup(r.code, NAME_SYMBOLIC);
        const char* f = r.lookup(r.code, NAME_FRIENDLY);
        ExpectName(s, r.symbolic);
        ExpectName(f, r.friendly);
    }
}

} // namespace

TEST(WindowsNames, StatusAndFunctionPairs) {
    const PairRow rows[] = {
        {NtStatusName, 0x00000000, "STATUS_SUCCESS", "Success"},
        {NtStatusName, 0x00000102, "STATUS_TIMEOUT", "Timeout"},
        {NtStatusName, 0x00000103, "STATUS_PENDING", "Pending"},
        {NtStatusName, 0xC0000001, "STATUS_UNSUCCESSFUL", "Unsuccessful"},
        {NtStatusName, 0xC0000120, "STATUS_CANCELLED", "Cancelled"},
        {NtStatusName, 0x40000294, "STATUS_WAKE_SYSTEM", "Wake System"},
        {NtStatusName, 0xC00002B6, "STATUS_DEVICE_REMOVED", "Device Removed"},
        {NtStatusName, 0xC0000009, nullptr, nullptr},
        {UsbdStatusName, 0x00000000, "USBD_STATUS_SUCCESS", "Success"},
        {UsbdStatusName, 0xC0000004, "USBD_STATUS_STALL_PID", "Stall PID"},
        {UsbdStatusName, 0xC0000011, "USBD_STATUS_XACT_ERROR", "Transaction Error"},
        {UsbdStatusName, 0x80000900, "USBD_STATUS_ERROR_SHORT_TRANSFER", "Short Transfer"},
        {UsbdStatusName, 0xC0000A00, "USBD_STATUS_BAD_START_FRAME", "Bad Start Frame"},
        {UsbdStatusName, 0x80000005, "STATUS_BUFFER_OVERFLOW", "Buffer Overflow"},
        {UsbdStatusName, 0x00010000, "USBD_STATUS_CANCELED", "Canceled"},
        {UsbdStatusName, 0xC0010000, "USBD_STATUS_CANCELED", "Canceled"},
        {UsbdStatusName, 0xC0100009, "USBD_STATUS_BAD_ENDPOINT_ADDRESS", "Bad Endpoint Address"},
        {UsbdStatusName, 0xC000000E, nullptr, nullptr},
        {UrbFunctionName, 0x0008, "URB_FUNCTION_CONTROL_TRANSFER", "Control Transfer"},
        {UrbFunctionName, 0x0000, "URB_FUNCTION_SELECT_CONFIGURATION", "Select Configuration"},
        {UrbFunctionName, 0x0016, "URB_FUNCTION_RESERVED_0X0016", "Reserved"},
        {UrbFunctionName, 0x001D, "URB_FUNCTION_RESERVE_0X001D", "Reserved"},
        {UrbFunctionName, 0x0038, "URB_FUNCTION_ISOCH_TRANSFER_USING_CHAINED_MDL",
         "Isochronous Transfer using Chained MDL"},
        {UrbFunctionName, 0x10008, "URB_FUNCTION_CONTROL_TRANSFER", "Control Transfer"},  // 16 bits
        {UrbFunctionName, 0x0039, nullptr, nullptr},
        {InternalUsbIoctlName, 0x00220003, "IOCTL_INTERNAL_USB_SUBMIT_URB", "Internal USB Submit URB"},
        {InternalUsbIoctlName, 0x00220433, "IOCTL_INTERNAL_USB_GET_DEVICE_HANDLE",
         "Internal USB Get Device Handle"},
        {HcdIoctlName, 0x002203FC, "IOCTL_USB_HCD_GET_STATS_1", "USB HCD Get Stats 1"},
        {HcdIoctlName, 0x00220424, "IOCTL_GET_HCD_DRIVERKEY_NAME", "Get HCD Driver Key Name"},
        {HubIoctlName, 0x00220408, "IOCTL_USB_GET_NODE_INFORMATION", "USB Get Node Information"},
        {HubIoctlName, 0x00220450, "IOCTL_USB_GET_HUB_CAPABILITIES_EX", "USB Get Hub Capabilities Ex"},
        {HubIoctlName, 0x00220003, nullptr, nullptr},
        {DevicePowerStateName, 1, "PowerDeviceD0", "D0"},
        {DevicePowerStateName, 5, "PowerDeviceMaximum", nullptr},
        {DevicePowerStateName, 6, nullptr, nullptr},
        {SystemPowerStateName, 1, "PowerSystemWorking", "S0 (Working)"},
        {SystemPowerStateName, 6, "PowerSystemShutdown", "S5 (Shutdown)"},
        {SystemPowerStateName, 7, "PowerSystemMaximum", nullptr},
        {PnpDeviceStateName, 4, "PNP_DEVICE_FAILED", "Failed"},
        {PnpDeviceStateName, 0x20, "PNP_DEVICE_NOT_DISABLEABLE", "Not Disableable"},
        {PnpDeviceStateName, 3, nullptr, nullptr},
        {InterfaceTypeName, 0, "Internal", "For Internal Use Only"},
        {InterfaceTypeName, 5, "PCIBus", "PCI Bus Driver"},
        {InterfaceTypeName, 17, "ACPIBus", "ACPI Bus Driver"},
        {InterfaceTypeName, 18, nullptr, nullptr},
        {RelationTypeName, 0, "BusRelations", "Bus Relations"},
        {RelationTypeName, 6, "TransportRelations", "Transport Relations"},
        {QueryIdTypeName, 0, "BusQueryDeviceID", "Device ID"},
        {QueryIdTypeName, 5, "BusQueryContainerID", "Container ID"},
        {DeviceTextTypeName, 1, "DeviceTextLocationInformation", "Location Information"},
        {UsageTypeName, 3, "DeviceUsageTypeDumpFile", "Crush Dump File"},
        {UsageTypeName, 4, nullptr, nullptr},
        {UsbdiBusInterfaceVersionName, 3, "USB_BUSIF_USBDI_VERSION_3", "3"},
        {HubBusInterfaceVersionName, 6, "USB_BUSIF_HUB_VERSION_6", "6"},
        {HubBusInterfaceVersionName, 7, nullptr, nullptr},
        {UsbcConfigurationInterfaceVersionName, 1, "USBC_DEVICE_CONFIGURATION_INTERFACE_VERSION_1", "1"},
        {UsbcConfigurationInterfaceVersionName, 0, nullptr, nullptr},
        {SwenumBusInterfaceVersionName, 0x100, "BUS_INTERFACE_SWENUM_VERSION", "100h"},
    };
    CheckPairs(rows);
}

TEST(WindowsNames, FirstOfTwoDuplicateUsbdRowsWins) {
    EXPECT_STREQ(UsbdStatusName(0xC0000F00, NAME_SYMBOLIC), "USBD_STATUS_INAVLID_CONFIGURATION_DESCRIPTOR");
    EXPECT_STREQ(UsbdStatusName(0xC0005000, NAME_SYMBOLIC), "USBD_STATUS_INAVLID_PIPE_FLAGS");
    EXPECT_STREQ(UsbdStatusName(0xC0000F00, NAME_FRIENDLY), "Invalid Configuration Descriptor");

    // The rule itself, on a table of its own.
    const CODE_NAME table[] = {{7, "first"}, {8, "other"}, {7, "second"}};
    EXPECT_STREQ(LookupCodeName(7, table), "first");
    EXPECT_EQ(LookupCodeName(9, table), nullptr);
    EXPECT_EQ(LookupCodeName(7, {}), nullptr);
}

TEST(WindowsNames, MinorFunctionsByMajor) {
    struct Row {
        uint32_t major, minor;
        const char* symbolic;
        const char* friendly;
    };
    const Row rows[] = {
        {27, 0x09, "IRP_MN_QUERY_CAPABILITIES", "Query Capabilities"},
        {27, 0x00, "IRP_MN_START_DEVICE", "Start Device"},
        {27, 0x14, "IRP_MN_QUERY_PNP_DEVICE_STATE", "Query Pnp Device State"},
        {27, 0x18, "IRP_MN_QUERY_LEGACY_BUS_INFORMATION", "Query Legacy Bus Information"},
        {27, 0x0E, nullptr, nullptr},
        {27, 0x109, "IRP_MN_QUERY_CAPABILITIES", "Query Capabilities"},  // minor taken as 8 bits
        {22, 0x02, "IRP_MN_SET_POWER", "Set Power"},
        {22, 0x03, "IRP_MN_QUERY_POWER", "Query Power"},
        {22, 0x04, nullptr, nullptr},
        {0, 0x00, nullptr, nullptr},
        {0, 0x09, nullptr, nullptr},
        {14, 0x02, nullptr, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.major << "/" << r.minor);
        const char* s = MinorFunctionName(r.major, r.minor, NAME_SYMBOLIC);
        const char* f = MinorFunctionName(r.major, r.minor, NAME_FRIENDLY);
        ExpectName(s, r.symbolic);
        ExpectName(f, r.friendly);
    }
}

TEST(WindowsNames, ProblemsAndNodeFlags) {
    EXPECT_STREQ(DeviceProblemText(0x01), "This device is not configured correctly");
    EXPECT_STREQ(DeviceProblemText(0x0A), "The device failed to start");
    EXPECT_STREQ(DeviceProblemText(0x32), "Device properties cannot be set");
    EXPECT_EQ(DeviceProblemText(0x02), nullptr);
    EXPECT_EQ(DeviceProblemText(0x33), nullptr);
    EXPECT_STREQ(DevNodeStatusFlagName(0x00000001), "DN_ROOT_ENUMERATED");
    EXPECT_STREQ(DevNodeStatusFlagName(0x00080000), "DN_NOT_FIRST_TIMEE");
    EXPECT_STREQ(DevNodeStatusFlagName(0x80000000), "DN_BOOT_LOG_PROB");
    EXPECT_EQ(DevNodeStatusFlagName(0x00000003), nullptr);
    // One name per bit, all 32 of them.
    for (uint32_t bit = 0; bit < 32; ++bit) EXPECT_NE(DevNodeStatusFlagName(1u << bit), nullptr) << bit;
}

TEST(WindowsNames, IoctlParts) {
    EXPECT_EQ(IoctlDeviceTypeName(0), nullptr);
    EXPECT_STREQ(IoctlDeviceTypeName(1), "FILE_DEVICE_BEEP");
    EXPECT_STREQ(IoctlDeviceTypeName(0x22), "FILE_DEVICE_UNKNOWN");
    EXPECT_STREQ(IoctlDeviceTypeName(0x2D), "FILE_DEVICE_MASS_STORAGE");
    EXPECT_STREQ(IoctlDeviceTypeName(59), "FILE_DEVICE_INFINIBAND");
    EXPECT_EQ(IoctlDeviceTypeName(60), nullptr);
    EXPECT_STREQ(IoctlMethodName(0x00220003), "METHOD_NEITHER");
    EXPECT_STREQ(IoctlMethodName(0x00220408), "METHOD_BUFFERED");
    EXPECT_STREQ(IoctlAccessName(0x00220408), "FILE_ANY_ACCESS");
    EXPECT_STREQ(IoctlAccessName(0x0002C000), "FILE_READ_ACCESS | FILE_WRITE_ACCESS");
    EXPECT_STREQ(IoctlAccessName(0x00004000), "FILE_READ_ACCESS");
}

TEST(WindowsNames, FieldCodeAndBitTables) {
    EXPECT_EQ(kIrpMajorFunctionNames.size(), 28u);
    EXPECT_STREQ(LookupCodeName(0x00, kIrpMajorFunctionNames), "IRP_MJ_CREATE");
    EXPECT_STREQ(LookupCodeName(0x1B, kIrpMajorFunctionNames), "IRP_MJ_PNP");
    EXPECT_STREQ(LookupCodeName(13, kObjectTypeNames), "IO_TYPE_DEVICE_OBJECT_EXTENSION");
    EXPECT_EQ(LookupCodeName(0, kObjectTypeNames), nullptr);
    EXPECT_STREQ(LookupCodeName(2, kProcessorModeNames), "MaximumMode");
    EXPECT_STREQ(LookupCodeName(1, kBooleanNames), "TRUE");
    EXPECT_STREQ(LookupCodeName(1, kPowerStateTypeNames), "DevicePowerState");
    EXPECT_STREQ(LookupCodeName(7, kPowerActionNames), "PowerActionWarmEject");

    EXPECT_STREQ(LookupIndexedName(0, kIrpFlagNames), "IRP_NOCACHE");
    EXPECT_STREQ(LookupIndexedName(14, kIrpFlagNames), "IRP_RETRY_IO_COMPLETION");
    EXPECT_EQ(LookupIndexedName(15, kIrpFlagNames), nullptr);
    EXPECT_STREQ(LookupIndexedName(31, kIrpFlagNames), "IRPFLAG_EXAMINE_NOT_TRACKED");
    EXPECT_EQ(LookupIndexedName(32, kIrpFlagNames), nullptr);
    EXPECT_STREQ(LookupIndexedName(3, kAllocationFlagNames), "IRP_LOOKASIDE_ALLOCATION");
    EXPECT_EQ(LookupIndexedName(7, kAllocationFlagNames), nullptr);
    EXPECT_STREQ(LookupIndexedName(3, kStackControlNames), "Unknown");
    EXPECT_STREQ(LookupIndexedName(7, kStackControlNames), "SL_INVOKE_ON_ERROR");
    EXPECT_STREQ(LookupIndexedName(17, kCreateOptionNames), "Unknown");
    EXPECT_EQ(kCreateOptionNames.names.size(), 24u);
    EXPECT_STREQ(LookupIndexedName(3, kFileAttributeNames), "OLD DOS VOLID");
    EXPECT_EQ(LookupIndexedName(3, kShareAccessNames), nullptr);
    EXPECT_STREQ(LookupIndexedName(25, kPortAttributeNames), "USB_PORTATTR_NO_OVERCURRENT_UI");
    EXPECT_EQ(LookupIndexedName(4, kPortAttributeNames), nullptr);
}

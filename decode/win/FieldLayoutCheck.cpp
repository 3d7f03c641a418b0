// Compile-time check of the structure field tables against the 32-bit
// declarations of the MinGW-w64 headers: every field that a header declares
// must sit at the table's offset with the table's size. Only the i686 build
// checks; the tables describe what a 32-bit system records.
#if defined(__i386__)

// wdm.h redefines two interlocked helpers that <intrin.h> already defines for
// C++; the intrinsics go first and wdm.h's copies get other names.
#include <intrin.h>
#define InterlockedBitTestAndSet WdmInterlockedBitTestAndSet
#define InterlockedBitTestAndReset WdmInterlockedBitTestAndReset
#include <wdm.h>
#undef InterlockedBitTestAndSet
#undef InterlockedBitTestAndReset
#include <ntddk.h>
#include <usb.h>
#include <usbioctl.h>
#include <usbiodef.h>
#include <usbbusif.h>
#include <hubbusif.h>
#include <swenum.h>

#include <cstddef>

#include "decode/FieldTables.h"

namespace brx {
namespace {

constexpr size_t Elements(const FIELD_DESC& f) { return f.count ? f.count : 1; }

#define CHECK_OFFSET(table, name, nth, type, member) \
    static_assert(FieldNamed(table, name, nth).offset == offsetof(type, member), #table " " name)
#define CHECK_FIELD(table, name, nth, type, member)                                            \
    CHECK_OFFSET(table, name, nth, type, member);                                              \
    static_assert(FieldNamed(table, name, nth).size * Elements(FieldNamed(table, name, nth)) == \
                      sizeof(static_cast<type*>(nullptr)->member),                              \
                  #table " " name " size")
// Parameters of a stack location, from the start of the Parameters union.
#define CHECK_PARAMETER(table, name, member)                                                            \
    static_assert(FieldNamed(table, name).offset ==                                                     \
                      offsetof(IO_STACK_LOCATION, Parameters.member) - offsetof(IO_STACK_LOCATION, Parameters), \
                  #table " " name);                                                                     \
    static_assert(FieldNamed(table, name).size * Elements(FieldNamed(table, name)) ==                   \
                      sizeof(static_cast<IO_STACK_LOCATION*>(nullptr)->Parameters.member),              \
                  #table " " name " size")

// The HCD area and the pipe I/O policy have no named members in these
// headers; the controller name and the I/O parameters are not declared.
static_assert(sizeof(struct _URB_HCD_AREA) == 32);
static_assert(sizeof(IRP) == 112 && sizeof(IO_STACK_LOCATION) == 36 && sizeof(KAPC) == 48);

CHECK_FIELD(kUsbEndpointDescriptorTable, "bLength", 0, USB_ENDPOINT_DESCRIPTOR, bLength);
CHECK_FIELD(kUsbEndpointDescriptorTable, "bDescriptorType", 0, USB_ENDPOINT_DESCRIPTOR, bDescriptorType);
CHECK_FIELD(kUsbEndpointDescriptorTable, "bEndpointAddress", 0, USB_ENDPOINT_DESCRIPTOR, bEndpointAddress);
CHECK_FIELD(kUsbEndpointDescriptorTable, "bmAttributes", 0, USB_ENDPOINT_DESCRIPTOR, bmAttributes);
CHECK_FIELD(kUsbEndpointDescriptorTable, "wMaxPacketSize", 0, USB_ENDPOINT_DESCRIPTOR, wMaxPacketSize);
CHECK_FIELD(kUsbEndpointDescriptorTable, "bInterval", 0, USB_ENDPOINT_DESCRIPTOR, bInterval);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bLength", 0, USB_DEVICE_DESCRIPTOR, bLength);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bDescriptorType", 0, USB_DEVICE_DESCRIPTOR, bDescriptorType);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bcdUSB", 0, USB_DEVICE_DESCRIPTOR, bcdUSB);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bDeviceClass", 0, USB_DEVICE_DESCRIPTOR, bDeviceClass);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bDeviceSubClass", 0, USB_DEVICE_DESCRIPTOR, bDeviceSubClass);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bDeviceProtocol", 0, USB_DEVICE_DESCRIPTOR, bDeviceProtocol);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bMaxPacketSize0", 0, USB_DEVICE_DESCRIPTOR, bMaxPacketSize0);
CHECK_FIELD(kUsbDeviceDescriptorTable, "idVendor", 0, USB_DEVICE_DESCRIPTOR, idVendor);
CHECK_FIELD(kUsbDeviceDescriptorTable, "idProduct", 0, USB_DEVICE_DESCRIPTOR, idProduct);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bcdDevice", 0, USB_DEVICE_DESCRIPTOR, bcdDevice);
CHECK_FIELD(kUsbDeviceDescriptorTable, "iManufacturer", 0, USB_DEVICE_DESCRIPTOR, iManufacturer);
CHECK_FIELD(kUsbDeviceDescriptorTable, "iProduct", 0, USB_DEVICE_DESCRIPTOR, iProduct);
CHECK_FIELD(kUsbDeviceDescriptorTable, "iSerialNumber", 0, USB_DEVICE_DESCRIPTOR, iSerialNumber);
CHECK_FIELD(kUsbDeviceDescriptorTable, "bNumConfigurations", 0, USB_DEVICE_DESCRIPTOR, bNumConfigurations);
CHECK_FIELD(kUsbHubDescriptorTable, "bDescriptorLength", 0, USB_HUB_DESCRIPTOR, bDescriptorLength);
CHECK_FIELD(kUsbHubDescriptorTable, "bDescriptorType", 0, USB_HUB_DESCRIPTOR, bDescriptorType);
CHECK_FIELD(kUsbHubDescriptorTable, "bNumberOfPorts", 0, USB_HUB_DESCRIPTOR, bNumberOfPorts);
CHECK_FIELD(kUsbHubDescriptorTable, "wHubCharacteristics", 0, USB_HUB_DESCRIPTOR, wHubCharacteristics);
CHECK_FIELD(kUsbHubDescriptorTable, "bPowerOnToPowerGood", 0, USB_HUB_DESCRIPTOR, bPowerOnToPowerGood);
CHECK_FIELD(kUsbHubDescriptorTable, "bHubControlCurrent", 0, USB_HUB_DESCRIPTOR, bHubControlCurrent);
CHECK_FIELD(kUsbHubDescriptorTable, "bRemoveAndPowerMask", 0, USB_HUB_DESCRIPTOR, bRemoveAndPowerMask);
CHECK_FIELD(kInterfaceTable, "Size", 0, INTERFACE, Size);
CHECK_FIELD(kInterfaceTable, "Version", 0, INTERFACE, Version);
CHECK_FIELD(kInterfaceTable, "Context", 0, INTERFACE, Context);
CHECK_FIELD(kInterfaceTable, "InterfaceReference", 0, INTERFACE, InterfaceReference);
CHECK_FIELD(kInterfaceTable, "InterfaceDereference", 0, INTERFACE, InterfaceDereference);
CHECK_FIELD(kPnpLocationInterfaceTable, "Size", 0, PNP_LOCATION_INTERFACE, Size);
CHECK_FIELD(kPnpLocationInterfaceTable, "Version", 0, PNP_LOCATION_INTERFACE, Version);
CHECK_FIELD(kPnpLocationInterfaceTable, "Context", 0, PNP_LOCATION_INTERFACE, Context);
CHECK_FIELD(kPnpLocationInterfaceTable, "InterfaceReference", 0, PNP_LOCATION_INTERFACE, InterfaceReference);
CHECK_FIELD(kPnpLocationInterfaceTable, "InterfaceDereference", 0, PNP_LOCATION_INTERFACE, InterfaceDereference);
CHECK_FIELD(kPnpLocationInterfaceTable, "GetLocationString", 0, PNP_LOCATION_INTERFACE, GetLocationString);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "Size", 0, USB_BUS_INTERFACE_USBDI_V3, Size);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "Version", 0, USB_BUS_INTERFACE_USBDI_V3, Version);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "BusContext", 0, USB_BUS_INTERFACE_USBDI_V3, BusContext);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "InterfaceReference", 0, USB_BUS_INTERFACE_USBDI_V3, InterfaceReference);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "InterfaceDereference", 0, USB_BUS_INTERFACE_USBDI_V3, InterfaceDereference);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "GetUSBDIVersion", 0, USB_BUS_INTERFACE_USBDI_V3, GetUSBDIVersion);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "QueryBusTime", 0, USB_BUS_INTERFACE_USBDI_V3, QueryBusTime);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "SubmitIsoOutUrb", 0, USB_BUS_INTERFACE_USBDI_V3, SubmitIsoOutUrb);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "QueryBusInformation", 0, USB_BUS_INTERFACE_USBDI_V3, QueryBusInformation);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "IsDeviceHighSpeed", 0, USB_BUS_INTERFACE_USBDI_V3, IsDeviceHighSpeed);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "EnumLogEntry", 0, USB_BUS_INTERFACE_USBDI_V3, EnumLogEntry);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "QueryBusTimeEx", 0, USB_BUS_INTERFACE_USBDI_V3, QueryBusTimeEx);
CHECK_FIELD(kUsbBusInterfaceUsbdiV3Table, "QueryControllerType", 0, USB_BUS_INTERFACE_USBDI_V3, QueryControllerType);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "Size", 0, USB_BUS_INTERFACE_HUB_V6, Size);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "Version", 0, USB_BUS_INTERFACE_HUB_V6, Version);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "BusContext", 0, USB_BUS_INTERFACE_HUB_V6, BusContext);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "InterfaceReference", 0, USB_BUS_INTERFACE_HUB_V6, InterfaceReference);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "InterfaceDereference", 0, USB_BUS_INTERFACE_HUB_V6, InterfaceDereference);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "CreateUsbDevice", 0, USB_BUS_INTERFACE_HUB_V6, CreateUsbDevice);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "InitializeUsbDevice", 0, USB_BUS_INTERFACE_HUB_V6, InitializeUsbDevice);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetUsbDescriptors", 0, USB_BUS_INTERFACE_HUB_V6, GetUsbDescriptors);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "RemoveUsbDevice", 0, USB_BUS_INTERFACE_HUB_V6, RemoveUsbDevice);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "RestoreUsbDevice", 0, USB_BUS_INTERFACE_HUB_V6, RestoreUsbDevice);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetPortHackFlags", 0, USB_BUS_INTERFACE_HUB_V6, GetPortHackFlags);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "QueryDeviceInformation", 0, USB_BUS_INTERFACE_HUB_V6, QueryDeviceInformation);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetControllerInformation", 0, USB_BUS_INTERFACE_HUB_V6, GetControllerInformation);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "ControllerSelectiveSuspend", 0, USB_BUS_INTERFACE_HUB_V6, ControllerSelectiveSuspend);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetExtendedHubInformation", 0, USB_BUS_INTERFACE_HUB_V6, GetExtendedHubInformation);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetRootHubSymbolicName", 0, USB_BUS_INTERFACE_HUB_V6, GetRootHubSymbolicName);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetDeviceBusContext", 0, USB_BUS_INTERFACE_HUB_V6, GetDeviceBusContext);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "Initialize20Hub", 0, USB_BUS_INTERFACE_HUB_V6, Initialize20Hub);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "RootHubInitNotification", 0, USB_BUS_INTERFACE_HUB_V6, RootHubInitNotification);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "FlushTransfers", 0, USB_BUS_INTERFACE_HUB_V6, FlushTransfers);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "SetDeviceHandleData", 0, USB_BUS_INTERFACE_HUB_V6, SetDeviceHandleData);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "HubIsRoot", 0, USB_BUS_INTERFACE_HUB_V6, HubIsRoot);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "AcquireBusSemaphore", 0, USB_BUS_INTERFACE_HUB_V6, AcquireBusSemaphore);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "ReleaseBusSemaphore", 0, USB_BUS_INTERFACE_HUB_V6, ReleaseBusSemaphore);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "CaculatePipeBandwidth", 0, USB_BUS_INTERFACE_HUB_V6, CaculatePipeBandwidth);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "SetBusSystemWakeMode", 0, USB_BUS_INTERFACE_HUB_V6, SetBusSystemWakeMode);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "SetDeviceFlag", 0, USB_BUS_INTERFACE_HUB_V6, SetDeviceFlag);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "HubTestPoint", 0, USB_BUS_INTERFACE_HUB_V6, HubTestPoint);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetDevicePerformanceInfo", 0, USB_BUS_INTERFACE_HUB_V6, GetDevicePerformanceInfo);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "WaitAsyncPowerUp", 0, USB_BUS_INTERFACE_HUB_V6, WaitAsyncPowerUp);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "GetDeviceAddress", 0, USB_BUS_INTERFACE_HUB_V6, GetDeviceAddress);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "RefDeviceHandle", 0, USB_BUS_INTERFACE_HUB_V6, RefDeviceHandle);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "DerefDeviceHandle", 0, USB_BUS_INTERFACE_HUB_V6, DerefDeviceHandle);
CHECK_FIELD(kUsbBusInterfaceHubV6Table, "SetDeviceHandleIdleReadyState", 0, USB_BUS_INTERFACE_HUB_V6, SetDeviceHandleIdleReadyState);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "Size", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, Size);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "Version", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, Version);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "Context", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, Context);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "InterfaceReference", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, InterfaceReference);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "InterfaceDereference", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, InterfaceDereference);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "StartDeviceCallback", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, StartDeviceCallback);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "PdoEnableCallback", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, PdoEnableCallback);
CHECK_FIELD(kUsbcDeviceConfigurationInterfaceV1Table, "Reserved", 0, USBC_DEVICE_CONFIGURATION_INTERFACE_V1, Reserved);
CHECK_FIELD(kBusInterfaceSwenumTable, "Size", 0, BUS_INTERFACE_SWENUM, Interface.Size);
CHECK_FIELD(kBusInterfaceSwenumTable, "Version", 0, BUS_INTERFACE_SWENUM, Interface.Version);
CHECK_FIELD(kBusInterfaceSwenumTable, "Context", 0, BUS_INTERFACE_SWENUM, Interface.Context);
CHECK_FIELD(kBusInterfaceSwenumTable, "InterfaceReference", 0, BUS_INTERFACE_SWENUM, Interface.InterfaceReference);
CHECK_FIELD(kBusInterfaceSwenumTable, "InterfaceDereference", 0, BUS_INTERFACE_SWENUM, Interface.InterfaceDereference);
CHECK_FIELD(kBusInterfaceSwenumTable, "ReferenceDeviceObject", 0, BUS_INTERFACE_SWENUM, ReferenceDeviceObject);
CHECK_FIELD(kBusInterfaceSwenumTable, "DereferenceDeviceObject", 0, BUS_INTERFACE_SWENUM, DereferenceDeviceObject);
CHECK_FIELD(kBusInterfaceSwenumTable, "QueryReferenceString", 0, BUS_INTERFACE_SWENUM, QueryReferenceString);
CHECK_FIELD(kUsbHubNameTable, "ActualLength", 0, USB_HUB_NAME, ActualLength);
CHECK_OFFSET(kUsbHubNameTable, "", 0, USB_HUB_NAME, HubName);
CHECK_FIELD(kUsbBusNotificationTable, "NotificationType", 0, USB_BUS_NOTIFICATION, NotificationType);
CHECK_FIELD(kUsbBusNotificationTable, "TotalBandwidth", 0, USB_BUS_NOTIFICATION, TotalBandwidth);
CHECK_FIELD(kUsbBusNotificationTable, "ConsumedBandwidth", 0, USB_BUS_NOTIFICATION, ConsumedBandwidth);
CHECK_FIELD(kUsbBusNotificationTable, "ControllerNameLength", 0, USB_BUS_NOTIFICATION, ControllerNameLength);
CHECK_FIELD(kUsbIdleCallbackInfoTable, "IdleCallback", 0, USB_IDLE_CALLBACK_INFO, IdleCallback);
CHECK_FIELD(kUsbIdleCallbackInfoTable, "IdleContext", 0, USB_IDLE_CALLBACK_INFO, IdleContext);
CHECK_FIELD(kHcdStatCountersTable, "BytesTransferred", 0, HCD_STAT_COUNTERS, BytesTransferred);
CHECK_FIELD(kHcdStatCountersTable, "IsoMissedCount", 0, HCD_STAT_COUNTERS, IsoMissedCount);
CHECK_FIELD(kHcdStatCountersTable, "DataOverrunErrorCount", 0, HCD_STAT_COUNTERS, DataOverrunErrorCount);
CHECK_FIELD(kHcdStatCountersTable, "CrcErrorCount", 0, HCD_STAT_COUNTERS, CrcErrorCount);
CHECK_FIELD(kHcdStatCountersTable, "ScheduleOverrunCount", 0, HCD_STAT_COUNTERS, ScheduleOverrunCount);
CHECK_FIELD(kHcdStatCountersTable, "TimeoutErrorCount", 0, HCD_STAT_COUNTERS, TimeoutErrorCount);
CHECK_FIELD(kHcdStatCountersTable, "InternalHcErrorCount", 0, HCD_STAT_COUNTERS, InternalHcErrorCount);
CHECK_FIELD(kHcdStatCountersTable, "BufferOverrunErrorCount", 0, HCD_STAT_COUNTERS, BufferOverrunErrorCount);
CHECK_FIELD(kHcdStatCountersTable, "SWErrorCount", 0, HCD_STAT_COUNTERS, SWErrorCount);
CHECK_FIELD(kHcdStatCountersTable, "StallPidCount", 0, HCD_STAT_COUNTERS, StallPidCount);
CHECK_FIELD(kHcdStatCountersTable, "PortDisableCount", 0, HCD_STAT_COUNTERS, PortDisableCount);
CHECK_FIELD(kHcdIsoStatCountersTable, "LateUrbs", 0, HCD_ISO_STAT_COUNTERS, LateUrbs);
CHECK_FIELD(kHcdIsoStatCountersTable, "DoubleBufferedPackets", 0, HCD_ISO_STAT_COUNTERS, DoubleBufferedPackets);
CHECK_FIELD(kHcdIsoStatCountersTable, "TransfersCF_5ms", 0, HCD_ISO_STAT_COUNTERS, TransfersCF_5ms);
CHECK_FIELD(kHcdIsoStatCountersTable, "TransfersCF_2ms", 0, HCD_ISO_STAT_COUNTERS, TransfersCF_2ms);
CHECK_FIELD(kHcdIsoStatCountersTable, "TransfersCF_1ms", 0, HCD_ISO_STAT_COUNTERS, TransfersCF_1ms);
CHECK_FIELD(kHcdIsoStatCountersTable, "MaxInterruptLatency", 0, HCD_ISO_STAT_COUNTERS, MaxInterruptLatency);
CHECK_FIELD(kHcdIsoStatCountersTable, "BadStartFrame", 0, HCD_ISO_STAT_COUNTERS, BadStartFrame);
CHECK_FIELD(kHcdIsoStatCountersTable, "StaleUrbs", 0, HCD_ISO_STAT_COUNTERS, StaleUrbs);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoPacketNotAccesed", 0, HCD_ISO_STAT_COUNTERS, IsoPacketNotAccesed);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoPacketHWError", 0, HCD_ISO_STAT_COUNTERS, IsoPacketHWError);
CHECK_FIELD(kHcdIsoStatCountersTable, "SmallestUrbPacketCount", 0, HCD_ISO_STAT_COUNTERS, SmallestUrbPacketCount);
CHECK_FIELD(kHcdIsoStatCountersTable, "LargestUrbPacketCount", 0, HCD_ISO_STAT_COUNTERS, LargestUrbPacketCount);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoCRC_Error", 0, HCD_ISO_STAT_COUNTERS, IsoCRC_Error);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoOVERRUN_Error", 0, HCD_ISO_STAT_COUNTERS, IsoOVERRUN_Error);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoINTERNAL_Error", 0, HCD_ISO_STAT_COUNTERS, IsoINTERNAL_Error);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoUNKNOWN_Error", 0, HCD_ISO_STAT_COUNTERS, IsoUNKNOWN_Error);
CHECK_FIELD(kHcdIsoStatCountersTable, "IsoBytesTransferred", 0, HCD_ISO_STAT_COUNTERS, IsoBytesTransferred);
CHECK_FIELD(kHcdIsoStatCountersTable, "LateMissedCount", 0, HCD_ISO_STAT_COUNTERS, LateMissedCount);
CHECK_FIELD(kHcdIsoStatCountersTable, "HWIsoMissedCount", 0, HCD_ISO_STAT_COUNTERS, HWIsoMissedCount);
CHECK_FIELD(kHcdIsoStatCountersTable, "Reserved7", 0, HCD_ISO_STAT_COUNTERS, Reserved7);
CHECK_FIELD(kLargeIntegerTable, "LowPart", 0, LARGE_INTEGER, u.LowPart);
CHECK_FIELD(kLargeIntegerTable, "HighPart", 0, LARGE_INTEGER, u.HighPart);
CHECK_FIELD(kHcdStatInformation1Table, "Reserved1", 0, HCD_STAT_INFORMATION_1, Reserved1);
CHECK_FIELD(kHcdStatInformation1Table, "Reserved2", 0, HCD_STAT_INFORMATION_1, Reserved2);
CHECK_FIELD(kHcdStatInformation1Table, "ResetCounters", 0, HCD_STAT_INFORMATION_1, ResetCounters);
CHECK_FIELD(kHcdStatInformation1Table, "TimeRead", 0, HCD_STAT_INFORMATION_1, TimeRead);
CHECK_FIELD(kHcdStatInformation1Table, "Counters", 0, HCD_STAT_INFORMATION_1, Counters);
CHECK_FIELD(kHcdStatInformation2Table, "Reserved1", 0, HCD_STAT_INFORMATION_2, Reserved1);
CHECK_FIELD(kHcdStatInformation2Table, "Reserved2", 0, HCD_STAT_INFORMATION_2, Reserved2);
CHECK_FIELD(kHcdStatInformation2Table, "ResetCounters", 0, HCD_STAT_INFORMATION_2, ResetCounters);
CHECK_FIELD(kHcdStatInformation2Table, "TimeRead", 0, HCD_STAT_INFORMATION_2, TimeRead);
CHECK_FIELD(kHcdStatInformation2Table, "LockedMemoryUsed", 0, HCD_STAT_INFORMATION_2, LockedMemoryUsed);
CHECK_FIELD(kHcdStatInformation2Table, "Counters", 0, HCD_STAT_INFORMATION_2, Counters);
CHECK_FIELD(kHcdStatInformation2Table, "IsoCounters", 0, HCD_STAT_INFORMATION_2, IsoCounters);
CHECK_FIELD(kUsbRootHubNameTable, "ActualLength", 0, USB_ROOT_HUB_NAME, ActualLength);
CHECK_OFFSET(kUsbRootHubNameTable, "", 0, USB_ROOT_HUB_NAME, RootHubName);
CHECK_FIELD(kUsbHcdDriverkeyNameTable, "ActualLength", 0, USB_HCD_DRIVERKEY_NAME, ActualLength);
CHECK_OFFSET(kUsbHcdDriverkeyNameTable, "", 0, USB_HCD_DRIVERKEY_NAME, DriverKeyName);
CHECK_FIELD(kUsbPipeInfoTable, "EndpointDescriptor", 0, USB_PIPE_INFO, EndpointDescriptor);
CHECK_FIELD(kUsbPipeInfoTable, "ScheduleOffset", 0, USB_PIPE_INFO, ScheduleOffset);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "ConnectionIndex", 0, USB_NODE_CONNECTION_INFORMATION, ConnectionIndex);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "DeviceDescriptor", 0, USB_NODE_CONNECTION_INFORMATION, DeviceDescriptor);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "CurrentConfigurationValue", 0, USB_NODE_CONNECTION_INFORMATION, CurrentConfigurationValue);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "LowSpeed", 0, USB_NODE_CONNECTION_INFORMATION, LowSpeed);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "DeviceIsHub", 0, USB_NODE_CONNECTION_INFORMATION, DeviceIsHub);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "DeviceAddress", 0, USB_NODE_CONNECTION_INFORMATION, DeviceAddress);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "NumberOfOpenPipes", 0, USB_NODE_CONNECTION_INFORMATION, NumberOfOpenPipes);
CHECK_FIELD(kUsbNodeConnectionInformationTable, "ConnectionStatus", 0, USB_NODE_CONNECTION_INFORMATION, ConnectionStatus);
CHECK_OFFSET(kUsbNodeConnectionInformationTable, "", 0, USB_NODE_CONNECTION_INFORMATION, PipeList);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "ConnectionIndex", 0, USB_NODE_CONNECTION_INFORMATION_EX, ConnectionIndex);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "DeviceDescriptor", 0, USB_NODE_CONNECTION_INFORMATION_EX, DeviceDescriptor);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "CurrentConfigurationValue", 0, USB_NODE_CONNECTION_INFORMATION_EX, CurrentConfigurationValue);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "Speed", 0, USB_NODE_CONNECTION_INFORMATION_EX, Speed);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "DeviceIsHub", 0, USB_NODE_CONNECTION_INFORMATION_EX, DeviceIsHub);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "DeviceAddress", 0, USB_NODE_CONNECTION_INFORMATION_EX, DeviceAddress);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "NumberOfOpenPipes", 0, USB_NODE_CONNECTION_INFORMATION_EX, NumberOfOpenPipes);
CHECK_FIELD(kUsbNodeConnectionInformationExTable, "ConnectionStatus", 0, USB_NODE_CONNECTION_INFORMATION_EX, ConnectionStatus);
CHECK_OFFSET(kUsbNodeConnectionInformationExTable, "", 0, USB_NODE_CONNECTION_INFORMATION_EX, PipeList);
CHECK_FIELD(kUsbNodeConnectionDriverkeyNameTable, "ConnectionIndex", 0, USB_NODE_CONNECTION_DRIVERKEY_NAME, ConnectionIndex);
CHECK_FIELD(kUsbNodeConnectionDriverkeyNameTable, "ActualLength", 0, USB_NODE_CONNECTION_DRIVERKEY_NAME, ActualLength);
CHECK_OFFSET(kUsbNodeConnectionDriverkeyNameTable, "", 0, USB_NODE_CONNECTION_DRIVERKEY_NAME, DriverKeyName);
CHECK_FIELD(kUsbNodeConnectionNameTable, "ConnectionIndex", 0, USB_NODE_CONNECTION_NAME, ConnectionIndex);
CHECK_FIELD(kUsbNodeConnectionNameTable, "ActualLength", 0, USB_NODE_CONNECTION_NAME, ActualLength);
CHECK_OFFSET(kUsbNodeConnectionNameTable, "", 0, USB_NODE_CONNECTION_NAME, NodeName);
CHECK_FIELD(kUsbNodeConnectionAttributesTable, "ConnectionIndex", 0, USB_NODE_CONNECTION_ATTRIBUTES, ConnectionIndex);
CHECK_FIELD(kUsbNodeConnectionAttributesTable, "ConnectionStatus", 0, USB_NODE_CONNECTION_ATTRIBUTES, ConnectionStatus);
CHECK_FIELD(kUsbNodeConnectionAttributesTable, "PortAttributes", 0, USB_NODE_CONNECTION_ATTRIBUTES, PortAttributes);
CHECK_FIELD(kUrbHeaderTable, "Length", 0, struct _URB_HEADER, Length);
CHECK_FIELD(kUrbHeaderTable, "Function", 0, struct _URB_HEADER, Function);
CHECK_FIELD(kUrbHeaderTable, "Status", 0, struct _URB_HEADER, Status);
CHECK_FIELD(kUrbHeaderTable, "UsbdDeviceHandle", 0, struct _URB_HEADER, UsbdDeviceHandle);
CHECK_FIELD(kUrbHeaderTable, "UsbdFlags", 0, struct _URB_HEADER, UsbdFlags);
CHECK_FIELD(kListEntryTable, "Flink", 0, LIST_ENTRY, Flink);
CHECK_FIELD(kListEntryTable, "Blink", 0, LIST_ENTRY, Blink);
CHECK_FIELD(kUrbPipeRequestTable, "Hdr", 0, struct _URB_PIPE_REQUEST, Hdr);
CHECK_FIELD(kUrbPipeRequestTable, "PipeHandle", 0, struct _URB_PIPE_REQUEST, PipeHandle);
CHECK_FIELD(kUrbPipeRequestTable, "Reserved", 0, struct _URB_PIPE_REQUEST, Reserved);
CHECK_FIELD(kUsbdInterfaceInformationTable, "Length", 0, USBD_INTERFACE_INFORMATION, Length);
CHECK_FIELD(kUsbdInterfaceInformationTable, "InterfaceNumber", 0, USBD_INTERFACE_INFORMATION, InterfaceNumber);
CHECK_FIELD(kUsbdInterfaceInformationTable, "Alternate Setting", 0, USBD_INTERFACE_INFORMATION, AlternateSetting);
CHECK_FIELD(kUsbdInterfaceInformationTable, "Class", 0, USBD_INTERFACE_INFORMATION, Class);
CHECK_FIELD(kUsbdInterfaceInformationTable, "SubClass", 0, USBD_INTERFACE_INFORMATION, SubClass);
CHECK_FIELD(kUsbdInterfaceInformationTable, "Protocol", 0, USBD_INTERFACE_INFORMATION, Protocol);
CHECK_FIELD(kUsbdInterfaceInformationTable, "Reserved", 0, USBD_INTERFACE_INFORMATION, Reserved);
CHECK_FIELD(kUsbdInterfaceInformationTable, "InterfaceHandle", 0, USBD_INTERFACE_INFORMATION, InterfaceHandle);
CHECK_FIELD(kUsbdInterfaceInformationTable, "NumberOfPipes", 0, USBD_INTERFACE_INFORMATION, NumberOfPipes);
CHECK_OFFSET(kUsbdInterfaceInformationTable, "", 0, USBD_INTERFACE_INFORMATION, Pipes);
CHECK_FIELD(kUrbSelectConfigurationTable, "Hdr", 0, struct _URB_SELECT_CONFIGURATION, Hdr);
CHECK_FIELD(kUrbSelectConfigurationTable, "Configuration Descriptor", 0, struct _URB_SELECT_CONFIGURATION, ConfigurationDescriptor);
CHECK_FIELD(kUrbSelectConfigurationTable, "ConfigurationHandle", 0, struct _URB_SELECT_CONFIGURATION, ConfigurationHandle);
CHECK_OFFSET(kUrbSelectConfigurationTable, "", 0, struct _URB_SELECT_CONFIGURATION, Interface);
CHECK_FIELD(kUrbSelectInterfaceTable, "Hdr", 0, struct _URB_SELECT_INTERFACE, Hdr);
CHECK_FIELD(kUrbSelectInterfaceTable, "ConfigurationHandle", 0, struct _URB_SELECT_INTERFACE, ConfigurationHandle);
CHECK_FIELD(kUrbSelectInterfaceTable, "Interface", 0, struct _URB_SELECT_INTERFACE, Interface);
CHECK_FIELD(kUrbFrameLengthControlTable, "Hdr", 0, struct _URB_FRAME_LENGTH_CONTROL, Hdr);
CHECK_FIELD(kUrbGetFrameLengthTable, "Hdr", 0, struct _URB_GET_FRAME_LENGTH, Hdr);
CHECK_FIELD(kUrbGetFrameLengthTable, "FrameLength", 0, struct _URB_GET_FRAME_LENGTH, FrameLength);
CHECK_FIELD(kUrbGetFrameLengthTable, "Frame Number", 0, struct _URB_GET_FRAME_LENGTH, FrameNumber);
CHECK_FIELD(kUrbSetFrameLengthTable, "Hdr", 0, struct _URB_SET_FRAME_LENGTH, Hdr);
CHECK_FIELD(kUrbSetFrameLengthTable, "FrameLengthDelta", 0, struct _URB_SET_FRAME_LENGTH, FrameLengthDelta);
CHECK_FIELD(kUrbGetCurrentFrameNumberTable, "Hdr", 0, struct _URB_GET_CURRENT_FRAME_NUMBER, Hdr);
CHECK_FIELD(kUrbGetCurrentFrameNumberTable, "Frame Number", 0, struct _URB_GET_CURRENT_FRAME_NUMBER, FrameNumber);
CHECK_FIELD(kUrbControlTransferTable, "Hdr", 0, struct _URB_CONTROL_TRANSFER, Hdr);
CHECK_FIELD(kUrbControlTransferTable, "PipeHandle", 0, struct _URB_CONTROL_TRANSFER, PipeHandle);
CHECK_FIELD(kUrbControlTransferTable, "TransferFlags", 0, struct _URB_CONTROL_TRANSFER, TransferFlags);
CHECK_FIELD(kUrbControlTransferTable, "TransferBufferLength", 0, struct _URB_CONTROL_TRANSFER, TransferBufferLength);
CHECK_FIELD(kUrbControlTransferTable, "TransferBuffer", 0, struct _URB_CONTROL_TRANSFER, TransferBuffer);
CHECK_FIELD(kUrbControlTransferTable, "TransferBufferMDL", 0, struct _URB_CONTROL_TRANSFER, TransferBufferMDL);
CHECK_FIELD(kUrbControlTransferTable, "UrbLink", 0, struct _URB_CONTROL_TRANSFER, UrbLink);
CHECK_FIELD(kUrbControlTransferTable, "hca", 0, struct _URB_CONTROL_TRANSFER, hca);
CHECK_FIELD(kUrbControlTransferTable, "Setup Packet", 0, struct _URB_CONTROL_TRANSFER, SetupPacket);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "Hdr", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, Hdr);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "PipeHandle", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, PipeHandle);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "TransferFlags", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, TransferFlags);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "TransferBufferLength", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, TransferBufferLength);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "TransferBuffer", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, TransferBuffer);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "TransferBufferMDL", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, TransferBufferMDL);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "UrbLink", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, UrbLink);
CHECK_FIELD(kUrbBulkOrInterruptTransferTable, "hca", 0, struct _URB_BULK_OR_INTERRUPT_TRANSFER, hca);
CHECK_FIELD(kUrbIsochTransferTable, "Hdr", 0, struct _URB_ISOCH_TRANSFER, Hdr);
CHECK_FIELD(kUrbIsochTransferTable, "PipeHandle", 0, struct _URB_ISOCH_TRANSFER, PipeHandle);
CHECK_FIELD(kUrbIsochTransferTable, "TransferFlags", 0, struct _URB_ISOCH_TRANSFER, TransferFlags);
CHECK_FIELD(kUrbIsochTransferTable, "TransferBufferLength", 0, struct _URB_ISOCH_TRANSFER, TransferBufferLength);
CHECK_FIELD(kUrbIsochTransferTable, "TransferBuffer", 0, struct _URB_ISOCH_TRANSFER, TransferBuffer);
CHECK_FIELD(kUrbIsochTransferTable, "TransferBufferMDL", 0, struct _URB_ISOCH_TRANSFER, TransferBufferMDL);
CHECK_FIELD(kUrbIsochTransferTable, "UrbLink", 0, struct _URB_ISOCH_TRANSFER, UrbLink);
CHECK_FIELD(kUrbIsochTransferTable, "hca", 0, struct _URB_ISOCH_TRANSFER, hca);
CHECK_FIELD(kUrbIsochTransferTable, "StartFrame", 0, struct _URB_ISOCH_TRANSFER, StartFrame);
CHECK_FIELD(kUrbIsochTransferTable, "NumberOfPackets", 0, struct _URB_ISOCH_TRANSFER, NumberOfPackets);
CHECK_FIELD(kUrbIsochTransferTable, "Error Count", 0, struct _URB_ISOCH_TRANSFER, ErrorCount);
CHECK_OFFSET(kUrbIsochTransferTable, "", 0, struct _URB_ISOCH_TRANSFER, IsoPacket);
CHECK_FIELD(kUsbdIsoPacketDescriptorTable, "Offset", 0, USBD_ISO_PACKET_DESCRIPTOR, Offset);
CHECK_FIELD(kUsbdIsoPacketDescriptorTable, "Length", 0, USBD_ISO_PACKET_DESCRIPTOR, Length);
CHECK_FIELD(kUsbdIsoPacketDescriptorTable, "Status", 0, USBD_ISO_PACKET_DESCRIPTOR, Status);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Hdr", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, Hdr);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Reserved", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, Reserved);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Reserved0", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, Reserved0);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "TransferBufferLength", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, TransferBufferLength);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "TransferBuffer", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, TransferBuffer);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "TransferBufferMDL", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, TransferBufferMDL);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "UrbLink", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, UrbLink);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "hca", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, hca);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Reserved1", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, Reserved1);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Index", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, Index);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Descriptor Type", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, DescriptorType);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "LanguageId", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, LanguageId);
CHECK_FIELD(kUrbControlDescriptorRequestTable, "Reserved2", 0, struct _URB_CONTROL_DESCRIPTOR_REQUEST, Reserved2);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "Hdr", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, Hdr);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "Reserved", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, Reserved);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "Reserved0", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, Reserved0);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "TransferBufferLength", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, TransferBufferLength);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "TransferBuffer", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, TransferBuffer);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "TransferBufferMDL", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, TransferBufferMDL);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "UrbLink", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, UrbLink);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "hca", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, hca);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "Reserved1", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, Reserved1);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "Index", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, Index);
CHECK_FIELD(kUrbControlGetStatusRequestTable, "Reserved2", 0, struct _URB_CONTROL_GET_STATUS_REQUEST, Reserved2);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Hdr", 0, struct _URB_CONTROL_FEATURE_REQUEST, Hdr);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved2", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved2);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved3", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved3);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved4", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved4);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved5", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved5);
CHECK_FIELD(kUrbControlFeatureRequestTable, "UrbLink", 0, struct _URB_CONTROL_FEATURE_REQUEST, UrbLink);
CHECK_FIELD(kUrbControlFeatureRequestTable, "hca", 0, struct _URB_CONTROL_FEATURE_REQUEST, hca);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved0", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved0);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Feature Selector", 0, struct _URB_CONTROL_FEATURE_REQUEST, FeatureSelector);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Index", 0, struct _URB_CONTROL_FEATURE_REQUEST, Index);
CHECK_FIELD(kUrbControlFeatureRequestTable, "Reserved1", 0, struct _URB_CONTROL_FEATURE_REQUEST, Reserved1);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "Hdr", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, Hdr);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "Reserved", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, Reserved);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "TransferFlags", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, TransferFlags);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "TransferBufferLength", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, TransferBufferLength);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "TransferBuffer", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, TransferBuffer);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "TransferBufferMDL", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, TransferBufferMDL);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "UrbLink", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, UrbLink);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "hca", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, hca);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "RequestTypeReservedBits", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, RequestTypeReservedBits);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "Request", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, Request);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "Value", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, Value);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "Index", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, Index);
CHECK_FIELD(kUrbControlVendorOrClassRequestTable, "Reserved1", 0, struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST, Reserved1);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "Hdr", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, Hdr);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "Reserved", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, Reserved);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "Reserved0", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, Reserved0);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "TransferBufferLength", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, TransferBufferLength);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "TransferBuffer", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, TransferBuffer);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "TransferBufferMDL", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, TransferBufferMDL);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "UrbLink", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, UrbLink);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "hca", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, hca);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "Reserved1", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, Reserved1);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "Interface", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, Interface);
CHECK_FIELD(kUrbControlGetInterfaceRequestTable, "Reserved2", 0, struct _URB_CONTROL_GET_INTERFACE_REQUEST, Reserved2);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "Hdr", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, Hdr);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "Reserved", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, Reserved);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "Reserved0", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, Reserved0);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "TransferBufferLength", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, TransferBufferLength);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "TransferBuffer", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, TransferBuffer);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "TransferBufferMDL", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, TransferBufferMDL);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "UrbLink", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, UrbLink);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "hca", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, hca);
CHECK_FIELD(kUrbControlGetConfigurationRequestTable, "Reserved1", 0, struct _URB_CONTROL_GET_CONFIGURATION_REQUEST, Reserved1);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "Hdr", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, Hdr);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "Reserved", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, Reserved);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "Reserved0", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, Reserved0);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "TransferBufferLength", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, TransferBufferLength);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "TransferBuffer", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, TransferBuffer);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "TransferBufferMDL", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, TransferBufferMDL);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "UrbLink", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, UrbLink);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "hca", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, hca);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "Reserved2", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, Reserved2);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "InterfaceNumber", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, InterfaceNumber);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "MS_PageIndex", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, MS_PageIndex);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "MS_FeatureDescriptorIndex", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, MS_FeatureDescriptorIndex);
CHECK_FIELD(kUrbOsFeatureDescriptorRequestTable, "Reserved3", 0, struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST, Reserved3);
CHECK_FIELD(kUrbControlTransferExTable, "Hdr", 0, struct _URB_CONTROL_TRANSFER_EX, Hdr);
CHECK_FIELD(kUrbControlTransferExTable, "PipeHandle", 0, struct _URB_CONTROL_TRANSFER_EX, PipeHandle);
CHECK_FIELD(kUrbControlTransferExTable, "TransferFlags", 0, struct _URB_CONTROL_TRANSFER_EX, TransferFlags);
CHECK_FIELD(kUrbControlTransferExTable, "TransferBufferLength", 0, struct _URB_CONTROL_TRANSFER_EX, TransferBufferLength);
CHECK_FIELD(kUrbControlTransferExTable, "TransferBuffer", 0, struct _URB_CONTROL_TRANSFER_EX, TransferBuffer);
CHECK_FIELD(kUrbControlTransferExTable, "TransferBufferMDL", 0, struct _URB_CONTROL_TRANSFER_EX, TransferBufferMDL);
CHECK_FIELD(kUrbControlTransferExTable, "Timeout", 0, struct _URB_CONTROL_TRANSFER_EX, Timeout);
CHECK_FIELD(kUrbControlTransferExTable, "hca", 0, struct _URB_CONTROL_TRANSFER_EX, hca);
CHECK_FIELD(kUrbControlTransferExTable, "Setup Packet", 0, struct _URB_CONTROL_TRANSFER_EX, SetupPacket);
CHECK_PARAMETER(kParamsCreateTable, "SecurityContext", Create.SecurityContext);
CHECK_PARAMETER(kParamsCreateTable, "Options", Create.Options);
CHECK_PARAMETER(kParamsCreateTable, "FileAttributes", Create.FileAttributes);
CHECK_PARAMETER(kParamsCreateTable, "ShareAccess", Create.ShareAccess);
CHECK_PARAMETER(kParamsCreateTable, "EaLength", Create.EaLength);
CHECK_PARAMETER(kParamsDeviceIoControlTable, "OutputBufferLength", DeviceIoControl.OutputBufferLength);
CHECK_PARAMETER(kParamsDeviceIoControlTable, "InputBufferLength", DeviceIoControl.InputBufferLength);
CHECK_PARAMETER(kParamsDeviceIoControlTable, "IoControlCode", DeviceIoControl.IoControlCode);
CHECK_PARAMETER(kParamsDeviceIoControlTable, "Type3InputBuffer", DeviceIoControl.Type3InputBuffer);
CHECK_PARAMETER(kParamsOthersTable, "Argument1", Others.Argument1);
CHECK_PARAMETER(kParamsOthersTable, "Argument2", Others.Argument2);
CHECK_PARAMETER(kParamsOthersTable, "Argument3", Others.Argument3);
CHECK_PARAMETER(kParamsOthersTable, "Argument4", Others.Argument4);
CHECK_PARAMETER(kParamsWaitWakeTable, "Power State", WaitWake.PowerState);
CHECK_PARAMETER(kParamsPowerSequenceTable, "PowerSequence", PowerSequence.PowerSequence);
CHECK_PARAMETER(kParamsPowerSystemTable, "SystemContext", Power.SystemContext);
CHECK_PARAMETER(kParamsPowerSystemTable, "Type", Power.Type);
CHECK_PARAMETER(kParamsPowerSystemTable, "SystemState", Power.State.SystemState);
CHECK_PARAMETER(kParamsPowerSystemTable, "Shutdown Type", Power.ShutdownType);
CHECK_PARAMETER(kParamsPowerDeviceTable, "SystemContext", Power.SystemContext);
CHECK_PARAMETER(kParamsPowerDeviceTable, "Type", Power.Type);
CHECK_PARAMETER(kParamsPowerDeviceTable, "DeviceState", Power.State.DeviceState);
CHECK_PARAMETER(kParamsPowerDeviceTable, "Shutdown Type", Power.ShutdownType);
CHECK_PARAMETER(kParamsStartDeviceTable, "AllocatedResources", StartDevice.AllocatedResources);
CHECK_PARAMETER(kParamsStartDeviceTable, "AllocatedResourcesTranslated", StartDevice.AllocatedResourcesTranslated);
CHECK_PARAMETER(kParamsQueryDeviceRelationsTable, "Type", QueryDeviceRelations.Type);
CHECK_PARAMETER(kParamsQueryInterfaceTable, "Interface Type", QueryInterface.InterfaceType);
CHECK_PARAMETER(kParamsQueryInterfaceTable, "Size", QueryInterface.Size);
CHECK_PARAMETER(kParamsQueryInterfaceTable, "Version", QueryInterface.Version);
CHECK_PARAMETER(kParamsQueryInterfaceTable, "Interface", QueryInterface.Interface);
CHECK_PARAMETER(kParamsQueryInterfaceTable, "InterfaceSpecificData", QueryInterface.InterfaceSpecificData);
CHECK_PARAMETER(kParamsDeviceCapabilitiesTable, "Capabilities", DeviceCapabilities.Capabilities);
CHECK_PARAMETER(kParamsFilterResourceRequirementsTable, "IoResourceRequirementList", FilterResourceRequirements.IoResourceRequirementList);
CHECK_PARAMETER(kParamsReadWriteConfigTable, "WhichSpace", ReadWriteConfig.WhichSpace);
CHECK_PARAMETER(kParamsReadWriteConfigTable, "Buffer", ReadWriteConfig.Buffer);
CHECK_PARAMETER(kParamsReadWriteConfigTable, "Offset", ReadWriteConfig.Offset);
CHECK_PARAMETER(kParamsReadWriteConfigTable, "Length", ReadWriteConfig.Length);
CHECK_PARAMETER(kParamsSetLockTable, "Lock", SetLock.Lock);
CHECK_PARAMETER(kParamsQueryIdTable, "IdType", QueryId.IdType);
CHECK_PARAMETER(kParamsQueryDeviceTextTable, "DeviceTextType", QueryDeviceText.DeviceTextType);
CHECK_PARAMETER(kParamsQueryDeviceTextTable, "LocaleId", QueryDeviceText.LocaleId);
CHECK_PARAMETER(kParamsUsageNotificationTable, "InPath", UsageNotification.InPath);
CHECK_PARAMETER(kParamsUsageNotificationTable, "Reserved", UsageNotification.Reserved);
CHECK_PARAMETER(kParamsUsageNotificationTable, "Type", UsageNotification.Type);
CHECK_FIELD(kIoStackLocationTable, "MajorFunction", 0, IO_STACK_LOCATION, MajorFunction);
CHECK_FIELD(kIoStackLocationTable, "MinorFunction", 0, IO_STACK_LOCATION, MinorFunction);
CHECK_FIELD(kIoStackLocationTable, "Flags", 0, IO_STACK_LOCATION, Flags);
CHECK_FIELD(kIoStackLocationTable, "Control", 0, IO_STACK_LOCATION, Control);
CHECK_FIELD(kIoStackLocationTable, "struct Others", 0, IO_STACK_LOCATION, Parameters.Others);
CHECK_FIELD(kIoStackLocationTable, "DeviceObject", 0, IO_STACK_LOCATION, DeviceObject);
CHECK_FIELD(kIoStackLocationTable, "FileObject", 0, IO_STACK_LOCATION, FileObject);
CHECK_FIELD(kIoStackLocationTable, "CompletionRoutine", 0, IO_STACK_LOCATION, CompletionRoutine);
CHECK_FIELD(kIoStackLocationTable, "Context", 0, IO_STACK_LOCATION, Context);
CHECK_FIELD(kIoStatusBlockTable, "Status", 0, IO_STATUS_BLOCK, Status);
CHECK_FIELD(kIoStatusBlockTable, "Information", 0, IO_STATUS_BLOCK, Information);
CHECK_FIELD(kGuidTable, "Data1", 0, GUID, Data1);
CHECK_FIELD(kGuidTable, "Data2", 0, GUID, Data2);
CHECK_FIELD(kGuidTable, "Data3", 0, GUID, Data3);
CHECK_FIELD(kGuidTable, "Data4", 0, GUID, Data4);
CHECK_FIELD(kKapcTable, "Type", 0, KAPC, Type);
CHECK_FIELD(kKapcTable, "SpareByte0", 0, KAPC, SpareByte0);
CHECK_FIELD(kKapcTable, "Size", 0, KAPC, Size);
CHECK_FIELD(kKapcTable, "SpareByte1", 0, KAPC, SpareByte1);
CHECK_FIELD(kKapcTable, "SpareLong0", 0, KAPC, SpareLong0);
CHECK_FIELD(kKapcTable, "Thread", 0, KAPC, Thread);
CHECK_FIELD(kKapcTable, "ApcListEntry", 0, KAPC, ApcListEntry);
CHECK_FIELD(kKapcTable, "KernelRoutine", 0, KAPC, KernelRoutine);
CHECK_FIELD(kKapcTable, "RundownRoutine", 0, KAPC, RundownRoutine);
CHECK_FIELD(kKapcTable, "NormalRoutine", 0, KAPC, NormalRoutine);
CHECK_FIELD(kKapcTable, "NormalContext", 0, KAPC, NormalContext);
CHECK_FIELD(kKapcTable, "SystemArgument1", 0, KAPC, SystemArgument1);
CHECK_FIELD(kKapcTable, "SystemArgument2", 0, KAPC, SystemArgument2);
CHECK_FIELD(kKapcTable, "ApcStateIndex", 0, KAPC, ApcStateIndex);
CHECK_FIELD(kKapcTable, "ApcMode", 0, KAPC, ApcMode);
CHECK_FIELD(kKapcTable, "Inserted", 0, KAPC, Inserted);
CHECK_FIELD(kKdeviceQueueEntryTable, "DeviceListEntry", 0, KDEVICE_QUEUE_ENTRY, DeviceListEntry);
CHECK_FIELD(kKdeviceQueueEntryTable, "SortKey", 0, KDEVICE_QUEUE_ENTRY, SortKey);
CHECK_FIELD(kKdeviceQueueEntryTable, "Inserted", 0, KDEVICE_QUEUE_ENTRY, Inserted);
CHECK_FIELD(kIrpTable, "Type", 0, IRP, Type);
CHECK_FIELD(kIrpTable, "Size", 0, IRP, Size);
CHECK_FIELD(kIrpTable, "MdlAddress", 0, IRP, MdlAddress);
CHECK_FIELD(kIrpTable, "Flags", 0, IRP, Flags);
CHECK_FIELD(kIrpTable, "MasterIrp", 0, IRP, AssociatedIrp.MasterIrp);
CHECK_FIELD(kIrpTable, "IrpCount", 0, IRP, AssociatedIrp.IrpCount);
CHECK_FIELD(kIrpTable, "SystemBuffer", 0, IRP, AssociatedIrp.SystemBuffer);
CHECK_FIELD(kIrpTable, "ThreadListEntry", 0, IRP, ThreadListEntry);
CHECK_FIELD(kIrpTable, "IoStatus", 0, IRP, IoStatus);
CHECK_FIELD(kIrpTable, "RequestorMode", 0, IRP, RequestorMode);
CHECK_FIELD(kIrpTable, "PendingReturned", 0, IRP, PendingReturned);
CHECK_FIELD(kIrpTable, "StackCount", 0, IRP, StackCount);
CHECK_FIELD(kIrpTable, "CurrentLocation", 0, IRP, CurrentLocation);
CHECK_FIELD(kIrpTable, "Cancel", 0, IRP, Cancel);
CHECK_FIELD(kIrpTable, "CancelIrql", 0, IRP, CancelIrql);
CHECK_FIELD(kIrpTable, "ApcEnvironment", 0, IRP, ApcEnvironment);
CHECK_FIELD(kIrpTable, "AllocationFlags", 0, IRP, AllocationFlags);
CHECK_FIELD(kIrpTable, "UserIosb", 0, IRP, UserIosb);
CHECK_FIELD(kIrpTable, "UserEvent", 0, IRP, UserEvent);
CHECK_FIELD(kIrpTable, "UserApcRoutine", 0, IRP, Overlay.AsynchronousParameters.UserApcRoutine);
CHECK_FIELD(kIrpTable, "UserApcContext", 0, IRP, Overlay.AsynchronousParameters.UserApcContext);
CHECK_FIELD(kIrpTable, "AllocationSize", 0, IRP, Overlay.AllocationSize);
CHECK_FIELD(kIrpTable, "CancelRoutine", 0, IRP, CancelRoutine);
CHECK_FIELD(kIrpTable, "UserBuffer", 0, IRP, UserBuffer);
CHECK_FIELD(kIrpTable, "DeviceQueueEntry", 0, IRP, Tail.Overlay.DeviceQueueEntry);
CHECK_FIELD(kIrpTable, "DriverContext", 0, IRP, Tail.Overlay.DriverContext);
CHECK_FIELD(kIrpTable, "Thread", 0, IRP, Tail.Overlay.Thread);
CHECK_FIELD(kIrpTable, "AuxiliaryBuffer", 0, IRP, Tail.Overlay.AuxiliaryBuffer);
CHECK_FIELD(kIrpTable, "ListEntry", 0, IRP, Tail.Overlay.ListEntry);
CHECK_FIELD(kIrpTable, "CurrentStackLocation", 0, IRP, Tail.Overlay.CurrentStackLocation);
CHECK_FIELD(kIrpTable, "PacketType", 0, IRP, Tail.Overlay.PacketType);
CHECK_FIELD(kIrpTable, "OriginalFileObject", 0, IRP, Tail.Overlay.OriginalFileObject);
CHECK_FIELD(kIrpTable, "Apc", 0, IRP, Tail.Apc);
CHECK_FIELD(kIrpTable, "CompletionKey", 0, IRP, Tail.CompletionKey);
CHECK_FIELD(kPnpBusInformationTable, "BusTypeGuid", 0, PNP_BUS_INFORMATION, BusTypeGuid);
CHECK_FIELD(kPnpBusInformationTable, "PortFeature", 0, PNP_BUS_INFORMATION, LegacyBusType);
CHECK_FIELD(kPnpBusInformationTable, "Port Number", 0, PNP_BUS_INFORMATION, BusNumber);

} // namespace
} // namespace brx

#endif

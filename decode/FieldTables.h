// The constant field tables of the kernel and USB structures that the details
// trees show, in the 32-bit layout the capture driver records. Row texts
// follow the Windows Driver Kit declarations, with this program's own texts
// where they differ.
#pragma once
#include "decode/DetailsCallbacks.h"
#include "decode/StructRenderer.h"
#include "decode/UsbNames.h"
#include "decode/WindowsNames.h"

namespace brx {

inline constexpr FIELD_DESC kUsbEndpointDescriptorTable[] = {
    Header("struct _USB_ENDPOINT_DESCRIPTOR"),
    Field("bLength", 0, 1),
    Code("bDescriptorType", 1, 1, &kDescriptorTypeCodeNames),
    Field("bEndpointAddress", 2, 1),
    Field("bmAttributes", 3, 1),
    Field("wMaxPacketSize", 4, 2),
    Field("bInterval", 6, 1),
};
inline constexpr FIELD_DESC kUsbDeviceDescriptorTable[] = {
    Header("struct _USB_DEVICE_DESCRIPTOR"),
    Field("bLength", 0, 1),
    Code("bDescriptorType", 1, 1, &kDescriptorTypeCodeNames),
    Code("bcdUSB", 2, 2, &kUsbSpecVersionNames),
    CommentBy("bDeviceClass", 4, 1, DescriptorClassComment),
    CommentBy("bDeviceSubClass", 5, 1, DescriptorSubClassComment),
    CommentBy("bDeviceProtocol", 6, 1, DescriptorProtocolComment),
    CommentBy("bMaxPacketSize0", 7, 1, DescriptorMaxPacketComment),
    CommentBy("idVendor", 8, 2, DescriptorVendorComment),
    Field("idProduct", 10, 2),
    Field("bcdDevice", 12, 2),
    Field("iManufacturer", 14, 1),
    Field("iProduct", 15, 1),
    Field("iSerialNumber", 16, 1),
    Field("bNumConfigurations", 17, 1),
};
inline constexpr FIELD_DESC kUsbHubDescriptorTable[] = {
    Header("struct _USB_HUB_DESCRIPTOR"),
    Field("bDescriptorLength", 0, 1),
    Code("bDescriptorType", 1, 1, &kDescriptorTypeCodeNames),
    Field("bNumberOfPorts", 2, 1),
    Field("wHubCharacteristics", 3, 2),
    Field("bPowerOnToPowerGood", 5, 1),
    Field("bHubControlCurrent", 6, 1),
    Array("bRemoveAndPowerMask", 7, 1, 64),
};
inline constexpr FIELD_DESC kInterfaceTable[] = {
    Header("struct _INTERFACE"),
    Field("Size", 0, 2),
    Field("Version", 2, 2),
    Field("Context", 4, 4),
    Field("InterfaceReference", 8, 4),
    Field("InterfaceDereference", 12, 4),
};
inline constexpr FIELD_DESC kPnpLocationInterfaceTable[] = {
    Header("struct _PNP_LOCATION_INTERFACE"),
    Field("Size", 0, 2),
    Field("Version", 2, 2),
    Field("Context", 4, 4),
    Field("InterfaceReference", 8, 4),
    Field("InterfaceDereference", 12, 4),
    Field("GetLocationString", 16, 4),
};
inline constexpr FIELD_DESC kUsbBusInterfaceUsbdiV3Table[] = {
    Header("struct _USB_BUS_INTERFACE_USBDI_V3"),
    Field("Size", 0, 2),
    CommentBy("Version", 2, 2, UsbdiVersionComment),
    Field("BusContext", 4, 4),
    Field("InterfaceReference", 8, 4),
    Field("InterfaceDereference", 12, 4),
    Field("GetUSBDIVersion", 16, 4),
    Field("QueryBusTime", 20, 4),
    Field("SubmitIsoOutUrb", 24, 4),
    Field("QueryBusInformation", 28, 4),
    Field("IsDeviceHighSpeed", 32, 4),
    Field("EnumLogEntry", 36, 4),
    Field("QueryBusTimeEx", 40, 4),
    Field("QueryControllerType", 44, 4),
};
inline constexpr FIELD_DESC kUsbBusInterfaceHubV6Table[] = {
    Header("struct _USB_BUS_INTERFACE_HUB_V6"),
    Field("Size", 0, 2),
    CommentBy("Version", 2, 2, HubVersionComment),
    Field("BusContext", 4, 4),
    Field("InterfaceReference", 8, 4),
    Field("InterfaceDereference", 12, 4),
    Field("CreateUsbDevice", 16, 4),
    Field("InitializeUsbDevice", 20, 4),
    Field("GetUsbDescriptors", 24, 4),
    Field("RemoveUsbDevice", 28, 4),
    Field("RestoreUsbDevice", 32, 4),
    Field("GetPortHackFlags", 36, 4),
    Field("QueryDeviceInformation", 40, 4),
    Field("GetControllerInformation", 44, 4),
    Field("ControllerSelectiveSuspend", 48, 4),
    Field("GetExtendedHubInformation", 52, 4),
    Field("GetRootHubSymbolicName", 56, 4),
    Field("GetDeviceBusContext", 60, 4),
    Field("Initialize20Hub", 64, 4),
    Field("RootHubInitNotification", 68, 4),
    Field("FlushTransfers", 72, 4),
    Field("SetDeviceHandleData", 76, 4),
    Field("HubIsRoot", 80, 4),
    Field("AcquireBusSemaphore", 84, 4),
    Field("ReleaseBusSemaphore", 88, 4),
    Field("CaculatePipeBandwidth", 92, 4),
    Field("SetBusSystemWakeMode", 96, 4),
    Field("SetDeviceFlag", 100, 4),
    Field("HubTestPoint", 104, 4),
    Field("GetDevicePerformanceInfo", 108, 4),
    Field("WaitAsyncPowerUp", 112, 4),
    Field("GetDeviceAddress", 116, 4),
    Field("RefDeviceHandle", 120, 4),
    Field("DerefDeviceHandle", 124, 4),
    Field("SetDeviceHandleIdleReadyState", 128, 4),
};
inline constexpr FIELD_DESC kUsbcDeviceConfigurationInterfaceV1Table[] = {
    Header("struct _USBC_DEVICE_CONFIGURATION_INTERFACE_V1"),
    Field("Size", 0, 2),
    CommentBy("Version", 2, 2, UsbcVersionComment),
    Field("Context", 4, 4),
    Field("InterfaceReference", 8, 4),
    Field("InterfaceDereference", 12, 4),
    Field("StartDeviceCallback", 16, 4),
    Field("PdoEnableCallback", 20, 4),
    Array("Reserved", 24, 4, 7),
};
inline constexpr FIELD_DESC kBusInterfaceSwenumTable[] = {
    Header("struct _BUS_INTERFACE_SWENUM"),
    Field("Size", 0, 2),
    CommentBy("Version", 2, 2, SwenumVersionComment),
    Field("Context", 4, 4),
    Field("InterfaceReference", 8, 4),
    Field("InterfaceDereference", 12, 4),
    Field("ReferenceDeviceObject", 16, 4),
    Field("DereferenceDeviceObject", 20, 4),
    Field("QueryReferenceString", 24, 4),
};
inline constexpr FIELD_DESC kUsbHubNameTable[] = {
    Header("struct _USB_HUB_NAME"),
    Field("ActualLength", 0, 4),
    Choose("", 4, 2, HubNameRow),
};
inline constexpr FIELD_DESC kUsbControllerNameTable[] = {
    Header("struct _USB_CONTROLLER_NAME"),
    Field("ActualLength", 0, 4),
    Choose("", 4, 2, ControllerNameRow),
};
inline constexpr FIELD_DESC kUsbBusNotificationTable[] = {
    Header("struct _USB_BUS_NOTIFICATION"),
    CommentBy("NotificationType", 0, 4, NotificationTypeComment),
    Field("TotalBandwidth", 4, 4),
    Field("ConsumedBandwidth", 8, 4),
    Field("ControllerNameLength", 12, 4),
};
inline constexpr FIELD_DESC kUsbIdleCallbackInfoTable[] = {
    Header("struct _USB_IDLE_CALLBACK_INFO"),
    Field("IdleCallback", 0, 4),
    Field("IdleContext", 4, 4),
};
inline constexpr FIELD_DESC kHcdStatCountersTable[] = {
    Header("struct _HCD_STAT_COUNTERS"),
    Field("BytesTransferred", 0, 4),
    Field("IsoMissedCount", 4, 2),
    Field("DataOverrunErrorCount", 6, 2),
    Field("CrcErrorCount", 8, 2),
    Field("ScheduleOverrunCount", 10, 2),
    Field("TimeoutErrorCount", 12, 2),
    Field("InternalHcErrorCount", 14, 2),
    Field("BufferOverrunErrorCount", 16, 2),
    Field("SWErrorCount", 18, 2),
    Field("StallPidCount", 20, 2),
    Field("PortDisableCount", 22, 2),
};
inline constexpr FIELD_DESC kHcdIsoStatCountersTable[] = {
    Header("struct _HCD_ISO_STAT_COUNTERS"),
    Field("LateUrbs", 0, 2),
    Field("DoubleBufferedPackets", 2, 2),
    Field("TransfersCF_5ms", 4, 2),
    Field("TransfersCF_2ms", 6, 2),
    Field("TransfersCF_1ms", 8, 2),
    Field("MaxInterruptLatency", 10, 2),
    Field("BadStartFrame", 12, 2),
    Field("StaleUrbs", 14, 2),
    Field("IsoPacketNotAccesed", 16, 2),
    Field("IsoPacketHWError", 18, 2),
    Field("SmallestUrbPacketCount", 20, 2),
    Field("LargestUrbPacketCount", 22, 2),
    Field("IsoCRC_Error", 24, 2),
    Field("IsoOVERRUN_Error", 26, 2),
    Field("IsoINTERNAL_Error", 28, 2),
    Field("IsoUNKNOWN_Error", 30, 2),
    Field("IsoBytesTransferred", 32, 4),
    Field("LateMissedCount", 36, 2),
    Field("HWIsoMissedCount", 38, 2),
    Array("Reserved7", 40, 4, 8),
};
inline constexpr FIELD_DESC kLargeIntegerTable[] = {
    Header("struct _LARGE_INTEGER"),
    Field("LowPart", 0, 4),
    Field("HighPart", 4, 4),
};
inline constexpr FIELD_DESC kHcdStatInformation1Table[] = {
    Header("struct _HCD_STAT_INFORMATION_1"),
    Field("Reserved1", 0, 4),
    Field("Reserved2", 4, 4),
    Field("ResetCounters", 8, 4),
    Nested("TimeRead", 12, 8, kLargeIntegerTable),
    Nested("Counters", 20, 24, kHcdStatCountersTable),
};
inline constexpr FIELD_DESC kHcdStatInformation2Table[] = {
    Header("struct _HCD_STAT_INFORMATION_2"),
    Field("Reserved1", 0, 4),
    Field("Reserved2", 4, 4),
    Field("ResetCounters", 8, 4),
    Nested("TimeRead", 12, 8, kLargeIntegerTable),
    Field("LockedMemoryUsed", 20, 4),
    Nested("Counters", 24, 24, kHcdStatCountersTable),
    Nested("IsoCounters", 48, 72, kHcdIsoStatCountersTable),
};
inline constexpr FIELD_DESC kUsbRootHubNameTable[] = {
    Header("struct _USB_ROOT_HUB_NAME"),
    Field("ActualLength", 0, 4),
    Choose("", 4, 2, RootHubNameRow),
};
inline constexpr FIELD_DESC kUsbHcdDriverkeyNameTable[] = {
    Header("struct _USB_HCD_DRIVERKEY_NAME"),
    Field("ActualLength", 0, 4),
    Choose("", 4, 2, HcdDriverKeyNameRow),
};
inline constexpr FIELD_DESC kUsbPipeInfoTable[] = {
    Header("struct _USB_PIPE_INFO"),
    Nested("EndpointDescriptor", 0, 7, kUsbEndpointDescriptorTable),
    Field("ScheduleOffset", 7, 4),
};
inline constexpr FIELD_DESC kUsbNodeConnectionInformationTable[] = {
    Header("struct _USB_NODE_CONNECTION_INFORMATION"),
    Field("ConnectionIndex", 0, 4),
    Nested("DeviceDescriptor", 4, 18, kUsbDeviceDescriptorTable),
    Field("CurrentConfigurationValue", 22, 1),
    CommentBy("LowSpeed", 23, 1, LowSpeedComment),
    Field("DeviceIsHub", 24, 1),
    Field("DeviceAddress", 25, 2),
    Field("NumberOfOpenPipes", 27, 4),
    CommentBy("ConnectionStatus", 31, 4, ConnectionInfoStatusComment),
    Choose("", 35, 0, PipeListRows),
};
inline constexpr FIELD_DESC kUsbNodeConnectionInformationExTable[] = {
    Header("struct _USB_NODE_CONNECTION_INFORMATION_EX"),
    Field("ConnectionIndex", 0, 4),
    Nested("DeviceDescriptor", 4, 18, kUsbDeviceDescriptorTable),
    Field("CurrentConfigurationValue", 22, 1),
    CommentBy("Speed", 23, 1, SpeedComment),
    Field("DeviceIsHub", 24, 1),
    Field("DeviceAddress", 25, 2),
    Field("NumberOfOpenPipes", 27, 4),
    CommentBy("ConnectionStatus", 31, 4, ConnectionInfoStatusComment),
    Choose("", 35, 0, PipeListRows),
};
inline constexpr FIELD_DESC kUsbNodeConnectionDriverkeyNameTable[] = {
    Header("struct _USB_NODE_CONNECTION_DRIVERKEY_NAME"),
    Field("ConnectionIndex", 0, 4),
    Field("ActualLength", 4, 4),
    Choose("", 8, 2, NodeDriverKeyNameRow),
};
inline constexpr FIELD_DESC kUsbNodeConnectionNameTable[] = {
    Header("struct _USB_NODE_CONNECTION_NAME"),
    Field("ConnectionIndex", 0, 4),
    Field("ActualLength", 4, 4),
    Choose("", 8, 2, NodeNameRow),
};
inline constexpr FIELD_DESC kUsbNodeConnectionAttributesTable[] = {
    Header("struct _USB_NODE_CONNECTION_ATTRIBUTES"),
    Field("ConnectionIndex", 0, 4),
    CommentBy("ConnectionStatus", 4, 4, AttributesStatusComment),
    Bits("PortAttributes", 8, 4, &kPortAttributeNames),
};
inline constexpr FIELD_DESC kUrbHeaderTable[] = {
    Header("struct _URB_HEADER"),
    Field("Length", 0, 2),
    Code("Function", 2, 2, &kUrbFunctionSymbolicNames),
    Code("Status", 4, 4, &kUsbdStatusSymbolicNames),
    Field("UsbdDeviceHandle", 8, 4),
    Field("UsbdFlags", 12, 4),
};
inline constexpr FIELD_DESC kListEntryTable[] = {
    Header("struct _LIST_ENTRY"),
    Field("Flink", 0, 4),
    Field("Blink", 4, 4),
};
inline constexpr FIELD_DESC kUrbHcdAreaTable[] = {
    Header("struct _URB_HCD_AREA"),
    Field("HcdEndpoint", 0, 4),
    Field("HcdIrp", 4, 4),
    Nested("HcdListEntry", 8, 8, kListEntryTable),
    Nested("HcdListEntry2", 16, 8, kListEntryTable),
    Field("HcdCurrentIoFlushPointer", 24, 4),
    Field("HcdExtension", 28, 4),
};
inline constexpr FIELD_DESC kUrbPipeRequestTable[] = {
    Header("struct _URB_PIPE_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("PipeHandle", 16, 4),
    Field("Reserved", 20, 4),
};
inline constexpr FIELD_DESC kUsbdInterfaceInformationTable[] = {
    Header("struct _USBD_INTERFACE_INFORMATION"),
    Field("Length", 0, 2),
    Field("InterfaceNumber", 2, 1),
    Field("Alternate Setting", 3, 1),
    CommentBy("Class", 4, 1, InterfaceClassComment),
    CommentBy("SubClass", 5, 1, InterfaceSubClassComment),
    CommentBy("Protocol", 6, 1, InterfaceProtocolComment),
    Field("Reserved", 7, 1),
    Field("InterfaceHandle", 8, 4),
    Field("NumberOfPipes", 12, 4),
    Choose("", 16, 20, PipeRows),
};
inline constexpr FIELD_DESC kUrbSelectConfigurationTable[] = {
    Header("struct _URB_SELECT_CONFIGURATION"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Note("Configuration Descriptor", 16, 4, "PUSB_CONFIGURATION_DESCRIPTOR"),
    Field("ConfigurationHandle", 20, 4),
    Choose("", 24, 36, SelectConfigurationInterfaceRows),
};
inline constexpr FIELD_DESC kUrbSelectInterfaceTable[] = {
    Header("struct _URB_SELECT_INTERFACE"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("ConfigurationHandle", 16, 4),
    Choose("Interface", 20, 36, SelectInterfaceRows),
};
inline constexpr FIELD_DESC kUrbFrameLengthControlTable[] = {
    Header("struct _URB_FRAME_LENGTH_CONTROL"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
};
inline constexpr FIELD_DESC kUrbGetFrameLengthTable[] = {
    Header("struct _URB_GET_FRAME_LENGTH"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("FrameLength", 16, 4),
    Field("Frame Number", 20, 4),
};
inline constexpr FIELD_DESC kUrbSetFrameLengthTable[] = {
    Header("struct _URB_SET_FRAME_LENGTH"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("FrameLengthDelta", 16, 4),
};
inline constexpr FIELD_DESC kUrbGetCurrentFrameNumberTable[] = {
    Header("struct _URB_GET_CURRENT_FRAME_NUMBER"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Frame Number", 16, 4),
};
inline constexpr FIELD_DESC kUrbControlTransferTable[] = {
    Header("struct _URB_CONTROL_TRANSFER"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("PipeHandle", 16, 4),
    CommentBy("TransferFlags", 20, 4, RenderTransferFlags),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Choose("Setup Packet", 72, 8, SetupPacketRows),
};
inline constexpr FIELD_DESC kUrbBulkOrInterruptTransferTable[] = {
    Header("struct _URB_BULK_OR_INTERRUPT_TRANSFER"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("PipeHandle", 16, 4),
    CommentBy("TransferFlags", 20, 4, RenderTransferFlags),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
};
inline constexpr FIELD_DESC kUrbIsochTransferTable[] = {
    Header("struct _URB_ISOCH_TRANSFER"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("PipeHandle", 16, 4),
    CommentBy("TransferFlags", 20, 4, RenderTransferFlags),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Field("StartFrame", 72, 4),
    Field("NumberOfPackets", 76, 4),
    Field("Error Count", 80, 4),
    Choose("", 84, 12, IsoPacketRows),
};
inline constexpr FIELD_DESC kUsbdIsoPacketDescriptorTable[] = {
    Header("struct _USBD_ISO_PACKET_DESCRIPTOR"),
    Field("Offset", 0, 4),
    Field("Length", 4, 4),
    Code("Status", 8, 4, &kUsbdStatusSymbolicNames),
};
inline constexpr FIELD_DESC kUrbControlDescriptorRequestTable[] = {
    Header("struct _URB_CONTROL_DESCRIPTOR_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    Field("Reserved0", 20, 4),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Field("Reserved1", 72, 2),
    Field("Index", 74, 1),
    Field("Descriptor Type", 75, 1),
    Field("LanguageId", 76, 2),
    Field("Reserved2", 78, 2),
};
inline constexpr FIELD_DESC kUrbControlGetStatusRequestTable[] = {
    Header("struct _URB_CONTROL_GET_STATUS_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    Field("Reserved0", 20, 4),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Array("Reserved1", 72, 1, 4),
    Field("Index", 76, 2),
    Field("Reserved2", 78, 2),
};
inline constexpr FIELD_DESC kUrbControlFeatureRequestTable[] = {
    Header("struct _URB_CONTROL_FEATURE_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    Field("Reserved2", 20, 4),
    Field("Reserved3", 24, 4),
    Field("Reserved4", 28, 4),
    Field("Reserved5", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Field("Reserved0", 72, 2),
    Field("Feature Selector", 74, 2),
    Field("Index", 76, 2),
    Field("Reserved1", 78, 2),
};
inline constexpr FIELD_DESC kUrbControlVendorOrClassRequestTable[] = {
    Header("struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    CommentBy("TransferFlags", 20, 4, RenderTransferFlags),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Field("RequestTypeReservedBits", 72, 1),
    Field("Request", 73, 1),
    Field("Value", 74, 2),
    Field("Index", 76, 2),
    Field("Reserved1", 78, 2),
};
inline constexpr FIELD_DESC kUrbControlGetInterfaceRequestTable[] = {
    Header("struct _URB_CONTROL_GET_INTERFACE_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    Field("Reserved0", 20, 4),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Array("Reserved1", 72, 1, 4),
    Field("Interface", 76, 2),
    Field("Reserved2", 78, 2),
};
inline constexpr FIELD_DESC kUrbControlGetConfigurationRequestTable[] = {
    Header("struct _URB_CONTROL_GET_CONFIGURATION_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    Field("Reserved0", 20, 4),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Array("Reserved1", 72, 1, 8),
};
inline constexpr FIELD_DESC kUrbOsFeatureDescriptorRequestTable[] = {
    Header("struct _URB_OS_FEATURE_DESCRIPTOR_REQUEST"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("Reserved", 16, 4),
    Field("Reserved0", 20, 4),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Note("UrbLink", 36, 4, "struct _URB *"),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Field("Recipient", 72, 1),
    Field("Reserved2", 73, 1),
    Field("InterfaceNumber", 74, 1),
    Field("MS_PageIndex", 75, 1),
    Field("MS_FeatureDescriptorIndex", 76, 2),
    Field("Reserved3", 78, 2),
};
inline constexpr FIELD_DESC kUrbControlTransferExTable[] = {
    Header("struct _URB_CONTROL_TRANSFER_EX"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("PipeHandle", 16, 4),
    CommentBy("TransferFlags", 20, 4, RenderTransferFlags),
    Field("TransferBufferLength", 24, 4),
    Field("TransferBuffer", 28, 4),
    Field("TransferBufferMDL", 32, 4),
    Field("Timeout", 36, 4),
    Nested("hca", 40, 32, kUrbHcdAreaTable),
    Choose("Setup Packet", 72, 8, SetupPacketRows),
};
inline constexpr FIELD_DESC kUsbIoParametersTable[] = {
    Header("struct _USB_IO_PARAMETERS"),
    CommentBy("UsbIoPriority", 0, 4, IoPriorityComment),
    Field("UsbMaxPendingIrps", 4, 4),
    Field("UsbMaxControllerTransfer", 8, 4),
};
inline constexpr FIELD_DESC kUrbPipeIoPolicyTable[] = {
    Header("struct _URB_PIPE_IO_POLICY"),
    Nested("Hdr", 0, 16, kUrbHeaderTable),
    Field("PipeHandle", 16, 4),
    Nested("UsbIoParamters", 20, 12, kUsbIoParametersTable),
};
inline constexpr FIELD_DESC kParamsCreateTable[] = {
    Header("struct Create"),
    Field("SecurityContext", 0, 4),
    Bits("Options", 4, 4, &kCreateOptionNames),
    Bits("FileAttributes", 8, 2, &kFileAttributeNames),
    Bits("ShareAccess", 10, 2, &kShareAccessNames),
    Field("EaLength", 12, 4),
};
inline constexpr FIELD_DESC kParamsDeviceIoControlTable[] = {
    Header("struct DeviceIoControl"),
    Field("OutputBufferLength", 0, 4),
    Field("InputBufferLength", 4, 4),
    CommentBy("IoControlCode", 8, 4, CtlCodeComment),
    Field("Type3InputBuffer", 12, 4),
};
inline constexpr FIELD_DESC kParamsOthersTable[] = {
    Header("struct Others"),
    Field("Argument1", 0, 4),
    Field("Argument2", 4, 4),
    Field("Argument3", 8, 4),
    Field("Argument4", 12, 4),
};
inline constexpr FIELD_DESC kParamsWaitWakeTable[] = {
    Header("struct WaitWake"),
    Code("Power State", 0, 4, &kSystemPowerStateSymbolicNames),
};
inline constexpr FIELD_DESC kParamsPowerSequenceTable[] = {
    Header("struct PowerSequence"),
    Field("PowerSequence", 0, 4),
};
inline constexpr FIELD_DESC kParamsPowerSystemTable[] = {
    Header("struct Power"),
    Field("SystemContext", 0, 4),
    Code("Type", 4, 4, &kPowerStateTypeNames),
    Field("union State", 0, 0),
    Code("SystemState", 8, 4, &kSystemPowerStateSymbolicNames, 2),
    Code("Shutdown Type", 12, 4, &kPowerActionNames),
};
inline constexpr FIELD_DESC kParamsPowerDeviceTable[] = {
    Header("struct Power"),
    Field("SystemContext", 0, 4),
    Code("Type", 4, 4, &kPowerStateTypeNames),
    Field("union State", 0, 0),
    Code("DeviceState", 8, 4, &kDevicePowerStateSymbolicNames, 2),
    Code("Shutdown Type", 12, 4, &kPowerActionNames),
};
inline constexpr FIELD_DESC kParamsStartDeviceTable[] = {
    Header("struct StartDevice"),
    Field("AllocatedResources", 0, 4),
    Field("AllocatedResourcesTranslated", 4, 4),
};
inline constexpr FIELD_DESC kParamsQueryDeviceRelationsTable[] = {
    Header("struct QueryDeviceRelations"),
    CommentBy("Type", 0, 4, RelationTypeComment),
};
inline constexpr FIELD_DESC kParamsQueryInterfaceTable[] = {
    Header("struct QueryInterface"),
    Field("Interface Type", 0, 4),
    Field("Size", 4, 2),
    Field("Version", 6, 2),
    Field("Interface", 8, 4),
    Field("InterfaceSpecificData", 12, 4),
};
inline constexpr FIELD_DESC kParamsDeviceCapabilitiesTable[] = {
    Header("struct DeviceCapabilities"),
    Field("Capabilities", 0, 4),
};
inline constexpr FIELD_DESC kParamsFilterResourceRequirementsTable[] = {
    Header("struct FilterResourceRequirements"),
    Field("IoResourceRequirementList", 0, 4),
};
inline constexpr FIELD_DESC kParamsReadWriteConfigTable[] = {
    Header("struct ReadWriteConfig"),
    Field("WhichSpace", 0, 4),
    Field("Buffer", 4, 4),
    Field("Offset", 8, 4),
    Field("Length", 12, 4),
};
inline constexpr FIELD_DESC kParamsSetLockTable[] = {
    Header("struct SetLock"),
    Field("Lock", 0, 1),
};
inline constexpr FIELD_DESC kParamsQueryIdTable[] = {
    Header("struct QueryId"),
    CommentBy("IdType", 0, 4, QueryIdTypeComment),
};
inline constexpr FIELD_DESC kParamsQueryDeviceTextTable[] = {
    Header("struct QueryDeviceText"),
    CommentBy("DeviceTextType", 0, 4, DeviceTextTypeComment),
    CommentBy("LocaleId", 4, 4, LocaleIdComment),
};
inline constexpr FIELD_DESC kParamsUsageNotificationTable[] = {
    Header("struct UsageNotification"),
    Field("InPath", 0, 1),
    Array("Reserved", 1, 1, 3),
    CommentBy("Type", 4, 4, UsageTypeComment),
};
inline constexpr FIELD_DESC kIoStackLocationTable[] = {
    Header("IO_STACK_LOCATION"),
    Code("MajorFunction", 0, 1, &kIrpMajorFunctionNames),
    CommentBy("MinorFunction", 1, 1, IoStackMinorName),
    BitsBy("Flags", 2, 1, IoStackFlagsBits),
    Bits("Control", 3, 1, &kStackControlNames),
    Field("union Parameters", 0, 0),
    Choose(nullptr, 4, 16, SelectStackParametersTable, 2),
    Nested("struct Others", 4, 16, kParamsOthersTable, 2),
    Field("DeviceObject", 20, 4),
    Field("FileObject", 24, 4),
    Field("CompletionRoutine", 28, 4),
    Field("Context", 32, 4),
};
inline constexpr FIELD_DESC kIoStatusBlockTable[] = {
    Header("struct _IO_STATUS_BLOCK"),
    Code("Status", 0, 4, &kNtStatusSymbolicNames),
    Field("Information", 4, 4),
};
inline constexpr FIELD_DESC kGuidTable[] = {
    Header("struct _GUID"),
    Field("Data1", 0, 4),
    Field("Data2", 4, 2),
    Field("Data3", 6, 2),
    Array("Data4", 8, 1, 8),
};
inline constexpr FIELD_DESC kKapcTable[] = {
    Header("struct _KAPC"),
    Field("Type", 0, 1),
    Field("SpareByte0", 1, 1),
    Field("Size", 2, 1),
    Field("SpareByte1", 3, 1),
    Field("SpareLong0", 4, 4),
    Field("Thread", 8, 4),
    Nested("ApcListEntry", 12, 8, kListEntryTable),
    Field("KernelRoutine", 20, 4),
    Field("RundownRoutine", 24, 4),
    Field("NormalRoutine", 28, 4),
    Field("NormalContext", 32, 4),
    Field("SystemArgument1", 36, 4),
    Field("SystemArgument2", 40, 4),
    Field("ApcStateIndex", 44, 1),
    Code("ApcMode", 45, 1, &kProcessorModeNames),
    Code("Inserted", 46, 1, &kBooleanNames),
};
inline constexpr FIELD_DESC kKdeviceQueueEntryTable[] = {
    Header("struct _KDEVICE_QUEUE_ENTRY"),
    Nested("DeviceListEntry", 0, 8, kListEntryTable),
    Field("SortKey", 8, 4),
    Code("Inserted", 12, 1, &kBooleanNames),
};
inline constexpr FIELD_DESC kIrpTable[] = {
    Header("IRP"),
    Code("Type", 0, 2, &kObjectTypeNames),
    Field("Size", 2, 2),
    Field("MdlAddress", 4, 4),
    Bits("Flags", 8, 4, &kIrpFlagNames),
    Field("union AssociatedIrp", 12, 0),
    Field("MasterIrp", 12, 4, 2),
    Field("IrpCount", 12, 4, 2),
    Field("SystemBuffer", 12, 4, 2),
    Nested("ThreadListEntry", 16, 8, kListEntryTable),
    Nested("IoStatus", 24, 8, kIoStatusBlockTable),
    Code("RequestorMode", 32, 1, &kProcessorModeNames),
    Code("PendingReturned", 33, 1, &kBooleanNames),
    Field("StackCount", 34, 1),
    Field("CurrentLocation", 35, 1),
    Code("Cancel", 36, 1, &kBooleanNames),
    Field("CancelIrql", 37, 1),
    Field("ApcEnvironment", 38, 1),
    Bits("AllocationFlags", 39, 1, &kAllocationFlagNames),
    Field("UserIosb", 40, 4),
    Field("UserEvent", 44, 4),
    Field("union Overlay", 48, 0),
    Field("struct AsynchronousParameters", 48, 0, 2),
    Field("UserApcRoutine", 48, 4, 3),
    Field("UserApcContext", 52, 4, 3),
    Nested("AllocationSize", 48, 8, kLargeIntegerTable, 2),
    Field("CancelRoutine", 56, 4),
    Field("UserBuffer", 60, 4),
    Field("union Tail", 64, 0),
    Field("struct Overlay", 64, 0, 2),
    Field("union {...}", 64, 0, 3),
    Nested("DeviceQueueEntry", 64, 16, kKdeviceQueueEntryTable, 4),
    Field("struct {...}", 0, 0, 4),
    Array("DriverContext", 64, 4, 4, 5),
    Field("Thread", 80, 4, 3),
    Field("AuxiliaryBuffer", 84, 4, 3),
    Field("struct {...}", 88, 0, 3),
    Nested("ListEntry", 88, 8, kListEntryTable, 4),
    Field("union {...}", 96, 0, 4),
    Field("CurrentStackLocation", 96, 4, 5),
    Field("PacketType", 96, 4, 5),
    Field("OriginalFileObject", 100, 4, 3),
    Nested("Apc", 64, 48, kKapcTable, 2),
    Field("CompletionKey", 64, 4, 2),
};
inline constexpr FIELD_DESC kPnpBusInformationTable[] = {
    Header("struct _PNP_BUS_INFORMATION"),
    Nested("BusTypeGuid", 0, 16, kGuidTable),
    CommentBy("PortFeature", 16, 4, PortFeatureComment),
    Field("Port Number", 20, 4),
};

// Every table, in the order the list of structures gives them.
inline constexpr FieldTable kAllFieldTables[] = {
    kUsbEndpointDescriptorTable,
    kUsbDeviceDescriptorTable,
    kUsbHubDescriptorTable,
    kInterfaceTable,
    kPnpLocationInterfaceTable,
    kUsbBusInterfaceUsbdiV3Table,
    kUsbBusInterfaceHubV6Table,
    kUsbcDeviceConfigurationInterfaceV1Table,
    kBusInterfaceSwenumTable,
    kUsbHubNameTable,
    kUsbControllerNameTable,
    kUsbBusNotificationTable,
    kUsbIdleCallbackInfoTable,
    kHcdStatCountersTable,
    kHcdIsoStatCountersTable,
    kHcdStatInformation1Table,
    kHcdStatInformation2Table,
    kUsbRootHubNameTable,
    kUsbHcdDriverkeyNameTable,
    kUsbPipeInfoTable,
    kUsbNodeConnectionInformationTable,
    kUsbNodeConnectionInformationExTable,
    kUsbNodeConnectionDriverkeyNameTable,
    kUsbNodeConnectionNameTable,
    kUsbNodeConnectionAttributesTable,
    kUrbHeaderTable,
    kUrbHcdAreaTable,
    kUrbPipeRequestTable,
    kUsbdInterfaceInformationTable,
    kUrbSelectConfigurationTable,
    kUrbSelectInterfaceTable,
    kUrbFrameLengthControlTable,
    kUrbGetFrameLengthTable,
    kUrbSetFrameLengthTable,
    kUrbGetCurrentFrameNumberTable,
    kUrbControlTransferTable,
    kUrbBulkOrInterruptTransferTable,
    kUrbIsochTransferTable,
    kUsbdIsoPacketDescriptorTable,
    kUrbControlDescriptorRequestTable,
    kUrbControlGetStatusRequestTable,
    kUrbControlFeatureRequestTable,
    kUrbControlVendorOrClassRequestTable,
    kUrbControlGetInterfaceRequestTable,
    kUrbControlGetConfigurationRequestTable,
    kUrbOsFeatureDescriptorRequestTable,
    kUrbControlTransferExTable,
    kUsbIoParametersTable,
    kUrbPipeIoPolicyTable,
    kParamsCreateTable,
    kParamsDeviceIoControlTable,
    kParamsOthersTable,
    kParamsWaitWakeTable,
    kParamsPowerSequenceTable,
    kParamsPowerSystemTable,
    kParamsPowerDeviceTable,
    kParamsStartDeviceTable,
    kParamsQueryDeviceRelationsTable,
    kParamsQueryInterfaceTable,
    kParamsDeviceCapabilitiesTable,
    kParamsFilterResourceRequirementsTable,
    kParamsReadWriteConfigTable,
    kParamsSetLockTable,
    kParamsQueryIdTable,
    kParamsQueryDeviceTextTable,
    kParamsUsageNotificationTable,
    kIoStackLocationTable,
    kListEntryTable,
    kIoStatusBlockTable,
    kLargeIntegerTable,
    kGuidTable,
    kKapcTable,
    kKdeviceQueueEntryTable,
    kIrpTable,
    kPnpBusInformationTable,
};

// The entry of a table with the given name (the nth one when a name repeats);
// for compile-time checks of the layouts.
consteval const FIELD_DESC& FieldNamed(FieldTable table, const char* name, int nth = 0) {
    for (const FIELD_DESC& f : table) {
        if (!f.name) continue;
        const char* a = f.name;
        const char* b = name;
        while (*a && *a == *b) ++a, ++b;
        if (*a == *b && nth-- == 0) return f;
    }
    throw "no such field";
}

} // namespace brx

// The rows of the Windows name tables. Symbolic texts are the Windows Driver
// Kit identifiers, kept as captures and users know them (odd spellings too).
#include "decode/WindowsNames.h"

#include <iterator>

namespace brx {
namespace {

constexpr CODE_NAME kNtStatusSymbolic[] = {
    {0x00000000u, "STATUS_SUCCESS"},
    {0x000000C0u, "STATUS_USER_APC"},
    {0x00000100u, "STATUS_KERNEL_APC"},
    {0x00000101u, "STATUS_ALERTED"},
    {0x00000102u, "STATUS_TIMEOUT"},
    {0x00000103u, "STATUS_PENDING"},
    {0x00000119u, "STATUS_RESOURCE_REQUIREMENTS_CHANGED"},
    {0x80000005u, "STATUS_BUFFER_OVERFLOW"},
    {0x80000006u, "STATUS_NO_MORE_FILES"},
    {0x8000000Au, "STATUS_HANDLES_CLOSED"},
    {0x8000000Eu, "STATUS_DEVICE_PAPER_EMPTY"},
    {0x8000000Fu, "STATUS_DEVICE_POWERED_OFF"},
    {0x80000010u, "STATUS_DEVICE_OFF_LINE"},
    {0x80000011u, "STATUS_DEVICE_BUSY"},
    {0x8000001Au, "STATUS_NO_MORE_ENTRIES"},
    {0x8000001Cu, "STATUS_MEDIA_CHANGED"},
    {0x8000001Du, "STATUS_BUS_RESET"},
    {0x8000001Eu, "STATUS_END_OF_MEDIA"},
    {0x8000001Fu, "STATUS_BEGINNING_OF_MEDIA"},
    {0x80000020u, "STATUS_MEDIA_CHECK"},
    {0x80000028u, "STATUS_PLUGPLAY_QUERY_VETOED"},
    {0xC0000001u, "STATUS_UNSUCCESSFUL"},
    {0xC0000002u, "STATUS_NOT_IMPLEMENTED"},
    {0xC0000003u, "STATUS_INVALID_INFO_CLASS"},
    {0xC0000004u, "STATUS_INFO_LENGTH_MISMATCH"},
    {0xC0000005u, "STATUS_ACCESS_VIOLATION"},
    {0xC0000006u, "STATUS_IN_PAGE_ERROR"},
    {0xC0000007u, "STATUS_PAGEFILE_QUOTA"},
    {0xC0000008u, "STATUS_INVALID_HANDLE"},
    {0xC000000Bu, "STATUS_INVALID_CID"},
    {0xC000000Cu, "STATUS_TIMER_NOT_CANCELED"},
    {0xC000000Du, "STATUS_INVALID_PARAMETER"},
    {0xC000000Eu, "STATUS_NO_SUCH_DEVICE"},
    {0xC000000Fu, "STATUS_NO_SUCH_FILE"},
    {0xC0000010u, "STATUS_INVALID_DEVICE_REQUEST"},
    {0xC0000011u, "STATUS_END_OF_FILE"},
    {0xC0000012u, "STATUS_WRONG_VOLUME"},
    {0xC0000013u, "STATUS_NO_MEDIA_IN_DEVICE"},
    {0xC0000014u, "STATUS_UNRECOGNIZED_MEDIA"},
    {0xC0000015u, "STATUS_NONEXISTENT_SECTOR"},
    {0xC0000016u, "STATUS_MORE_PROCESSING_REQUIRED"},
    {0xC0000017u, "STATUS_NO_MEMORY"},
    {0xC000001Cu, "STATUS_INVALID_SYSTEM_SERVICE"},
    {0xC0000022u, "STATUS_ACCESS_DENIED"},
    {0xC0000023u, "STATUS_BUFFER_TOO_SMALL"},
    {0xC0000024u, "STATUS_OBJECT_TYPE_MISMATCH"},
    {0xC0000032u, "STATUS_DISK_CORRUPT_ERROR"},
    {0xC0000033u, "STATUS_OBJECT_NAME_INVALID"},
    {0xC0000034u, "STATUS_OBJECT_NAME_NOT_FOUND"},
    {0xC000003Cu, "STATUS_DATA_OVERRUN"},
    {0xC000003Eu, "STATUS_DATA_ERROR"},
    {0xC0000042u, "STATUS_INVALID_PORT_HANDLE"},
    {0xC0000043u, "STATUS_SHARING_VIOLATION"},
    {0xC0000044u, "STATUS_QUOTA_EXCEEDED"},
    {0xC0000056u, "STATUS_DELETE_PENDING"},
    {0xC000009Au, "STATUS_INSUFFICIENT_RESOURCES"},
    {0xC000009Cu, "STATUS_DEVICE_DATA_ERROR"},
    {0xC000009Du, "STATUS_DEVICE_NOT_CONNECTED"},
    {0xC000009Eu, "STATUS_DEVICE_POWER_FAILURE"},
    {0xC00000BBu, "STATUS_NOT_SUPPORTED"},
    {0xC00000C0u, "STATUS_DEVICE_DOES_NOT_EXIST"},
    {0xC00000C8u, "STATUS_PRINT_CANCELLED"},
    {0xC00000E5u, "STATUS_INTERNAL_ERROR"},
    {0xC00000EFu, "STATUS_INVALID_PARAMETER_1"},
    {0xC00000F0u, "STATUS_INVALID_PARAMETER_2"},
    {0xC00000F1u, "STATUS_INVALID_PARAMETER_3"},
    {0xC00000F2u, "STATUS_INVALID_PARAMETER_4"},
    {0xC00000F3u, "STATUS_INVALID_PARAMETER_5"},
    {0xC00000F4u, "STATUS_INVALID_PARAMETER_6"},
    {0xC00000F5u, "STATUS_INVALID_PARAMETER_7"},
    {0xC00000F6u, "STATUS_INVALID_PARAMETER_8"},
    {0xC00000F7u, "STATUS_INVALID_PARAMETER_9"},
    {0xC00000F8u, "STATUS_INVALID_PARAMETER_10"},
    {0xC00000F9u, "STATUS_INVALID_PARAMETER_11"},
    {0xC00000FAu, "STATUS_INVALID_PARAMETER_12"},
    {0xC0000106u, "STATUS_NAME_TOO_LONG"},
    {0xC0000107u, "STATUS_FILES_OPEN"},
    {0xC000011Fu, "STATUS_TOO_MANY_OPENED_FILES"},
    {0xC0000120u, "STATUS_CANCELLED"},
    {0xC0000121u, "STATUS_CANNOT_DELETE"},
    {0xC0000122u, "STATUS_INVALID_COMPUTER_NAME"},
    {0xC0000123u, "STATUS_FILE_DELETED"},
    {0xC0000136u, "STATUS_OPEN_FAILED"},
    {0xC0000141u, "STATUS_INVALID_ADDRESS"},
    {0xC0000178u, "STATUS_NO_MEDIA"},
    {0xC0000183u, "STATUS_DRIVER_INTERNAL_ERROR"},
    {0xC0000184u, "STATUS_INVALID_DEVICE_STATE"},
    {0xC0000185u, "STATUS_IO_DEVICE_ERROR"},
    {0xC0000206u, "STATUS_INVALID_BUFFER_SIZE"},
    {0x40000294u, "STATUS_WAKE_SYSTEM"},
    {0xC00002B6u, "STATUS_DEVICE_REMOVED"},
};

constexpr CODE_NAME kNtStatusFriendly[] = {
    {0x00000000u, "Success"},
    {0x000000C0u, "User APC"},
    {0x00000100u, "Kernel APC"},
    {0x00000101u, "Alerted"},
    {0x00000102u, "Timeout"},
    {0x00000103u, "Pending"},
    {0x00000119u, "Resource Requirements Changed"},
    {0x80000005u, "Buffer Overflow"},
    {0x80000006u, "No More Files"},
    {0x8000000Au, "Handles Closed"},
    {0x8000000Eu, "Device Paper Empty"},
    {0x8000000Fu, "Device Powered Off"},
    {0x80000010u, "Device Off Line"},
    {0x80000011u, "Device Busy"},
    {0x8000001Au, "No More Entries"},
    {0x8000001Cu, "Media Changed"},
    {0x8000001Du, "Bus Reset"},
    {0x8000001Eu, "End of Media"},
    {0x8000001Fu, "Beginning of Media"},
    {0x80000020u, "Media Check"},
    {0x80000028u, "PlugPlay Query Vetoed"},
    {0xC0000001u, "Unsuccessful"},
    {0xC0000002u, "Not Implemented"},
    {0xC0000003u, "Invalid Info Class"},
    {0xC0000004u, "Info Length Mismatch"},
    {0xC0000005u, "Access Violation"},
    {0xC0000006u, "In Page Error"},
    {0xC0000007u, "Pagefile Quota"},
    {0xC0000008u, "Invalid Handle"},
    {0xC000000Bu, "Invalid Client ID"},
    {0xC000000Cu, "Timer Not Canceled"},
    {0xC000000Du, "Invalid Parameter"},
    {0xC000000Eu, "No Such Device"},
    {0xC000000Fu, "No Such File"},
    {0xC0000010u, "Invalid Device Request"},
    {0xC0000011u, "End of File"},
    {0xC0000012u, "Wrong Volume"},
    {0xC0000013u, "No Media in Device"},
    {0xC0000014u, "Unrecognized Media"},
    {0xC0000015u, "Nonexistent Sector"},
    {0xC0000016u, "More Processing Required"},
    {0xC0000017u, "No Memory"},
    {0xC000001Cu, "Invalid System Service"},
    {0xC0000022u, "Access Denied"},
    {0xC0000023u, "Buffer Too Small"},
    {0xC0000024u, "Object Type Mismatch"},
    {0xC0000032u, "Disk Corrupt Error"},
    {0xC0000033u, "Object Name Invalid"},
    {0xC0000034u, "Object Name Not Found"},
    {0xC000003Cu, "Data Overrun"},
    {0xC000003Eu, "Data Error"},
    {0xC0000042u, "Invalid Port Handle"},
    {0xC0000043u, "Sharing Violation"},
    {0xC0000044u, "Quota Exceeded"},
    {0xC0000056u, "Delete Pending"},
    {0xC000009Au, "Insufficient Resources"},
    {0xC000009Cu, "Device Data Error"},
    {0xC000009Du, "Device Not Connected"},
    {0xC000009Eu, "Device Power Failure"},
    {0xC00000BBu, "Not Supported"},
    {0xC00000C0u, "Device Does Not Exist"},
    {0xC00000C8u, "Print Cancelled"},
    {0xC00000E5u, "Internal Error"},
    {0xC00000EFu, "Invalid Parameter 1"},
    {0xC00000F0u, "Invalid Parameter 2"},
    {0xC00000F1u, "Invalid Parameter 3"},
    {0xC00000F2u, "Invalid Parameter 4"},
    {0xC00000F3u, "Invalid Parameter 5"},
    {0xC00000F4u, "Invalid Parameter 6"},
    {0xC00000F5u, "Invalid Parameter 7"},
    {0xC00000F6u, "Invalid Parameter 8"},
    {0xC00000F7u, "Invalid Parameter 9"},
    {0xC00000F8u, "Invalid Parameter 10"},
    {0xC00000F9u, "Invalid Parameter 11"},
    {0xC00000FAu, "Invalid Parameter 12"},
    {0xC0000106u, "Name Too Long"},
    {0xC0000107u, "Files Open"},
    {0xC000011Fu, "Too Many Opened Files"},
    {0xC0000120u, "Cancelled"},
    {0xC0000121u, "Cannot Delete"},
    {0xC0000122u, "Invalid Computer Name"},
    {0xC0000123u, "File Deleted"},
    {0xC0000136u, "Open Failed"},
    {0xC0000141u, "Invalid Address"},
    {0xC0000178u, "No Media"},
    {0xC0000183u, "Driver Internal Error"},
    {0xC0000184u, "Invalid Device State"},
    {0xC0000185u, "IO Device Error"},
    {0xC0000206u, "Invalid Buffer Size"},
    {0x40000294u, "Wake System"},
    {0xC00002B6u, "Device Removed"},
};

constexpr CODE_NAME kUsbdStatusSymbolic[] = {
    {0x00000000u, "USBD_STATUS_SUCCESS"},
    {0x00010000u, "USBD_STATUS_CANCELED"},
    {0x00020000u, "USBD_STATUS_CANCELING"},
    {0x40000000u, "USBD_STATUS_PENDING"},
    {0x80000005u, "STATUS_BUFFER_OVERFLOW"},
    {0xC0000000u, "USBD_STATUS_ERROR"},
    {0xC0000001u, "USBD_STATUS_CRC"},
    {0xC0000002u, "USBD_STATUS_BTSTUFF"},
    {0xC0000003u, "USBD_STATUS_DATA_TOGGLE_MISMATCH"},
    {0xC0000004u, "USBD_STATUS_STALL_PID"},
    {0xC0000005u, "USBD_STATUS_DEV_NOT_RESPONDING"},
    {0xC0000006u, "USBD_STATUS_PID_CHECK_FAILURE"},
    {0xC0000007u, "USBD_STATUS_UNEXPECTED_PID"},
    {0xC0000008u, "USBD_STATUS_DATA_OVERRUN"},
    {0xC0000009u, "USBD_STATUS_DATA_UNDERRUN"},
    {0xC000000Au, "USBD_STATUS_RESERVED1"},
    {0xC000000Bu, "USBD_STATUS_RESERVED2"},
    {0xC000000Cu, "USBD_STATUS_BUFFER_OVERRUN"},
    {0xC000000Du, "USBD_STATUS_BUFFER_UNDERRUN"},
    {0xC000000Fu, "USBD_STATUS_NOT_ACCESSED"},
    {0xC0000010u, "USBD_STATUS_FIFO"},
    {0xC0000011u, "USBD_STATUS_XACT_ERROR"},
    {0xC0000012u, "USBD_STATUS_BABBLE_DETECTED"},
    {0xC0000013u, "USBD_STATUS_DATA_BUFFER_ERROR"},
    {0xC0000030u, "USBD_STATUS_ENDPOINT_HALTED"},
    {0x80000100u, "USBD_STATUS_NO_MEMORY"},
    {0x80000200u, "USBD_STATUS_INVALID_URB_FUNCTION"},
    {0x80000300u, "USBD_STATUS_INVALID_PARAMETER"},
    {0x80000400u, "USBD_STATUS_ERROR_BUSY"},
    {0x80000500u, "USBD_STATUS_REQUEST_FAILED"},
    {0x80000600u, "USBD_STATUS_INVALID_PIPE_HANDLE"},
    {0x80000700u, "USBD_STATUS_NO_BANDWIDTH"},
    {0x80000800u, "USBD_STATUS_INTERNAL_HC_ERROR"},
    {0x80000900u, "USBD_STATUS_ERROR_SHORT_TRANSFER"},
    {0xC0000A00u, "USBD_STATUS_BAD_START_FRAME"},
    {0xC0000B00u, "USBD_STATUS_ISOCH_REQUEST_FAILED"},
    {0xC0000C00u, "USBD_STATUS_FRAME_CONTROL_OWNED"},
    {0xC0000D00u, "USBD_STATUS_FRAME_CONTROL_NOT_OWNED"},
    {0xC0000E00u, "USBD_STATUS_NOT_SUPPORTED"},
    {0xC0000F00u, "USBD_STATUS_INAVLID_CONFIGURATION_DESCRIPTOR"},
    {0xC0001000u, "USBD_STATUS_INSUFFICIENT_RESOURCES"},
    {0xC0002000u, "USBD_STATUS_SET_CONFIG_FAILED"},
    {0xC0003000u, "USBD_STATUS_BUFFER_TOO_SMALL"},
    {0xC0004000u, "USBD_STATUS_INTERFACE_NOT_FOUND"},
    {0xC0005000u, "USBD_STATUS_INAVLID_PIPE_FLAGS"},
    {0xC0006000u, "USBD_STATUS_TIMEOUT"},
    {0xC0007000u, "USBD_STATUS_DEVICE_GONE"},
    {0xC0008000u, "USBD_STATUS_STATUS_NOT_MAPPED"},
    {0xC0010000u, "USBD_STATUS_CANCELED"},
    {0xC0020000u, "USBD_STATUS_ISO_NOT_ACCESSED_BY_HW"},
    {0xC0030000u, "USBD_STATUS_ISO_TD_ERROR"},
    {0xC0040000u, "USBD_STATUS_ISO_NA_LATE_USBPORT"},
    {0xC0050000u, "USBD_STATUS_ISO_NOT_ACCESSED_LATE"},
    {0xC0000F00u, "USBD_STATUS_INVALID_CONFIGURATION_DESCRIPTOR"},
    {0xC0005000u, "USBD_STATUS_INVALID_PIPE_FLAGS"},
    {0xC0009000u, "USBD_STATUS_HUB_INTERNAL_ERROR"},
    {0xC0100000u, "USBD_STATUS_BAD_DESCRIPTOR"},
    {0xC0100001u, "USBD_STATUS_BAD_DESCRIPTOR_BLEN"},
    {0xC0100002u, "USBD_STATUS_BAD_DESCRIPTOR_TYPE"},
    {0xC0100003u, "USBD_STATUS_BAD_INTERFACE_DESCRIPTOR"},
    {0xC0100004u, "USBD_STATUS_BAD_ENDPOINT_DESCRIPTOR"},
    {0xC0100005u, "USBD_STATUS_BAD_INTERFACE_ASSOC_DESCRIPTOR"},
    {0xC0100006u, "USBD_STATUS_BAD_CONFIG_DESC_LENGTH"},
    {0xC0100007u, "USBD_STATUS_BAD_NUMBER_OF_INTERFACES"},
    {0xC0100008u, "USBD_STATUS_BAD_NUMBER_OF_ENDPOINTS"},
    {0xC0100009u, "USBD_STATUS_BAD_ENDPOINT_ADDRESS"},
};

constexpr CODE_NAME kUsbdStatusFriendly[] = {
    {0x00000000u, "Success"},
    {0x00010000u, "Canceled"},
    {0x00020000u, "Canceling"},
    {0x40000000u, "Pending"},
    {0x80000005u, "Buffer Overflow"},
    {0xC0000000u, "Error"},
    {0xC0000001u, "CRC"},
    {0xC0000002u, "Bit Stuffing"},
    {0xC0000003u, "Data Toggle Mismatch"},
    {0xC0000004u, "Stall PID"},
    {0xC0000005u, "Device Not Responding"},
    {0xC0000006u, "PID Check Failure"},
    {0xC0000007u, "Unexpected PID"},
    {0xC0000008u, "Data Overrun"},
    {0xC0000009u, "Data Underrun"},
    {0xC000000Au, "Reserved 1"},
    {0xC000000Bu, "Reserved 2"},
    {0xC000000Cu, "Buffer Overrun"},
    {0xC000000Du, "Buffer Underrun"},
    {0xC000000Fu, "Not Accessed"},
    {0xC0000010u, "FIFO"},
    {0xC0000011u, "Transaction Error"},
    {0xC0000012u, "Babble Detected"},
    {0xC0000013u, "Data Buffer Error"},
    {0xC0000030u, "Endpoint Halted"},
    {0x80000100u, "No Memory"},
    {0x80000200u, "Invalid URB Function"},
    {0x80000300u, "Invalid Parameter"},
    {0x80000400u, "Busy"},
    {0x80000500u, "Request Failed"},
    {0x80000600u, "Invalid Pipe Handle"},
    {0x80000700u, "No Bandwidth"},
    {0x80000800u, "Internal Host Controller Error"},
    {0x80000900u, "Short Transfer"},
    {0xC0000A00u, "Bad Start Frame"},
    {0xC0000B00u, "Isochronous Request Failed"},
    {0xC0000C00u, "Frame Control Owned"},
    {0xC0000D00u, "Frame Control Not Owned"},
    {0xC0000E00u, "Not Supported"},
    {0xC0000F00u, "Invalid Configuration Descriptor"},
    {0xC0001000u, "Insufficient Resources"},
    {0xC0002000u, "Set Config Failed"},
    {0xC0003000u, "Buffer Too Small"},
    {0xC0004000u, "Interface Not Found"},
    {0xC0005000u, "Invalid Pipe Flags"},
    {0xC0006000u, "Timeout"},
    {0xC0007000u, "Device Gone"},
    {0xC0008000u, "Status Not Mapped"},
    {0xC0010000u, "Canceled"},
    {0xC0020000u, "Isochronous Not Accessed by Hardware"},
    {0xC0030000u, "Isochronous TD Error"},
    {0xC0040000u, "Isochronous Not Accessed Late (USB Port)"},
    {0xC0050000u, "Isochronous Not Accessed Late"},
    {0xC0009000u, "Hub Internal Error"},
    {0xC0100000u, "Bad Descriptor"},
    {0xC0100001u, "Bad Descriptor Length"},
    {0xC0100002u, "Bad Descriptor Type"},
    {0xC0100003u, "Bad Interface Descriptor"},
    {0xC0100004u, "Bad Endpoint Descriptor"},
    {0xC0100005u, "Bad Interface Association Descriptor"},
    {0xC0100006u, "Bad Configuration Descriptor Length"},
    {0xC0100007u, "Bad Number of Interfaces"},
    {0xC0100008u, "Bad Number of Endpoints"},
    {0xC0100009u, "Bad Endpoint Address"},
};

constexpr CODE_NAME kUrbFunctionSymbolic[] = {
    {0x00000000u, "URB_FUNCTION_SELECT_CONFIGURATION"},
    {0x00000001u, "URB_FUNCTION_SELECT_INTERFACE"},
    {0x00000002u, "URB_FUNCTION_ABORT_PIPE"},
    {0x00000003u, "URB_FUNCTION_TAKE_FRAME_LENGTH_CONTROL"},
    {0x00000004u, "URB_FUNCTION_RELEASE_FRAME_LENGTH_CONTROL"},
    {0x00000005u, "URB_FUNCTION_GET_FRAME_LENGTH"},
    {0x00000006u, "URB_FUNCTION_SET_FRAME_LENGTH"},
    {0x00000007u, "URB_FUNCTION_GET_CURRENT_FRAME_NUMBER"},
    {0x00000008u, "URB_FUNCTION_CONTROL_TRANSFER"},
    {0x00000009u, "URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER"},
    {0x0000000Au, "URB_FUNCTION_ISOCH_TRANSFER"},
    {0x0000000Bu, "URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE"},
    {0x0000000Cu, "URB_FUNCTION_SET_DESCRIPTOR_TO_DEVICE"},
    {0x0000000Du, "URB_FUNCTION_SET_FEATURE_TO_DEVICE"},
    {0x0000000Eu, "URB_FUNCTION_SET_FEATURE_TO_INTERFACE"},
    {0x0000000Fu, "URB_FUNCTION_SET_FEATURE_TO_ENDPOINT"},
    {0x00000010u, "URB_FUNCTION_CLEAR_FEATURE_TO_DEVICE"},
    {0x00000011u, "URB_FUNCTION_CLEAR_FEATURE_TO_INTERFACE"},
    {0x00000012u, "URB_FUNCTION_CLEAR_FEATURE_TO_ENDPOINT"},
    {0x00000013u, "URB_FUNCTION_GET_STATUS_FROM_DEVICE"},
    {0x00000014u, "URB_FUNCTION_GET_STATUS_FROM_INTERFACE"},
    {0x00000015u, "URB_FUNCTION_GET_STATUS_FROM_ENDPOINT"},
    {0x00000016u, "URB_FUNCTION_RESERVED_0X0016"},
    {0x00000017u, "URB_FUNCTION_VENDOR_DEVICE"},
    {0x00000018u, "URB_FUNCTION_VENDOR_INTERFACE"},
    {0x00000019u, "URB_FUNCTION_VENDOR_ENDPOINT"},
    {0x0000001Au, "URB_FUNCTION_CLASS_DEVICE"},
    {0x0000001Bu, "URB_FUNCTION_CLASS_INTERFACE"},
    {0x0000001Cu, "URB_FUNCTION_CLASS_ENDPOINT"},
    {0x0000001Du, "URB_FUNCTION_RESERVE_0X001D"},
    {0x0000001Eu, "URB_FUNCTION_SYNC_RESET_PIPE_AND_CLEAR_STALL"},
    {0x0000001Fu, "URB_FUNCTION_CLASS_OTHER"},
    {0x00000020u, "URB_FUNCTION_VENDOR_OTHER"},
    {0x00000021u, "URB_FUNCTION_GET_STATUS_FROM_OTHER"},
    {0x00000022u, "URB_FUNCTION_CLEAR_FEATURE_TO_OTHER"},
    {0x00000023u, "URB_FUNCTION_SET_FEATURE_TO_OTHER"},
    {0x00000024u, "URB_FUNCTION_GET_DESCRIPTOR_FROM_ENDPOINT"},
    {0x00000025u, "URB_FUNCTION_SET_DESCRIPTOR_TO_ENDPOINT"},
    {0x00000026u, "URB_FUNCTION_GET_CONFIGURATION"},
    {0x00000027u, "URB_FUNCTION_GET_INTERFACE"},
    {0x00000028u, "URB_FUNCTION_GET_DESCRIPTOR_FROM_INTERFACE"},
    {0x00000029u, "URB_FUNCTION_SET_DESCRIPTOR_TO_INTERFACE"},
    {0x0000002Au, "URB_FUNCTION_GET_MS_FEATURE_DESCRIPTOR"},
    {0x0000002Bu, "URB_FUNCTION_RESERVE_0X002B"},
    {0x0000002Cu, "URB_FUNCTION_RESERVE_0X002C"},
    {0x0000002Du, "URB_FUNCTION_RESERVE_0X002D"},
    {0x0000002Eu, "URB_FUNCTION_RESERVE_0X002E"},
    {0x0000002Fu, "URB_FUNCTION_RESERVE_0X002F"},
    {0x00000030u, "URB_FUNCTION_SYNC_RESET_PIPE"},
    {0x00000031u, "URB_FUNCTION_SYNC_CLEAR_STALL"},
    {0x00000032u, "URB_FUNCTION_CONTROL_TRANSFER_EX"},
    {0x00000033u, "URB_FUNCTION_SET_PIPE_IO_POLICY"},
    {0x00000034u, "URB_FUNCTION_GET_PIPE_IO_POLICY"},
    {0x00000035u, "URB_FUNCTION_OPEN_STATIC_STREAMS"},
    {0x00000036u, "URB_FUNCTION_CLOSE_STATIC_STREAMS"},
    {0x00000037u, "URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER_USING_CHAINED_MDL"},
    {0x00000038u, "URB_FUNCTION_ISOCH_TRANSFER_USING_CHAINED_MDL"},
};

constexpr CODE_NAME kUrbFunctionFriendly[] = {
    {0x00000000u, "Select Configuration"},
    {0x00000001u, "Select Interface"},
    {0x00000002u, "Abort Pipe"},
    {0x00000003u, "Take Frame Length Control"},
    {0x00000004u, "Release Frame Length Control"},
    {0x00000005u, "Get Frame Length"},
    {0x00000006u, "Set Frame Length"},
    {0x00000007u, "Get Current Frame Number"},
    {0x00000008u, "Control Transfer"},
    {0x00000009u, "Bulk or Interrupt Transfer"},
    {0x0000000Au, "Isochronous Transfer"},
    {0x0000000Bu, "Get Descriptor from Device"},
    {0x0000000Cu, "Set Descriptor to Device"},
    {0x0000000Du, "Set Feature to Device"},
    {0x0000000Eu, "Set Feature to Interface"},
    {0x0000000Fu, "Set Feature to Endpoint"},
    {0x00000010u, "Clear Feature to Device"},
    {0x00000011u, "Clear Feature to Interface"},
    {0x00000012u, "Clear Feature to Endpoint"},
    {0x00000013u, "Get Status from Device"},
    {0x00000014u, "Get Status from Interface"},
    {0x00000015u, "Get Status from Endpoint"},
    {0x00000016u, "Reserved"},
    {0x00000017u, "Vendor Device"},
    {0x00000018u, "Vendor Interface"},
    {0x00000019u, "Vendor Endpoint"},
    {0x0000001Au, "Class Device"},
    {0x0000001Bu, "Class Interface"},
    {0x0000001Cu, "Class Endpoint"},
    {0x0000001Du, "Reserved"},
    {0x0000001Eu, "Sync Reset Pipe and Clear Stall"},
    {0x0000001Fu, "Class Other"},
    {0x00000020u, "Vendor Other"},
    {0x00000021u, "Get Status from Other"},
    {0x00000022u, "Clear Feature to Other"},
    {0x00000023u, "Set Feature to Other"},
    {0x00000024u, "Get Descriptor from Endpoint"},
    {0x00000025u, "Set Descriptor to Endpoint"},
    {0x00000026u, "Get Configuration"},
    {0x00000027u, "Get Interface"},
    {0x00000028u, "Get Descriptor from Interface"},
    {0x00000029u, "Set Descriptor to Interface"},
    {0x0000002Au, "Get MS Feature Descriptor"},
    {0x0000002Bu, "Reserved"},
    {0x0000002Cu, "Reserved"},
    {0x0000002Du, "Reserved"},
    {0x0000002Eu, "Reserved"},
    {0x0000002Fu, "Reserved"},
    {0x00000030u, "Sync Reset Pipe"},
    {0x00000031u, "Sync Clear Stall"},
    {0x00000032u, "Control Transfer Ex"},
    {0x00000033u, "Set Pipe IO Policy"},
    {0x00000034u, "Get Pipe IO Policy"},
    {0x00000035u, "Open Static Streams"},
    {0x00000036u, "Close Static Streams"},
    {0x00000037u, "Bulk or Interrupt Transfer using Chained MDL"},
    {0x00000038u, "Isochronous Transfer using Chained MDL"},
};

constexpr CODE_NAME kPnpMinorSymbolic[] = {
    {0x00000000u, "IRP_MN_START_DEVICE"},
    {0x00000001u, "IRP_MN_QUERY_REMOVE_DEVICE"},
    {0x00000002u, "IRP_MN_REMOVE_DEVICE"},
    {0x00000003u, "IRP_MN_CANCEL_REMOVE_DEVICE"},
    {0x00000004u, "IRP_MN_STOP_DEVICE"},
    {0x00000005u, "IRP_MN_QUERY_STOP_DEVICE"},
    {0x00000006u, "IRP_MN_CANCEL_STOP_DEVICE"},
    {0x00000007u, "IRP_MN_QUERY_DEVICE_RELATIONS"},
    {0x00000008u, "IRP_MN_QUERY_INTERFACE"},
    {0x00000009u, "IRP_MN_QUERY_CAPABILITIES"},
    {0x0000000Au, "IRP_MN_QUERY_RESOURCES"},
    {0x0000000Bu, "IRP_MN_QUERY_RESOURCE_REQUIREMENTS"},
    {0x0000000Cu, "IRP_MN_QUERY_DEVICE_TEXT"},
    {0x0000000Du, "IRP_MN_FILTER_RESOURCE_REQUIREMENTS"},
    {0x0000000Fu, "IRP_MN_READ_CONFIG"},
    {0x00000010u, "IRP_MN_WRITE_CONFIG"},
    {0x00000011u, "IRP_MN_EJECT"},
    {0x00000012u, "IRP_MN_SET_LOCK"},
    {0x00000013u, "IRP_MN_QUERY_ID"},
    {0x00000014u, "IRP_MN_QUERY_PNP_DEVICE_STATE"},
    {0x00000015u, "IRP_MN_QUERY_BUS_INFORMATION"},
    {0x00000016u, "IRP_MN_DEVICE_USAGE_NOTIFICATION"},
    {0x00000017u, "IRP_MN_SURPRISE_REMOVAL"},
    {0x00000018u, "IRP_MN_QUERY_LEGACY_BUS_INFORMATION"},
};

constexpr CODE_NAME kPnpMinorFriendly[] = {
    {0x00000000u, "Start Device"},
    {0x00000001u, "Query Remove Device"},
    {0x00000002u, "Remove Device"},
    {0x00000003u, "Cancel Remove Device"},
    {0x00000004u, "Stop Device"},
    {0x00000005u, "Query Stop Device"},
    {0x00000006u, "Cancel Stop Device"},
    {0x00000007u, "Query Device Relations"},
    {0x00000008u, "Query Interface"},
    {0x00000009u, "Query Capabilities"},
    {0x0000000Au, "Query Resources"},
    {0x0000000Bu, "Query Resource Requirements"},
    {0x0000000Cu, "Query Device Text"},
    {0x0000000Du, "Filter Resource Requirements"},
    {0x0000000Fu, "Read Config"},
    {0x00000010u, "Write Config"},
    {0x00000011u, "Eject"},
    {0x00000012u, "Set Lock"},
    {0x00000013u, "Query ID"},
    {0x00000014u, "Query Pnp Device State"},
    {0x00000015u, "Query Bus Information"},
    {0x00000016u, "Device Usage Notification"},
    {0x00000017u, "Surprise Removal"},
    {0x00000018u, "Query Legacy Bus Information"},
};

constexpr CODE_NAME kPowerMinorSymbolic[] = {
    {0x00000000u, "IRP_MN_WAIT_WAKE"},
    {0x00000001u, "IRP_MN_POWER_SEQUENCE"},
    {0x00000002u, "IRP_MN_SET_POWER"},
    {0x00000003u, "IRP_MN_QUERY_POWER"},
};

constexpr CODE_NAME kPowerMinorFriendly[] = {
    {0x00000000u, "Wait Wake"},
    {0x00000001u, "Power Sequence"},
    {0x00000002u, "Set Power"},
    {0x00000003u, "Query Power"},
};

constexpr CODE_NAME kInternalUsbIoctlSymbolic[] = {
    {0x00220003u, "IOCTL_INTERNAL_USB_SUBMIT_URB"},
    {0x00220007u, "IOCTL_INTERNAL_USB_RESET_PORT"},
    {0x0022000Fu, "IOCTL_INTERNAL_USB_GET_ROOTHUB_PDO"},
    {0x00220013u, "IOCTL_INTERNAL_USB_GET_PORT_STATUS"},
    {0x00220017u, "IOCTL_INTERNAL_USB_ENABLE_PORT"},
    {0x0022001Bu, "IOCTL_INTERNAL_USB_GET_HUB_COUNT"},
    {0x0022001Fu, "IOCTL_INTERNAL_USB_CYCLE_PORT"},
    {0x00220020u, "IOCTL_INTERNAL_USB_GET_HUB_NAME"},
    {0x00220420u, "IOCTL_INTERNAL_USB_GET_BUS_INFO"},
    {0x00220424u, "IOCTL_INTERNAL_USB_GET_CONTROLLER_NAME"},
    {0x00220428u, "IOCTL_INTERNAL_USB_GET_BUSGUID_INFO"},
    {0x0022042Cu, "IOCTL_INTERNAL_USB_GET_PARENT_HUB_INFO"},
    {0x00220027u, "IOCTL_INTERNAL_USB_SUBMIT_IDLE_NOTIFICATION"},
    {0x00220433u, "IOCTL_INTERNAL_USB_GET_DEVICE_HANDLE"},
};

constexpr CODE_NAME kInternalUsbIoctlFriendly[] = {
    {0x00220003u, "Internal USB Submit URB"},
    {0x00220007u, "Internal USB Reset Port"},
    {0x0022000Fu, "Internal USB Get Roothub PDO"},
    {0x00220013u, "Internal USB Get Port Status"},
    {0x00220017u, "Internal USB Enable Port"},
    {0x0022001Bu, "Internal USB Get Hub Count"},
    {0x0022001Fu, "Internal USB Cycle Port"},
    {0x00220020u, "Internal USB Get Hub Name"},
    {0x00220420u, "Internal USB Get Bus Info"},
    {0x00220424u, "Internal USB Get Controller Name"},
    {0x00220428u, "Internal USB Get Bus GUID Info"},
    {0x0022042Cu, "Internal USB Get Parent Hub Info"},
    {0x00220027u, "Internal USB Submit Idle Notification"},
    {0x00220433u, "Internal USB Get Device Handle"},
};

constexpr CODE_NAME kHcdIoctlSymbolic[] = {
    {0x002203FCu, "IOCTL_USB_HCD_GET_STATS_1"},
    {0x00220400u, "IOCTL_USB_DIAGNOSTIC_MODE_ON"},
    {0x00220404u, "IOCTL_USB_DIAGNOSTIC_MODE_OFF"},
    {0x00220408u, "IOCTL_USB_GET_ROOT_HUB_NAME"},
    {0x00220428u, "IOCTL_USB_HCD_GET_STATS_2"},
    {0x00220424u, "IOCTL_GET_HCD_DRIVERKEY_NAME"},
    {0x00220430u, "IOCTL_USB_HCD_DISABLE_PORT"},
    {0x00220434u, "IOCTL_USB_HCD_ENABLE_PORT"},
    {0x00220438u, "IOCTL_USB_USER_REQUEST"},
};

constexpr CODE_NAME kHcdIoctlFriendly[] = {
    {0x002203FCu, "USB HCD Get Stats 1"},
    {0x00220400u, "USB Diagnostic Mode On"},
    {0x00220404u, "USB Diagnostic Mode Off"},
    {0x00220408u, "USB Get Root Hub Name"},
    {0x00220428u, "USB HCD Get Stats 2"},
    {0x00220424u, "Get HCD Driver Key Name"},
    {0x00220430u, "USB HCD Disable Port"},
    {0x00220434u, "USB HCD Enable Port"},
    {0x00220438u, "USB User Request"},
};

constexpr CODE_NAME kHubIoctlSymbolic[] = {
    {0x00220408u, "IOCTL_USB_GET_NODE_INFORMATION"},
    {0x0022040Cu, "IOCTL_USB_GET_NODE_CONNECTION_INFORMATION"},
    {0x00220410u, "IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION"},
    {0x00220414u, "IOCTL_USB_GET_NODE_CONNECTION_NAME"},
    {0x00220418u, "IOCTL_USB_DIAG_IGNORE_HUBS_ON"},
    {0x0022041Cu, "IOCTL_USB_DIAG_IGNORE_HUBS_OFF"},
    {0x00220420u, "IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME"},
    {0x0022043Cu, "IOCTL_USB_GET_HUB_CAPABILITIES"},
    {0x00220440u, "IOCTL_USB_GET_NODE_CONNECTION_ATTRIBUTES"},
    {0x00220444u, "IOCTL_USB_HUB_CYCLE_PORT"},
    {0x00220448u, "IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX"},
    {0x00220450u, "IOCTL_USB_GET_HUB_CAPABILITIES_EX"},
};

constexpr CODE_NAME kHubIoctlFriendly[] = {
    {0x00220408u, "USB Get Node Information"},
    {0x0022040Cu, "USB Get Node Connection Information"},
    {0x00220410u, "USB Get Descriptor from Node Connection"},
    {0x00220414u, "USB Get Node Connection Name"},
    {0x00220418u, "USB Diagnostic Ignore Hubs On"},
    {0x0022041Cu, "USB Diagnostic Ignore Hubs Off"},
    {0x00220420u, "USB Get Node Connection Driver Key Name"},
    {0x0022043Cu, "USB Get Hub Capabilities"},
    {0x00220440u, "USB Get Node Connection Attributes"},
    {0x00220444u, "USB Hub Cycle Port"},
    {0x00220448u, "USB Get Node Connection Information Ex"},
    {0x00220450u, "USB Get Hub Capabilities Ex"},
};

constexpr CODE_NAME kDevicePowerStateSymbolic[] = {
    {0x00000000u, "PowerDeviceUnspecified"},
    {0x00000001u, "PowerDeviceD0"},
    {0x00000002u, "PowerDeviceD1"},
    {0x00000003u, "PowerDeviceD2"},
    {0x00000004u, "PowerDeviceD3"},
    {0x00000005u, "PowerDeviceMaximum"},
};

constexpr CODE_NAME kDevicePowerStateFriendly[] = {
    {0x00000000u, "Unspecified"},
    {0x00000001u, "D0"},
    {0x00000002u, "D1"},
    {0x00000003u, "D2"},
    {0x00000004u, "D3"},
};

constexpr CODE_NAME kSystemPowerStateSymbolic[] = {
    {0x00000000u, "PowerSystemUnspecified"},
    {0x00000001u, "PowerSystemWorking"},
    {0x00000002u, "PowerSystemSleeping1"},
    {0x00000003u, "PowerSystemSleeping2"},
    {0x00000004u, "PowerSystemSleeping3"},
    {0x00000005u, "PowerSystemHibernate"},
    {0x00000006u, "PowerSystemShutdown"},
    {0x00000007u, "PowerSystemMaximum"},
};

constexpr CODE_NAME kSystemPowerStateFriendly[] = {
    {0x00000000u, "Unspecified"},
    {0x00000001u, "S0 (Working)"},
    {0x00000002u, "S1 (Sleeping1)"},
    {0x00000003u, "S2 (Sleeping2)"},
    {0x00000004u, "S3 (Sleeping3)"},
    {0x00000005u, "S4 (Hibernate)"},
    {0x00000006u, "S5 (Shutdown)"},
};

constexpr CODE_NAME kPnpDeviceStateSymbolic[] = {
    {0x00000001u, "PNP_DEVICE_DISABLED"},
    {0x00000002u, "PNP_DEVICE_DONT_DISPLAY_IN_UI"},
    {0x00000004u, "PNP_DEVICE_FAILED"},
    {0x00000008u, "PNP_DEVICE_REMOVED"},
    {0x00000010u, "PNP_DEVICE_RESOURCE_REQUIREMENTS_CHANGED"},
    {0x00000020u, "PNP_DEVICE_NOT_DISABLEABLE"},
};

constexpr CODE_NAME kPnpDeviceStateFriendly[] = {
    {0x00000001u, "Disabled"},
    {0x00000002u, "Don't Display In UI"},
    {0x00000004u, "Failed"},
    {0x00000008u, "Removed"},
    {0x00000010u, "Resource Requirements Changed"},
    {0x00000020u, "Not Disableable"},
};

constexpr CODE_NAME kDeviceProblemTexts[] = {
    {0x00000001u, "This device is not configured correctly"},
    {0x00000003u, "The system may be running low on memory or other resources"},
    {0x00000009u, "Invalid device IDs have been detected"},
    {0x0000000Au, "The device failed to start"},
    {0x0000000Cu, "The device cannot find enough free resources that it can use"},
    {0x0000000Eu, "The system must be restarted"},
    {0x00000010u, "The device is only partially configured"},
    {0x00000012u, "Drivers must be reinstalled"},
    {0x00000013u, "A registry problem was detected"},
    {0x00000015u, "The system will remove the device"},
    {0x00000016u, "The device is disabled"},
    {0x00000018u, "The device doesn't appear to be present"},
    {0x0000001Cu, "The device's drivers are not installed"},
    {0x0000001Du, "The device is disabled"},
    {0x0000001Fu, "A driver's attempt to add a device failed"},
    {0x00000020u, "The driver has been disabled"},
    {0x00000021u, "Resource translation failed"},
    {0x00000022u, "The device requires a forced configuration"},
    {0x00000023u, "The device is missing in BIOS table"},
    {0x00000024u, "IRQ translation failed"},
    {0x00000025u, "The driver returned failure from its DriverEntry routine"},
    {0x00000026u, "The driver could not be loaded because a previous instance is still loaded"},
    {0x00000027u, "The driver could not be loaded"},
    {0x00000028u, "Information in the registry's service key for the driver is invalid"},
    {0x00000029u, "The driver was loaded but the system cannot find the device"},
    {0x0000002Au, "Two devices were discovered with the same name"},
    {0x0000002Bu, "The driver has reported a device failure"},
    {0x0000002Cu, "The device has been stopped"},
    {0x0000002Du, "The device is not present"},
    {0x0000002Eu, "The device is not available because the system is shutting down"},
    {0x0000002Fu, "The device has been prepared for ejection"},
    {0x00000031u, "The registry is too large"},
    {0x00000032u, "Device properties cannot be set"},
};

constexpr CODE_NAME kDevNodeStatusFlags[] = {
    {0x00000001u, "DN_ROOT_ENUMERATED"},
    {0x00000002u, "DN_DRIVER_LOADED"},
    {0x00000004u, "DN_ENUM_LOADED"},
    {0x00000008u, "DN_STARTED"},
    {0x00000010u, "DN_MANUAL"},
    {0x00000020u, "DN_NEED_TO_ENUM"},
    {0x00000040u, "DN_NOT_FIRST_TIME"},
    {0x00000080u, "DN_HARDWARE_ENUM"},
    {0x00000100u, "DN_LIAR"},
    {0x00000200u, "DN_HAS_MARK"},
    {0x00000400u, "DN_HAS_PROBLEM"},
    {0x00000800u, "DN_FILTERED"},
    {0x00001000u, "DN_MOVED"},
    {0x00002000u, "DN_DISABLEABLE"},
    {0x00004000u, "DN_REMOVABLE"},
    {0x00008000u, "DN_PRIVATE_PROBLEM"},
    {0x00010000u, "DN_MF_PARENT"},
    {0x00020000u, "DN_MF_CHILD"},
    {0x00040000u, "DN_WILL_BE_REMOVED"},
    {0x00080000u, "DN_NOT_FIRST_TIMEE"},
    {0x00100000u, "DN_STOP_FREE_RES"},
    {0x00200000u, "DN_REBAL_CANDIDATE"},
    {0x00400000u, "DN_BAD_PARTIAL"},
    {0x00800000u, "DN_NT_ENUMERATOR"},
    {0x01000000u, "DN_NT_DRIVER"},
    {0x02000000u, "DN_NEEDS_LOCKING"},
    {0x04000000u, "DN_ARM_WAKEUP"},
    {0x08000000u, "DN_APM_ENUMERATOR"},
    {0x10000000u, "DN_APM_DRIVER"},
    {0x20000000u, "DN_SILENT_INSTALL"},
    {0x40000000u, "DN_NO_SHOW_IN_DM"},
    {0x80000000u, "DN_BOOT_LOG_PROB"},
};

// IOCTL device types 1-59, FILE_DEVICE_* in numeric order.
constexpr const char* kIoctlDeviceTypes[] = {
    nullptr,
    "FILE_DEVICE_BEEP", "FILE_DEVICE_CD_ROM", "FILE_DEVICE_CD_ROM_FILE_SYSTEM", "FILE_DEVICE_CONTROLLER",
    "FILE_DEVICE_DATALINK", "FILE_DEVICE_DFS", "FILE_DEVICE_DISK", "FILE_DEVICE_DISK_FILE_SYSTEM",
    "FILE_DEVICE_FILE_SYSTEM", "FILE_DEVICE_INPORT_PORT", "FILE_DEVICE_KEYBOARD", "FILE_DEVICE_MAILSLOT",
    "FILE_DEVICE_MIDI_IN", "FILE_DEVICE_MIDI_OUT", "FILE_DEVICE_MOUSE", "FILE_DEVICE_MULTI_UNC_PROVIDER",
    "FILE_DEVICE_NAMED_PIPE", "FILE_DEVICE_NETWORK", "FILE_DEVICE_NETWORK_BROWSER",
    "FILE_DEVICE_NETWORK_FILE_SYSTEM", "FILE_DEVICE_NULL", "FILE_DEVICE_PARALLEL_PORT",
    "FILE_DEVICE_PHYSICAL_NETCARD", "FILE_DEVICE_PRINTER", "FILE_DEVICE_SCANNER", "FILE_DEVICE_SERIAL_MOUSE_PORT",
    "FILE_DEVICE_SERIAL_PORT", "FILE_DEVICE_SCREEN", "FILE_DEVICE_SOUND", "FILE_DEVICE_STREAMS",
    "FILE_DEVICE_TAPE", "FILE_DEVICE_TAPE_FILE_SYSTEM", "FILE_DEVICE_TRANSPORT", "FILE_DEVICE_UNKNOWN",
    "FILE_DEVICE_VIDEO", "FILE_DEVICE_VIRTUAL_DISK", "FILE_DEVICE_WAVE_IN", "FILE_DEVICE_WAVE_OUT",
    "FILE_DEVICE_8042_PORT", "FILE_DEVICE_NETWORK_REDIRECTOR", "FILE_DEVICE_BATTERY", "FILE_DEVICE_BUS_EXTENDER",
    "FILE_DEVICE_MODEM", "FILE_DEVICE_VDM", "FILE_DEVICE_MASS_STORAGE", "FILE_DEVICE_SMB", "FILE_DEVICE_KS",
    "FILE_DEVICE_CHANGER", "FILE_DEVICE_SMARTCARD", "FILE_DEVICE_ACPI", "FILE_DEVICE_DVD",
    "FILE_DEVICE_FULLSCREEN_VIDEO", "FILE_DEVICE_DFS_FILE_SYSTEM", "FILE_DEVICE_DFS_VOLUME",
    "FILE_DEVICE_SERENUM", "FILE_DEVICE_TERMSRV", "FILE_DEVICE_KSEC", "FILE_DEVICE_FIPS",
    "FILE_DEVICE_INFINIBAND",
};
static_assert(std::size(kIoctlDeviceTypes) == 60);

constexpr const char* kIoctlMethods[] = {"METHOD_BUFFERED", "METHOD_IN_DIRECT", "METHOD_OUT_DIRECT",
                                         "METHOD_NEITHER"};
constexpr const char* kIoctlAccess[] = {"FILE_ANY_ACCESS", "FILE_READ_ACCESS", "FILE_WRITE_ACCESS",
                                        "FILE_READ_ACCESS | FILE_WRITE_ACCESS"};

// Symbolic entries first, the friendly ones the same number of entries later.
constexpr const char* kInterfaceTypes[] = {
    "Internal", "Isa", "Eisa", "MicroChannel", "TurboChannel", "PCIBus", "VMEBus", "NuBus", "PCMCIABus",
    "CBus", "MPIBus", "MPSABus", "ProcessorInternal", "InternalPowerBus", "PNPISABus", "PNPBus", "Vmcs",
    "ACPIBus",
    "For Internal Use Only", "ISA Bus Driver", "EISA Bus Driver", "MicroChannel Bus Driver",
    "TurboChannel Bus Driver", "PCI Bus Driver", "VME Bus Driver", "NuBus Bus Driver", "PCMCIA Bus Driver",
    "CBus Bus Driver", "MPI Bus Driver", "MPSA Bus Driver", "Processor Internal", "For Internal Power Bus",
    "PnP ISA Bus Driver", "PnP Bus Driver", "VMCS Bus Driver", "ACPI Bus Driver",
};
constexpr const char* kRelationTypes[] = {
    "BusRelations", "EjectionRelations", "PowerRelations", "RemovalRelations", "TargetDeviceRelation",
    "SingleBusRelations", "TransportRelations",
    "Bus Relations", "Ejection Relations", "Power Relations", "Removal Relations", "Target Device Relation",
    "Single Bus Relations", "Transport Relations",
};
constexpr const char* kQueryIdTypes[] = {
    "BusQueryDeviceID", "BusQueryHardwareIDs", "BusQueryCompatibleIDs", "BusQueryInstanceID",
    "BusQueryDeviceSerialNumber", "BusQueryContainerID",
    "Device ID", "Hardware IDs", "Compatible IDs", "Instance ID", "Device Serial Number", "Container ID",
};
constexpr const char* kDeviceTextTypes[] = {
    "DeviceTextDescription", "DeviceTextLocationInformation",
    "Description", "Location Information",
};
constexpr const char* kUsageTypes[] = {
    "DeviceUsageTypeUndefined", "DeviceUsageTypePaging", "DeviceUsageTypeHibernation", "DeviceUsageTypeDumpFile",
    "Undefined", "Paging File", "Hibernation File", "Crush Dump File",
};

constexpr const char* kUsbdiVersions[] = {"USB_BUSIF_USBDI_VERSION_0", "USB_BUSIF_USBDI_VERSION_1",
                                          "USB_BUSIF_USBDI_VERSION_2", "USB_BUSIF_USBDI_VERSION_3",
                                          "0", "1", "2", "3"};
constexpr const char* kHubVersions[] = {
    "USB_BUSIF_HUB_VERSION_0", "USB_BUSIF_HUB_VERSION_1", "USB_BUSIF_HUB_VERSION_2", "USB_BUSIF_HUB_VERSION_3",
    "USB_BUSIF_HUB_VERSION_4", "USB_BUSIF_HUB_VERSION_5", "USB_BUSIF_HUB_VERSION_6",
    "0", "1", "2", "3", "4", "5", "6"};

constexpr CODE_NAME kIrpMajors[] = {
    {0x00, "IRP_MJ_CREATE"}, {0x01, "IRP_MJ_CREATE_NAMED_PIPE"}, {0x02, "IRP_MJ_CLOSE"},
    {0x03, "IRP_MJ_READ"}, {0x04, "IRP_MJ_WRITE"}, {0x05, "IRP_MJ_QUERY_INFORMATION"},
    {0x06, "IRP_MJ_SET_INFORMATION"}, {0x07, "IRP_MJ_QUERY_EA"}, {0x08, "IRP_MJ_SET_EA"},
    {0x09, "IRP_MJ_FLUSH_BUFFERS"}, {0x0A, "IRP_MJ_QUERY_VOLUME_INFORMATION"},
    {0x0B, "IRP_MJ_SET_VOLUME_INFORMATION"}, {0x0C, "IRP_MJ_DIRECTORY_CONTROL"},
    {0x0D, "IRP_MJ_FILE_SYSTEM_CONTROL"}, {0x0E, "IRP_MJ_DEVICE_CONTROL"},
    {0x0F, "IRP_MJ_INTERNAL_DEVICE_CONTROL"}, {0x10, "IRP_MJ_SHUTDOWN"}, {0x11, "IRP_MJ_LOCK_CONTROL"},
    {0x12, "IRP_MJ_CLEANUP"}, {0x13, "IRP_MJ_CREATE_MAILSLOT"}, {0x14, "IRP_MJ_QUERY_SECURITY"},
    {0x15, "IRP_MJ_SET_SECURITY"}, {0x16, "IRP_MJ_POWER"}, {0x17, "IRP_MJ_SYSTEM_CONTROL"},
    {0x18, "IRP_MJ_DEVICE_CHANGE"}, {0x19, "IRP_MJ_QUERY_QUOTA"}, {0x1A, "IRP_MJ_SET_QUOTA"},
    {0x1B, "IRP_MJ_PNP"},
};
constexpr CODE_NAME kObjectTypes[] = {
    {1, "IO_TYPE_ADAPTER"}, {2, "IO_TYPE_CONTROLLER"}, {3, "IO_TYPE_DEVICE"}, {4, "IO_TYPE_DRIVER"},
    {5, "IO_TYPE_FILE"}, {6, "IO_TYPE_IRP"}, {7, "IO_TYPE_MASTER_ADAPTER"}, {8, "IO_TYPE_OPEN_PACKET"},
    {9, "IO_TYPE_TIMER"}, {10, "IO_TYPE_VPB"}, {11, "IO_TYPE_ERROR_LOG"}, {12, "IO_TYPE_ERROR_MESSAGE"},
    {13, "IO_TYPE_DEVICE_OBJECT_EXTENSION"},
};
constexpr CODE_NAME kProcessorModes[] = {{0, "KernelMode"}, {1, "UserMode"}, {2, "MaximumMode"}};
constexpr CODE_NAME kBooleans[] = {{0, "FALSE"}, {1, "TRUE"}};
constexpr CODE_NAME kPowerStateTypes[] = {{0, "SystemPowerState"}, {1, "DevicePowerState"}};
constexpr CODE_NAME kPowerActions[] = {
    {0, "PowerActionNone"}, {1, "PowerActionReserved"}, {2, "PowerActionSleep"},
    {3, "PowerActionHibernate"}, {4, "PowerActionShutdown"}, {5, "PowerActionShutdownReset"},
    {6, "PowerActionShutdownOff"}, {7, "PowerActionWarmEject"},
};

constexpr const char* kIrpFlags[] = {
    "IRP_NOCACHE", "IRP_PAGING_IO", "IRP_SYNCHRONOUS_API", "IRP_ASSOCIATED_IRP", "IRP_BUFFERED_IO",
    "IRP_DEALLOCATE_BUFFER", "IRP_INPUT_OPERATION", "IRP_CREATE_OPERATION", "IRP_READ_OPERATION",
    "IRP_WRITE_OPERATION", "IRP_CLOSE_OPERATION", "IRP_DEFER_IO_COMPLETION", "IRP_OB_QUERY_NAME",
    "IRP_HOLD_DEVICE_QUEUE", "IRP_RETRY_IO_COMPLETION", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, "IRP_DIAG_IS_SURROGATE", "IRP_DIAG_HAS_SURROGATE", nullptr, nullptr, nullptr,
    nullptr, "IRPFLAG_EXAMINE_TRACKED", "IRPFLAG_EXAMINE_NOT_TRACKED",
};
static_assert(std::size(kIrpFlags) == 32);
// Bit 7 is used by the I/O manager but has no published identifier.
constexpr const char* kAllocationFlags[] = {
    "IRP_QUOTA_CHARGED", "IRP_ALLOCATED_MUST_SUCCEED", "IRP_ALLOCATED_FIXED_SIZE", "IRP_LOOKASIDE_ALLOCATION",
};
constexpr const char* kStackControl[] = {
    "SL_PENDING_RETURNED", "Unknown", "Unknown", "Unknown", "Unknown",
    "SL_INVOKE_ON_CANCEL", "SL_INVOKE_ON_SUCCESS", "SL_INVOKE_ON_ERROR",
};
constexpr const char* kCreateOptions[] = {
    "FILE_DIRECTORY_FILE", "FILE_WRITE_THROUGH", "FILE_SEQUENTIAL_ONLY", "FILE_NO_INTERMEDIATE_BUFFERING",
    "FILE_SYNCHRONOUS_IO_ALERT", "FILE_SYNCHRONOUS_IO_NONALERT", "FILE_NON_DIRECTORY_FILE",
    "FILE_CREATE_TREE_CONNECTION", "FILE_COMPLETE_IF_OPLOCKED", "FILE_NO_EA_KNOWLEDGE",
    "FILE_OPEN_FOR_RECOVERY", "FILE_RANDOM_ACCESS", "FILE_DELETE_ON_CLOSE", "FILE_OPEN_BY_FILE_ID",
    "FILE_OPEN_FOR_BACKUP_INTENT", "FILE_NO_COMPRESSION", "Unknown", "Unknown", "Unknown", "Unknown",
    "FILE_RESERVE_OPFILTER", "FILE_OPEN_REPARSE_POINT", "FILE_OPEN_NO_RECALL",
    "FILE_OPEN_FOR_FREE_SPACE_QUERY",
};
static_assert(std::size(kCreateOptions) == 24);
constexpr const char* kFileAttributes[] = {
    "FILE_ATTRIBUTE_READONLY", "FILE_ATTRIBUTE_HIDDEN", "FILE_ATTRIBUTE_SYSTEM", "OLD DOS VOLID",
    "FILE_ATTRIBUTE_DIRECTORY", "FILE_ATTRIBUTE_ARCHIVE", "FILE_ATTRIBUTE_DEVICE", "FILE_ATTRIBUTE_NORMAL",
    "FILE_ATTRIBUTE_TEMPORARY", "FILE_ATTRIBUTE_SPARSE_FILE", "FILE_ATTRIBUTE_REPARSE_POINT",
    "FILE_ATTRIBUTE_COMPRESSED", "FILE_ATTRIBUTE_OFFLINE", "FILE_ATTRIBUTE_NOT_CONTENT_INDEXED",
    "FILE_ATTRIBUTE_ENCRYPTED",
};
static_assert(std::size(kFileAttributes) == 15);
constexpr const char* kShareAccess[] = {"FILE_SHARE_READ", "FILE_SHARE_WRITE", "FILE_SHARE_DELETE"};
constexpr const char* kPortAttributes[] = {
    "USB_PORTATTR_NO_CONNECTOR", "USB_PORTATTR_SHARED_USB2", "USB_PORTATTR_MINI_CONNECTOR",
    "USB_PORTATTR_OEM_CONNECTOR", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "USB_PORTATTR_OWNED_BY_CC", "USB_PORTATTR_NO_OVERCURRENT_UI",
};
static_assert(std::size(kPortAttributes) == 26);

} // namespace

const char* NtStatusName(uint32_t status, int form) {
    return LookupCodeNamePair(status, form, kNtStatusSymbolic, kNtStatusFriendly);
}
const char* UsbdStatusName(uint32_t status, int form) {
    return LookupCodeNamePair(status, form, kUsbdStatusSymbolic, kUsbdStatusFriendly);
}
const char* UrbFunctionName(uint32_t function, int form) {
    return LookupCodeNamePair(function & 0xFFFF, form, kUrbFunctionSymbolic, kUrbFunctionFriendly);
}
const char* InternalUsbIoctlName(uint32_t ioctl, int form) {
    return LookupCodeNamePair(ioctl, form, kInternalUsbIoctlSymbolic, kInternalUsbIoctlFriendly);
}
const char* HcdIoctlName(uint32_t ioctl, int form) {
    return LookupCodeNamePair(ioctl, form, kHcdIoctlSymbolic, kHcdIoctlFriendly);
}
const char* HubIoctlName(uint32_t ioctl, int form) {
    return LookupCodeNamePair(ioctl, form, kHubIoctlSymbolic, kHubIoctlFriendly);
}
const char* DevicePowerStateName(uint32_t state, int form) {
    return LookupCodeNamePair(state, form, kDevicePowerStateSymbolic, kDevicePowerStateFriendly);
}
const char* SystemPowerStateName(uint32_t state, int form) {
    return LookupCodeNamePair(state, form, kSystemPowerStateSymbolic, kSystemPowerStateFriendly);
}
const char* MinorFunctionName(uint32_t major, uint32_t minor, int form) {
    minor &= 0xFF;
    if (major == 22) return LookupCodeNamePair(minor, form, kPowerMinorSymbolic, kPowerMinorFriendly);
    if (major == 27) return LookupCodeNamePair(minor, form, kPnpMinorSymbolic, kPnpMinorFriendly);
    return nullptr;
}
const char* PnpDeviceStateName(uint32_t state, int form) {
    return LookupCodeNamePair(state, form, kPnpDeviceStateSymbolic, kPnpDeviceStateFriendly);
}

const char* DeviceProblemText(uint32_t problem) { return LookupCodeName(problem, kDeviceProblemTexts); }
const char* DevNodeStatusFlagName(uint32_t flag) { return LookupCodeName(flag, kDevNodeStatusFlags); }

const char* IoctlDeviceTypeName(uint32_t deviceType) { return IndexedText(deviceType, kIoctlDeviceTypes); }
const char* IoctlMethodName(uint32_t ioctl) { return kIoctlMethods[ioctl & 3]; }
const char* IoctlAccessName(uint32_t ioctl) { return kIoctlAccess[(ioctl >> 14) & 3]; }

const char* InterfaceTypeName(uint32_t type, int form) { return HalvedName(type, form, kInterfaceTypes); }
const char* RelationTypeName(uint32_t type, int form) { return HalvedName(type, form, kRelationTypes); }
const char* QueryIdTypeName(uint32_t type, int form) { return HalvedName(type, form, kQueryIdTypes); }
const char* DeviceTextTypeName(uint32_t type, int form) { return HalvedName(type, form, kDeviceTextTypes); }
const char* UsageTypeName(uint32_t type, int form) { return HalvedName(type, form, kUsageTypes); }

const char* UsbdiBusInterfaceVersionName(uint32_t version, int form) {
    return HalvedName(version, form, kUsbdiVersions);
}
const char* HubBusInterfaceVersionName(uint32_t version, int form) {
    return HalvedName(version, form, kHubVersions);
}
const char* UsbcConfigurationInterfaceVersionName(uint32_t version, int form) {
    if (version != 1) return nullptr;
    return form == NAME_SYMBOLIC ? "USBC_DEVICE_CONFIGURATION_INTERFACE_VERSION_1" : "1";
}
const char* SwenumBusInterfaceVersionName(uint32_t version, int form) {
    if (version != 0x100) return nullptr;
    return form == NAME_SYMBOLIC ? "BUS_INTERFACE_SWENUM_VERSION" : "100h";
}

const std::span<const CODE_NAME> kIrpMajorFunctionNames = kIrpMajors;
const std::span<const CODE_NAME> kObjectTypeNames = kObjectTypes;
const std::span<const CODE_NAME> kProcessorModeNames = kProcessorModes;
const std::span<const CODE_NAME> kBooleanNames = kBooleans;
const std::span<const CODE_NAME> kPowerStateTypeNames = kPowerStateTypes;
const std::span<const CODE_NAME> kPowerActionNames = kPowerActions;

const BIT_NAMES kIrpFlagNames = {kIrpFlags};
const BIT_NAMES kAllocationFlagNames = {kAllocationFlags};
const BIT_NAMES kStackControlNames = {kStackControl};
const BIT_NAMES kCreateOptionNames = {kCreateOptions};
const BIT_NAMES kFileAttributeNames = {kFileAttributes};
const BIT_NAMES kShareAccessNames = {kShareAccess};
const BIT_NAMES kPortAttributeNames = {kPortAttributes};

} // namespace brx

#include "decode/RequestNames.h"

#include <iterator>

namespace brx {
namespace {

struct REQUEST_NAME {
    uint8_t request;
    const char* symbolic;
    const char* friendly;
    const char* description;
};

// Rows whose requests are told apart by bRequest alone.
template <size_t N>
const REQUEST_NAME* FindRequest(uint8_t request, const REQUEST_NAME (&rows)[N]) {
    for (const REQUEST_NAME& row : rows) {
        if (row.request == request) return &row;
    }
    return nullptr;
}

const char* NameOf(const REQUEST_NAME* row, int form) {
    if (!row) return nullptr;
    return form == NAME_SYMBOLIC ? row->symbolic : row->friendly;
}

bool IsClassRequest(const uint8_t* setup) { return setup && RequestTypeOf(setup[0]) == REQUEST_TYPE_CLASS; }

// ---- standard requests

constexpr REQUEST_NAME kStandardRequests[] = {
    {0, "GET_STATUS", "Get Status", "This request returns status for the specified recipient."},
    {1, "CLEAR_FEATURE", "Clear Feature", "This request is used to clear or disable a specific feature."},
    {2, "Reserved", "Reserved", nullptr},
    {3, "SET_FEATURE", "Set Feature", "This request is used to set or enable a specific feature."},
    {4, "Reserved", "Reserved", nullptr},
    {5, "SET_ADDRESS", "Set Address", "This request sets the device address for all future device accesses."},
    {6, "GET_DESCRIPTOR", "Get Descriptor", "This request returns the specified descriptor if the descriptor exists."},
    {7, "SET_DESCRIPTOR", "Set Descriptor",
     "This request is used to update existing descriptors or new descriptors may be added."},
    {8, "GET_CONFIGURATION", "Get Configuration",
     "This request returns the current device configuration value. If the value is zero, the device is not "
     "configured."},
    {9, "SET_CONFIGURATION", "Set Configuration",
     "This request sets the device configuration. If the configuration value is zero, the device is placed in "
     "its address state."},
    {10, "GET_INTERFACE", "Get Interface",
     "This request returns the selected alternate setting for the specified interface."},
    {11, "SET_INTERFACE", "Set Interface",
     "This request allows the host to select an alternate setting for the specified interface."},
    {12, "SYNCH_FRAME", "Synch Frame",
     "This request is used to set and then report an endpoint's synchronization frame."},
    {48, "SET_SEL", "Set SEL",
     "This request sets both the U1 and U2 System Exit Latency and the U1 or U2 exit latency for all the links "
     "between a device and a root port on the host."},
    {49, "SET_ISOCH_DELAY", "Set Isochronous Delay",
     "This request informs the device of the delay from the time a host transmits a packet to the time it is "
     "received by the device."},
};

// ---- hub class requests

struct TYPED_REQUEST {
    uint8_t request;
    uint8_t requestType;
    const char* symbolic;
    const char* friendly;
    const char* description;
};

constexpr const char kHubStatusFeature[] = "Clears or sets a feature reported in the hub status.";
constexpr const char kPortStatusFeature[] = "Clears or sets a feature reported in the port status.";

constexpr TYPED_REQUEST kHubRequests[] = {
    {0, 0xA0, "GET_STATUS", "Get Hub Status",
     "Returns the current hub status and the states that have changed since the previous acknowledgment."},
    {0, 0xA3, "GET_STATUS", "Get Port Status",
     "Returns the current port status and the states that have changed since the previous acknowledgment."},
    {1, 0x20, "CLEAR_FEATURE", "Clear Hub Feature", kHubStatusFeature},
    {1, 0x23, "CLEAR_FEATURE", "Clear Port Feature", kPortStatusFeature},
    {2, 0xA3, "GET_STATE", "Get Bus State",
     "Returns the bus state of the port's D+ and D- lines as sampled at the last EOF2 point."},
    {3, 0x20, "SET_FEATURE", "Set Hub Feature", kHubStatusFeature},
    {3, 0x23, "SET_FEATURE", "Set Port Feature", kPortStatusFeature},
    {6, 0xA0, "GET_DESCRIPTOR", "Get Hub Descriptor", "Returns the hub descriptor."},
    {7, 0x20, "SET_DESCRIPTOR", "Set Hub Descriptor", "Overwrites the hub descriptor."},
    {8, 0x23, "CLEAR_TT_BUFFER", "Clear TT Buffer",
     "Clears a bulk or control buffer of the Transaction Translator that was left busy or in an unknown state."},
    {9, 0x23, "RESET_TT", "Reset TT", "Returns the Transaction Translator of the port to a known state."},
    {10, 0xA3, "GET_TT_STATE", "Get TT State",
     "Returns the internal state of the Transaction Translator in a vendor-specific format."},
    {11, 0x23, "STOP_TT", "Stop TT",
     "Stops the Transaction Translator so that its internal state can be read with Get TT State."},
    {12, 0x20, "SET_HUB_DEPTH", "Set Hub Depth",
     "Sets the depth of the hub, which it uses as the index into the route string of a packet."},
    {13, 0xA3, "GET_PORT_ERR_COUNT", "Get Port Error Count",
     "Returns the number of link errors the hub has detected on the port."},
};

// Class requests named only with the bmRequestType their row allows.
template <size_t N>
const TYPED_REQUEST* FindTypedRequest(const uint8_t* setup, const TYPED_REQUEST (&rows)[N]) {
    if (!IsClassRequest(setup)) return nullptr;
    for (const TYPED_REQUEST& row : rows) {
        if (row.request == setup[1] && row.requestType == setup[0]) return &row;
    }
    return nullptr;
}

constexpr const char* kHubPortFeatures[] = {
    "PORT_CONNECTION", "PORT_ENABLE", "PORT_SUSPEND", "PORT_OVER_CURRENT", "PORT_RESET", nullptr, nullptr,
    nullptr, "PORT_POWER", "PORT_LOW_SPEED", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "C_PORT_CONNECTION", "C_PORT_ENABLE", "C_PORT_SUSPEND", "C_PORT_OVER_CURRENT", "C_PORT_RESET",
    "PORT_TEST", "PORT_INDICATOR", "PORT_U1_TIMEOUT", "PORT_U2_TIMEOUT", "C_PORT_LINK_STATE",
    "C_PORT_CONFIG_ERROR", "PORT_REMOTE_WAKE_MASK", "BH_PORT_RESET", "C_BH_PORT_RESET", "FORCE_LINKPM_ACCEPT",

    "Connect Status", "Enabled/Disabled", "Suspend", "Over-Current", "Reset", nullptr, nullptr, nullptr,
    "Port Power", "Low-Speed Device Attached", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "Connect Status Change", "Enable/Disable Change", "Suspend Change", "Over-Current Indicator Change",
    "Reset Change", "Test Mode", "Indicator Control", "U1 Inactivity Timeout", "U2 Inactivity Timeout",
    "Port Link State Change", "Port Config Error", "Port Remote Wake Mask", "BH Reset", "BH Reset Change",
    "Force LinkPM Accept",
};
static_assert(std::size(kHubPortFeatures) == 62);
constexpr const char* kHubFeatures[] = {"C_HUB_LOCAL_POWER", "C_HUB_OVER_CURRENT", "Local Power Status Change",
                                        "Over-Current Change"};

// ---- DFU

constexpr REQUEST_NAME kDfuRequests[] = {
    {0, "DFU_DETACH", "DFU Detach", "Tells the device to enter DFU mode at the next USB reset."},
    {1, "DFU_DNLOAD", "DFU Download", "Sends the next block of firmware to the device."},
    {2, "DFU_UPLOAD", "DFU Upload", "Reads the next block of firmware from the device."},
    {3, "DFU_GETSTATUS", "DFU Get Status",
     "Returns the device's status, the time before the next status request and the state it will enter."},
    {4, "DFU_CLRSTATUS", "DFU Clear Status", "Clears an error status and returns the device to the dfuIDLE state."},
    {5, "DFU_GETSTATE", "DFU Get State", "Returns the state of the device."},
    {6, "DFU_ABORT", "DFU Abort", "Ends the current download or upload and returns the device to the dfuIDLE state."},
};
constexpr const char* kDfuStates[] = {
    "appIDLE", "appDETACH", "dfuIDLE", "dfuDNLOAD-SYNC", "dfuDNBUSY", "dfuDNLOAD-IDLE", "dfuMANIFEST-SYNC",
    "dfuMANIFEST", "dfuMANIFEST-WAIT-RESET", "dfuUPLOAD-IDLE", "dfuERROR",
    "Application Idle", "Detach", "DFU Idle", "Download-Sync", "Download Busy", "Download-Idle", "Manifest-Sync",
    "Manifest", "Manifest-Wait-Reset", "Upload-Idle", "Error",
};
constexpr const char* kDfuStatus[] = {
    "OK", "errTARGET", "errFILE", "errWRITE", "errERASE", "errCHECK_ERASED", "errPROG", "errVERIFY",
    "errADDRESS", "errNOTDONE", "errFIRMWARE", "errVENDOR", "errUSBR", "errPOR", "errUNKNOWN", "errSTALLEDPKT",
    "OK", "Target", "File", "Write", "Erase function failed", "Erase check failed", "Failed to program memory",
    "Failed verification", "Address out of range", "Not Done", "Firmware is corrupt", "Vendor-specific error",
    "Unexpected USB reset", "Unexpected power on reset", "Unknown error", "Stalled unexpected request",
};

// ---- CDC

constexpr REQUEST_NAME kCdcRequests[] = {
    {0x00, "SEND_ENCAPSULATED_COMMAND", "Send Encapsulated Command",
     "Issues a command in the format of the supported control protocol."},
    {0x01, "GET_ENCAPSULATED_RESPONSE", "Get Encapsulated Response",
     "Requests a response in the format of the supported control protocol."},
    {0x02, "SET_COMM_FEATURE", "Set Comm Feature", "Controls the settings of a communications feature."},
    {0x03, "GET_COMM_FEATURE", "Get Comm Feature", "Returns the current settings of a communications feature."},
    {0x04, "CLEAR_COMM_FEATURE", "Clear Comm Feature",
     "Returns a communications feature to its default state."},
    {0x10, "SET_AUX_LINE_STATE", "Set Aux Line State",
     "Connects or disconnects a secondary jack to the POTS circuit or CODEC."},
    {0x11, "SET_HOOK_STATE", "Set Hook State", "Sets the necessary POTS line relay code for on-hook, off-hook and snooping."},
    {0x12, "PULSE_SETUP", "Pulse Setup", "Prepares for a pulse-dialing cycle."},
    {0x13, "SEND_PULSE", "Send Pulse", "Generates a specified number of make/break pulse cycles."},
    {0x14, "SET_PULSE_TIME", "Set Pulse Time", "Sets the timing of the make and break periods for pulse dialing."},
    {0x15, "RING_AUX_JACK", "Ring Aux Jack", "Generates a ring signal on a secondary phone jack."},
    {0x20, "SET_LINE_CODING", "Set Line Coding",
     "Configures the DTE rate, stop bits, parity and number of character bits."},
    {0x21, "GET_LINE_CODING", "Get Line Coding",
     "Returns the currently configured DTE rate, stop bits, parity and number of character bits."},
    {0x22, "SET_CONTROL_LINE_STATE", "Set Control Line State", "Generates the RS-232/V.24 style control signals."},
    {0x23, "SEND_BREAK", "Send Break", "Sends a break condition of the given length in milliseconds."},
    {0x30, "SET_RINGER_PARMS", "Set Ringer Parms", "Configures the ringer for the communications device."},
    {0x31, "GET_RINGER_PARMS", "Get Ringer Parms", "Returns the ringer capabilities of the device and its current status."},
    {0x32, "SET_OPERATION_PARMS", "Set Operation Parms", "Sets the operational mode of the device."},
    {0x33, "GET_OPERATION_PARMS", "Get Operation Parms", "Returns the current operational mode of the device."},
    {0x34, "SET_LINE_PARMS", "Set Line Parms", "Changes the state of the line of the Telephone Control Model."},
    {0x35, "GET_LINE_PARMS", "Get Line Parms", "Returns the current state of the line."},
    {0x36, "DIAL_DIGITS", "Dial Digits", "Dials the digits of the given dialing string on the network."},
    {0x37, "SET_UNIT_PARAMETER", "Set Unit Parameter", "Sets the value of a parameter of a unit."},
    {0x38, "GET_UNIT_PARAMETER", "Get Unit Parameter", "Returns the current value of a parameter of a unit."},
    {0x39, "CLEAR_UNIT_PARAMETER", "Clear Unit Parameter", "Returns a parameter of a unit to its default value."},
    {0x40, "SET_ETHERNET_MULTICAST_FILTERS", "Set Ethernet Multicast Filters",
     "Sets the Ethernet multicast filters of the device."},
    {0x41, "SET_ETHERNET_POWER_MANAGEMENT_PATTERN_FILTER", "Set Ethernet Power Management Pattern Filter",
     "Sets a power management pattern filter whose match wakes the host."},
    {0x42, "GET_ETHERNET_POWER_MANAGEMENT_PATTERN_FILTER", "Get Ethernet Power Management Pattern Filter",
     "Returns whether a power management pattern filter is active."},
    {0x43, "SET_ETHERNET_PACKET_FILTER", "Set Ethernet Packet Filter",
     "Selects the types of Ethernet packets that the device forwards to the host."},
    {0x44, "GET_ETHERNET_STATISTIC", "Get Ethernet Statistic", "Returns an Ethernet statistic counter of the device."},
    {0x50, "SET_ATM_DATA_FORMAT", "Set ATM Data Format", "Chooses the ATM data format used on the data interface."},
    {0x51, "GET_ATM_DEVICE_STATISTICS", "Get ATM Device Statistics", "Returns a global statistic of the ATM device."},
    {0x52, "SET_ATM_DEFAULT_VC", "Set ATM Default VC",
     "Selects the virtual circuit that Get ATM VC Statistics reports on."},
    {0x53, "GET_ATM_VC_STATISTICS", "Get ATM VC Statistics", "Returns a statistic of a virtual circuit."},
};
constexpr REQUEST_NAME kMdlmRequest = {
    0x60, "MDLM_SEMANTIC_MODEL_SPECIFIC_REQUEST", "MDLM Semantic-Model-Specific Request",
    "A request whose meaning the Mobile Direct Line Model's semantic model defines."};

const REQUEST_NAME* FindCdcRequest(const uint8_t* setup) {
    if (!IsClassRequest(setup)) return nullptr;
    if (setup[1] >= 0x60 && setup[1] <= 0x7F) return &kMdlmRequest;
    return FindRequest(setup[1], kCdcRequests);
}

constexpr REQUEST_NAME kCdcNotifications[] = {
    {0x00, "NETWORK_CONNECTION", "Network Connection", "Tells the host whether the network is connected."},
    {0x01, "RESPONSE_AVAILABLE", "Response Available",
     "Tells the host that a response is ready to be read with Get Encapsulated Response."},
    {0x08, "AUX_JACK_HOOK_STATE", "Aux Jack Hook State", "Reports the hook state of a secondary phone jack."},
    {0x09, "RING_DETECT", "Ring Detect", "Reports that a ring voltage was detected on the line."},
    {0x20, "SERIAL_STATE", "Serial State", "Reports the state of the UART's carrier, ring and error signals."},
    {0x28, "CALL_STATE_CHANGE", "Call State Change", "Reports a change of the state of a call."},
    {0x29, "LINE_STATE_CHANGE", "Line State Change", "Reports a change of the state of the line."},
    {0x2A, "CONNECTION_SPEED_CHANGE", "Connection Speed Change",
     "Reports the upstream and downstream bit rates of the connection."},
};
constexpr REQUEST_NAME kMdlmNotification = {
    0x40, "MDLM_SEMANTIC_MODEL_SPECIFIC_NOTIFICATION", "MDLM Semantic-Model-Specific Notification",
    "A notification whose meaning the Mobile Direct Line Model's semantic model defines."};

const REQUEST_NAME* FindCdcNotification(const uint8_t* notification) {
    if (!IsClassRequest(notification)) return nullptr;
    if (notification[1] >= 0x40 && notification[1] <= 0x5F) return &kMdlmNotification;
    return FindRequest(notification[1], kCdcNotifications);
}

constexpr const char* kCdcFeatureSelectors[] = {nullptr, "ABSTRACT_STATE", "COUNTRY_SETTING",
                                                nullptr, "Abstract State", "Country Setting"};

// ---- HID and printer

constexpr TYPED_REQUEST kHidRequests[] = {
    {1, 0xA1, "GET_REPORT", "Get Report", "Allows the host to receive a report via the control pipe."},
    {2, 0xA1, "GET_IDLE", "Get Idle", "Reads the current idle rate for a particular input report."},
    {3, 0xA1, "GET_PROTOCOL", "Get Protocol", "Reads which protocol is currently active."},
    {9, 0x21, "SET_REPORT", "Set Report", "Allows the host to send a report to the device."},
    {10, 0x21, "SET_IDLE", "Set Idle",
     "Silences a particular report on the interrupt in pipe until a new event occurs or the specified amount of "
     "time passes."},
    {11, 0x21, "SET_PROTOCOL", "Set Protocol",
     "Switches between the boot protocol and the report protocol (or vice versa)."},
};


constexpr REQUEST_NAME kPrinterRequests[] = {
    {0, "USB_PRINTER_REQUEST_GET_DEVICE_ID", "Get Device Id",
     "Request returns a device ID string that is compatible with IEEE 1284."},
    {1, "USB_PRINTER_REQUEST_GET_PORT_STATUS", "Get Port Status", "Returns the printer's current status."},
    {2, "USB_PRINTER_REQUEST_SOFT_RESET", "Soft Reset",
     "Flushes all buffers and resets the Bulk Out and Bulk In pipes to their default states."},
};

} // namespace

const char* StandardRequestName(uint32_t bRequest, int form) {
    if (bRequest > 0xFF) return nullptr;
    return NameOf(FindRequest(static_cast<uint8_t>(bRequest), kStandardRequests), form);
}

const char* StandardRequestDescription(const uint8_t* setup) {
    if (!setup || RequestTypeOf(setup[0]) != REQUEST_TYPE_STANDARD) return nullptr;
    const REQUEST_NAME* row = FindRequest(setup[1], kStandardRequests);
    return row ? row->description : nullptr;
}

const char* ControlRequestDescription(const uint8_t* setup) {
    // Class requests have no description that holds whatever the class is.
    if (!setup || RequestTypeOf(setup[0]) != REQUEST_TYPE_STANDARD) return nullptr;
    return StandardRequestDescription(setup);
}

const char* HubRequestName(const uint8_t* setup, int form) {
    const TYPED_REQUEST* row = FindTypedRequest(setup, kHubRequests);
    if (!row) return nullptr;
    return form == NAME_SYMBOLIC ? row->symbolic : row->friendly;
}
const char* HubRequestDescription(const uint8_t* setup) {
    const TYPED_REQUEST* row = FindTypedRequest(setup, kHubRequests);
    return row ? row->description : nullptr;
}
const char* HubFeatureName(uint32_t selector, int form) { return HalvedName(selector, form, kHubFeatures); }
const char* HubPortFeatureName(uint32_t selector, int form) { return HalvedName(selector, form, kHubPortFeatures); }

const char* DfuRequestName(const uint8_t* setup, int form) {
    if (!IsClassRequest(setup) || (setup[0] & 0x1F) != 1) return nullptr;
    return NameOf(FindRequest(setup[1], kDfuRequests), form);
}
const char* DfuRequestDescription(const uint8_t* setup) {
    if (!IsClassRequest(setup)) return nullptr;
    const REQUEST_NAME* row = FindRequest(setup[1], kDfuRequests);
    return row ? row->description : nullptr;
}
const char* DfuStateName(uint32_t state, int form) { return HalvedName(state, form, kDfuStates); }
const char* DfuStatusName(uint32_t status, int form) { return HalvedName(status, form, kDfuStatus); }

const char* CdcRequestName(const uint8_t* setup, int form) { return NameOf(FindCdcRequest(setup), form); }
const char* CdcRequestDescription(const uint8_t* setup) {
    const REQUEST_NAME* row = FindCdcRequest(setup);
    return row ? row->description : nullptr;
}
const char* CdcNotificationName(const uint8_t* notification, int form) {
    return NameOf(FindCdcNotification(notification), form);
}
const char* CdcNotificationDescription(const uint8_t* notification) {
    const REQUEST_NAME* row = FindCdcNotification(notification);
    return row ? row->description : nullptr;
}
const char* CdcFeatureSelectorName(uint32_t selector, int form) {
    return HalvedName(selector, form, kCdcFeatureSelectors);
}

const char* HidRequestName(const uint8_t* setup, int form) {
    const TYPED_REQUEST* row = FindTypedRequest(setup, kHidRequests);
    if (!row) return nullptr;
    return form == NAME_SYMBOLIC ? row->symbolic : row->friendly;
}
const char* HidRequestDescription(const uint8_t* setup) {
    const TYPED_REQUEST* row = FindTypedRequest(setup, kHidRequests);
    return row ? row->description : nullptr;
}
const char* HidReportTypeName(uint32_t reportType) {
    switch (reportType) {
    case 1: return "Input Report";
    case 2: return "Output Report";
    case 3: return "Feature Report";
    default: return nullptr;
    }
}

const char* PrinterRequestName(const uint8_t* setup, int form) {
    if (!IsClassRequest(setup)) return nullptr;
    return NameOf(FindRequest(setup[1], kPrinterRequests), form);
}
const char* PrinterRequestDescription(const uint8_t* setup) {
    if (!IsClassRequest(setup)) return nullptr;
    const REQUEST_NAME* row = FindRequest(setup[1], kPrinterRequests);
    return row ? row->description : nullptr;
}

} // namespace brx

#include <gtest/gtest.h>

#include <cstdint>

#include "ExpectName.h"
#include "decode/RequestNames.h"

using namespace brx;

namespace {

struct SetupRow {
    uint8_t bmRequestType;
    uint8_t bRequest;
    const char* symbolic;
    const char* friendly;
    bool described;
};

using NameFn = const char* (*)(const uint8_t*, int);
using DescriptionFn = const char* (*)(const uint8_t*);

void CheckSetupRows(NameFn name, DescriptionFn description, std::span<const SetupRow> rows) {
    for (const SetupRow& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(r.bmRequestType) << "/" << int(r.bRequest));
        const uint8_t setup[8] = {r.bmRequestType, r.bRequest, 0, 0, 0, 0, 0, 0};
        ExpectName(name(setup, NAME_SYMBOLIC), r.symbolic);
        ExpectName(name(setup, NAME_FRIENDLY), r.friendly);
        EXPECT_EQ(description(setup) != nullptr, r.described);
    }
    EXPECT_EQ(name(nullptr, NAME_FRIENDLY), nullptr);
    EXPECT_EQ(description(nullptr), nullptr);
}

} // namespace

TEST(RequestNames, StandardRequests) {
    ExpectName(StandardRequestName(0, NAME_SYMBOLIC), "GET_STATUS");
    ExpectName(StandardRequestName(0, NAME_FRIENDLY), "Get Status");
    ExpectName(StandardRequestName(2, NAME_FRIENDLY), "Reserved");
    ExpectName(StandardRequestName(4, NAME_SYMBOLIC), "Reserved");
    ExpectName(StandardRequestName(12, NAME_FRIENDLY), "Synch Frame");
    ExpectName(StandardRequestName(48, NAME_FRIENDLY), "Set SEL");
    ExpectName(StandardRequestName(49, NAME_SYMBOLIC), "SET_ISOCH_DELAY");
    ExpectName(StandardRequestName(49, NAME_FRIENDLY), "Set Isochronous Delay");
    ExpectName(StandardRequestName(13, NAME_FRIENDLY), nullptr);
    ExpectName(StandardRequestName(0x106, NAME_FRIENDLY), nullptr);

    const uint8_t getDescriptor[8] = {0x80, 6, 0, 1, 0, 0, 18, 0};
    ExpectName(StandardRequestDescription(getDescriptor),
               "This request returns the specified descriptor if the descriptor exists.");
    ExpectName(ControlRequestDescription(getDescriptor),
               "This request returns the specified descriptor if the descriptor exists.");
    const uint8_t setSel[8] = {0x00, 48, 0, 0, 0, 0, 6, 0};
    ExpectName(StandardRequestDescription(setSel),
               "This request sets both the U1 and U2 System Exit Latency and the U1 or U2 exit latency for all the "
               "links between a device and a root port on the host.");
    const uint8_t reserved[8] = {0x00, 2, 0, 0, 0, 0, 0, 0};
    ExpectName(StandardRequestDescription(reserved), nullptr);
    const uint8_t classGetReport[8] = {0xA1, 1, 0, 1, 0, 0, 8, 0};
    ExpectName(ControlRequestDescription(classGetReport), nullptr);
    ExpectName(StandardRequestDescription(classGetReport), nullptr);
    const uint8_t vendor[8] = {0xC0, 6, 0, 0, 0, 0, 0, 0};
    ExpectName(ControlRequestDescription(vendor), nullptr);
    ExpectName(ControlRequestDescription(nullptr), nullptr);
}

TEST(RequestNames, HubRequestsOnlyWithTheirRequestType) {
    const SetupRow rows[] = {
        {0xA0, 0, "GET_STATUS", "Get Hub Status", true},
        {0xA3, 0, "GET_STATUS", "Get Port Status", true},
        {0x20, 1, "CLEAR_FEATURE", "Clear Hub Feature", true},
        {0x23, 1, "CLEAR_FEATURE", "Clear Port Feature", true},
        {0xA3, 2, "GET_STATE", "Get Bus State", true},
        {0x20, 3, "SET_FEATURE", "Set Hub Feature", true},
        {0x23, 3, "SET_FEATURE", "Set Port Feature", true},
        {0xA0, 6, "GET_DESCRIPTOR", "Get Hub Descriptor", true},
        {0x20, 7, "SET_DESCRIPTOR", "Set Hub Descriptor", true},
        {0x23, 8, "CLEAR_TT_BUFFER", "Clear TT Buffer", true},
        {0x23, 9, "RESET_TT", "Reset TT", true},
        {0xA3, 10, "GET_TT_STATE", "Get TT State", true},
        {0x23, 11, "STOP_TT", "Stop TT", true},
        {0x20, 12, "SET_HUB_DEPTH", "Set Hub Depth", true},
        {0xA3, 13, "GET_PORT_ERR_COUNT", "Get Port Error Count", true},
        {0xA3, 6, nullptr, nullptr, false},
        {0x21, 1, nullptr, nullptr, false},
        {0xA0, 2, nullptr, nullptr, false},
        {0x80, 0, nullptr, nullptr, false},  // standard GET_STATUS
        {0x20, 14, nullptr, nullptr, false},
    };
    CheckSetupRows(HubRequestName, HubRequestDescription, rows);

    const uint8_t hubStatus[8] = {0xA0, 0, 0, 0, 0, 0, 4, 0};
    ExpectName(HubRequestDescription(hubStatus),
               "Returns the current hub status and the states that have changed since the previous acknowledgment.");
    const uint8_t clearHub[8] = {0x20, 1, 0, 0, 0, 0, 0, 0}, setHub[8] = {0x20, 3, 0, 0, 0, 0, 0, 0};
    const uint8_t clearPort[8] = {0x23, 1, 0, 0, 1, 0, 0, 0};
    EXPECT_STREQ(HubRequestDescription(clearHub), HubRequestDescription(setHub));
    EXPECT_STRNE(HubRequestDescription(clearHub), HubRequestDescription(clearPort));
}

TEST(RequestNames, HubFeatures) {
    struct Row {
        uint32_t selector;
        const char* symbolic;
        const char* friendly;
    };
    const Row rows[] = {
        {0, "PORT_CONNECTION", "Connect Status"}, {1, "PORT_ENABLE", "Enabled/Disabled"},
        {4, "PORT_RESET", "Reset"}, {5, nullptr, nullptr}, {7, nullptr, nullptr},
        {8, "PORT_POWER", "Port Power"}, {9, "PORT_LOW_SPEED", "Low-Speed Device Attached"},
        {10, nullptr, nullptr}, {15, nullptr, nullptr}, {16, "C_PORT_CONNECTION", "Connect Status Change"},
        {19, "C_PORT_OVER_CURRENT", "Over-Current Indicator Change"}, {20, "C_PORT_RESET", "Reset Change"},
        {21, "PORT_TEST", "Test Mode"}, {25, "C_PORT_LINK_STATE", "Port Link State Change"},
        {30, "FORCE_LINKPM_ACCEPT", "Force LinkPM Accept"}, {31, nullptr, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.selector);
        ExpectName(HubPortFeatureName(r.selector, NAME_SYMBOLIC), r.symbolic);
        ExpectName(HubPortFeatureName(r.selector, NAME_FRIENDLY), r.friendly);
    }
    ExpectName(HubFeatureName(0, NAME_SYMBOLIC), "C_HUB_LOCAL_POWER");
    ExpectName(HubFeatureName(1, NAME_FRIENDLY), "Over-Current Change");
    ExpectName(HubFeatureName(2, NAME_FRIENDLY), nullptr);
}

TEST(RequestNames, DfuRequestsAndCodes) {
    const SetupRow rows[] = {
        {0x21, 0, "DFU_DETACH", "DFU Detach", true},
        {0x21, 1, "DFU_DNLOAD", "DFU Download", true},
        {0xA1, 3, "DFU_GETSTATUS", "DFU Get Status", true},
        {0xA1, 6, "DFU_ABORT", "DFU Abort", true},
        {0x20, 1, nullptr, nullptr, true},  // not to an interface: described but not named
        {0x21, 7, nullptr, nullptr, false},
        {0x01, 1, nullptr, nullptr, false},
        {0x41, 1, nullptr, nullptr, false},
    };
    CheckSetupRows(DfuRequestName, DfuRequestDescription, rows);
    ExpectName(DfuStateName(0, NAME_SYMBOLIC), "appIDLE");
    ExpectName(DfuStateName(3, NAME_SYMBOLIC), "dfuDNLOAD-SYNC");
    ExpectName(DfuStateName(10, NAME_FRIENDLY), "Error");
    ExpectName(DfuStateName(11, NAME_FRIENDLY), nullptr);
    ExpectName(DfuStatusName(0, NAME_FRIENDLY), "OK");
    ExpectName(DfuStatusName(4, NAME_FRIENDLY), "Erase function failed");
    ExpectName(DfuStatusName(15, NAME_SYMBOLIC), "errSTALLEDPKT");
    ExpectName(DfuStatusName(16, NAME_SYMBOLIC), nullptr);
}

TEST(RequestNames, CdcRequestsNotificationsAndFeatures) {
    const SetupRow requests[] = {
        {0x21, 0x00, "SEND_ENCAPSULATED_COMMAND", "Send Encapsulated Command", true},
        {0x21, 0x20, "SET_LINE_CODING", "Set Line Coding", true},
        {0xA1, 0x21, "GET_LINE_CODING", "Get Line Coding", true},
        {0x21, 0x22, "SET_CONTROL_LINE_STATE", "Set Control Line State", true},
        {0x21, 0x23, "SEND_BREAK", "Send Break", true},
        {0x21, 0x44, "GET_ETHERNET_STATISTIC", "Get Ethernet Statistic", true},
        {0x21, 0x53, "GET_ATM_VC_STATISTICS", "Get ATM VC Statistics", true},
        {0x21, 0x60, "MDLM_SEMANTIC_MODEL_SPECIFIC_REQUEST", "MDLM Semantic-Model-Specific Request", true},
        {0x21, 0x7F, "MDLM_SEMANTIC_MODEL_SPECIFIC_REQUEST", "MDLM Semantic-Model-Specific Request", true},
        {0x21, 0x80, nullptr, nullptr, false},
        {0x21, 0x05, nullptr, nullptr, false},
        {0x01, 0x20, nullptr, nullptr, false},
    };
    CheckSetupRows(CdcRequestName, CdcRequestDescription, requests);
    const SetupRow notifications[] = {
        {0xA1, 0x00, "NETWORK_CONNECTION", "Network Connection", true},
        {0xA1, 0x01, "RESPONSE_AVAILABLE", "Response Available", true},
        {0xA1, 0x20, "SERIAL_STATE", "Serial State", true},
        {0xA1, 0x2A, "CONNECTION_SPEED_CHANGE", "Connection Speed Change", true},
        {0xA1, 0x40, "MDLM_SEMANTIC_MODEL_SPECIFIC_NOTIFICATION", "MDLM Semantic-Model-Specific Notification",
         true},
        {0xA1, 0x5F, "MDLM_SEMANTIC_MODEL_SPECIFIC_NOTIFICATION", "MDLM Semantic-Model-Specific Notification",
         true},
        {0xA1, 0x60, nullptr, nullptr, false},
        {0xA1, 0x02, nullptr, nullptr, false},
        {0xC1, 0x20, nullptr, nullptr, false},
    };
    CheckSetupRows(CdcNotificationName, CdcNotificationDescription, notifications);
    ExpectName(CdcFeatureSelectorName(0, NAME_SYMBOLIC), nullptr);
    ExpectName(CdcFeatureSelectorName(1, NAME_SYMBOLIC), "ABSTRACT_STATE");
    ExpectName(CdcFeatureSelectorName(2, NAME_FRIENDLY), "Country Setting");
    ExpectName(CdcFeatureSelectorName(3, NAME_FRIENDLY), nullptr);
}

TEST(RequestNames, HidRequests) {
    const SetupRow rows[] = {
        {0xA1, 1, "GET_REPORT", "Get Report", true},
        {0xA1, 2, "GET_IDLE", "Get Idle", true},
        {0xA1, 3, "GET_PROTOCOL", "Get Protocol", true},
        {0x21, 9, "SET_REPORT", "Set Report", true},
        {0x21, 10, "SET_IDLE", "Set Idle", true},
        {0x21, 11, "SET_PROTOCOL", "Set Protocol", true},
        {0xA0, 1, nullptr, nullptr, false},  // GET_REPORT to the device
        {0x21, 1, nullptr, nullptr, false},
        {0xA1, 9, nullptr, nullptr, false},
        {0x81, 6, nullptr, nullptr, false},
    };
    CheckSetupRows(HidRequestName, HidRequestDescription, rows);
    const uint8_t setIdle[8] = {0x21, 10, 0, 0, 0, 0, 0, 0};
    ExpectName(HidRequestDescription(setIdle),
               "Silences a particular report on the interrupt in pipe until a new event occurs or the specified "
               "amount of time passes.");
    ExpectName(HidReportTypeName(0), nullptr);
    ExpectName(HidReportTypeName(1), "Input Report");
    ExpectName(HidReportTypeName(3), "Feature Report");
    ExpectName(HidReportTypeName(4), nullptr);
}

TEST(RequestNames, PrinterRequests) {
    const SetupRow rows[] = {
        {0xA1, 0, "USB_PRINTER_REQUEST_GET_DEVICE_ID", "Get Device Id", true},
        {0xA1, 1, "USB_PRINTER_REQUEST_GET_PORT_STATUS", "Get Port Status", true},
        {0x23, 2, "USB_PRINTER_REQUEST_SOFT_RESET", "Soft Reset", true},
        {0xA1, 3, nullptr, nullptr, false},
        {0x80, 0, nullptr, nullptr, false},
    };
    CheckSetupRows(PrinterRequestName, PrinterRequestDescription, rows);
    const uint8_t softReset[8] = {0x21, 2, 0, 0, 0, 0, 0, 0};
    ExpectName(PrinterRequestDescription(softReset),
               "Flushes all buffers and resets the Bulk Out and Bulk In pipes to their default states.");
}

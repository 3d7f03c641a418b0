// The rows of the USB name tables. Class texts follow the USB-IF defined class
// codes; language names are the Windows names of the LANGIDs.
#include "decode/UsbNames.h"

#include <iterator>

namespace brx {
namespace {

struct CLASS_NAME {
    uint8_t cls;
    const char* name;
};
struct SUBCLASS_NAME {
    uint8_t cls;
    uint8_t subclass;
    const char* name;
};
struct PROTOCOL_NAME {
    uint8_t cls;
    uint8_t subclass;  // FFh: any subclass
    uint8_t protocol;
    const char* name;
};
struct LANGID_NAME {
    uint16_t langId;
    const char* name;
};

constexpr const char kVendorSpecific[] = "Vendor-Specific";

constexpr CLASS_NAME kDeviceClasses[] = {
    {0x00, "Class info in Ifc Descriptors"}, {0x01, "Audio"}, {0x02, "CDC Control"}, {0x03, "HID"},
    {0x06, "Still Imaging"}, {0x07, "Printing Devices"}, {0x08, "Mass Storage"}, {0x09, "Hub"},
    {0x0A, "CDC Data"}, {0x0B, "Smart Card"}, {0x0D, "Content Security"}, {0x0E, "Video"},
    {0x0F, "Personal Healthcare"}, {0x10, "Audio/Video Devices"}, {0x11, "Billboard Device"},
    {0xDC, "Diagnostic Device"}, {0xE0, "Wireless Controller"}, {0xEF, "Miscellaneous"},
    {0xFE, "Application-Specific"}, {0xFF, "Vendor-Specific"},
};
constexpr CLASS_NAME kInterfaceClasses[] = {
    {0x01, "Audio"}, {0x02, "CDC Control"}, {0x03, "HID"}, {0x04, "Display"},
    {0x05, "Physical Interface Device"}, {0x06, "Still Imaging"}, {0x07, "Printing Devices"},
    {0x08, "Mass Storage"}, {0x09, "Hub"}, {0x0A, "CDC Data"}, {0x0B, "Smart Card"},
    {0x0D, "Content Security"}, {0x0E, "Video"}, {0x0F, "Personal Healthcare"},
    {0x10, "Audio/Video Devices"}, {0x11, "Billboard Device"}, {0xDC, "Diagnostic Device"},
    {0xE0, "Wireless Controller"}, {0xEF, "Miscellaneous"}, {0xFE, "Application-Specific"},
    {0xFF, "Vendor-Specific"},
};
static_assert(std::size(kDeviceClasses) == 20 && std::size(kInterfaceClasses) == 21);

constexpr SUBCLASS_NAME kSubclasses[] = {
    {0x01, 0x01, "Audio Control"},
    {0x01, 0x02, "Audio Streaming"},
    {0x01, 0x03, "MIDI Streaming"},
    {0x02, 0x01, "Direct Line Control Model"},
    {0x02, 0x02, "Abstract Control Model"},
    {0x02, 0x03, "Telephone Control Model"},
    {0x02, 0x04, "Multi-Channel Control Model"},
    {0x02, 0x05, "CAPI Control Model"},
    {0x02, 0x06, "Ethernet Networking Control Model"},
    {0x02, 0x07, "ATM Networking Control Model"},
    {0x02, 0x08, "Wireless Handset Control Model"},
    {0x02, 0x09, "Device Management"},
    {0x02, 0x0A, "Mobile Direct Line Model"},
    {0x02, 0x0B, "OBEX"},
    {0x02, 0x0C, "Ethernet Emulation Model"},
    {0x02, 0x88, kVendorSpecific},
    {0x03, 0x01, "Boot Interface Subclass"},
    {0x06, 0x01, "Still Image Capture Device"},
    {0x07, 0x01, "Printer"},
    {0x08, 0x01, "Reduced Block Commands (RBC)"},
    {0x08, 0x02, "MMC-5 (ATAPI)"},
    {0x08, 0x03, "QIC-157"},
    {0x08, 0x04, "UFI"},
    {0x08, 0x05, "SFF-8070i"},
    {0x08, 0x06, "SCSI Transparent Command Set"},
    {0x08, 0x07, "LSD FS"},
    {0x08, 0x08, "IEEE 1667"},
    {0x08, 0xFF, kVendorSpecific},
    {0x0E, 0x01, "Video Control"},
    {0x0E, 0x02, "Video Streaming"},
    {0x0E, 0x03, "Video Interface Collection"},
    {0x10, 0x01, "AV Control Interface"},
    {0x10, 0x02, "AV Data Video Streaming Interface"},
    {0x10, 0x03, "AV Data Audio Streaming Interface"},
    {0xDC, 0x01, "Reprogrammable Diagnostic Device"},
    {0xE0, 0x01, "RF Controller"},
    {0xE0, 0x02, "Wireless USB Wire Adapter"},
    {0xEF, 0x02, "Common Class"},
    {0xFE, 0x01, "Device Firmware Upgrade"},
    {0xFE, 0x02, "IrDA Bridge"},
    {0xFE, 0x03, "USB Test & Measurement"},
};
static_assert(std::size(kSubclasses) == 41);

constexpr PROTOCOL_NAME kProtocols[] = {
    {0x02, 0xFF, 0x01, "AT Commands: V.250 etc"},
    {0x02, 0xFF, 0x02, "AT Commands defined by PCCA-101"},
    {0x02, 0xFF, 0x03, "AT Commands defined by PCCA-101 & Annex O"},
    {0x02, 0xFF, 0x04, "AT Commands defined by GSM 07.07"},
    {0x02, 0xFF, 0x05, "AT Commands defined by 3GPP 27.007"},
    {0x02, 0xFF, 0x06, "AT Commands defined by TIA for CDMA"},
    {0x02, 0xFF, 0xFE, "External Protocol"},
    {0x02, 0xFF, 0xFF, kVendorSpecific},
    {0x02, 0x0C, 0x07, "Ethernet Emulation Model"},
    {0x03, 0x01, 0x01, "Keyboard"},
    {0x03, 0x01, 0x02, "Mouse"},
    {0x06, 0x01, 0x01, "Picture Transfer Protocol (PIMA 15470)"},
    {0x07, 0x01, 0x01, "Unidirectional"},
    {0x07, 0x01, 0x02, "Bi-directional"},
    {0x07, 0x01, 0x03, "IEEE 1284.4 compatible bi-directional"},
    {0x08, 0xFF, 0x00, "Control/Bulk/Interrupt (with command completion interrupt)"},
    {0x08, 0xFF, 0x01, "Control/Bulk/Interrupt (no command completion interrupt)"},
    {0x08, 0xFF, 0x50, "Bulk-Only Transport"},
    {0x08, 0xFF, 0x62, "USB Attached SCSI"},
    {0x09, 0x00, 0x01, "Single TT"},
    {0x09, 0x00, 0x02, "Multiple TTs"},
    {0x0A, 0xFF, 0x30, "Physical interface protocol for ISDN BRI"},
    {0x0A, 0xFF, 0x31, "HDLC"},
    {0x0A, 0xFF, 0x32, "Transparent"},
    {0x0A, 0xFF, 0x50, "Management protocol for Q.921 data link protocol"},
    {0x0A, 0xFF, 0x51, "Data link protocol for Q.931"},
    {0x0A, 0xFF, 0x52, "TEI-multiplexor for Q.921 data link protocol"},
    {0x0A, 0xFF, 0x90, "Data compression procedures"},
    {0x0A, 0xFF, 0x91, "Euro-ISDN protocol control"},
    {0x0A, 0xFF, 0x92, "V.24 rate adaptation to ISDN"},
    {0x0A, 0xFF, 0x93, "CAPI Commands"},
    {0x0A, 0xFF, 0xFD, "Host based driver"},
    {0x0A, 0xFF, 0xFE, "Protocol Unit Functional Descriptors"},
    {0x0B, 0x00, 0x01, "ICCD Version A"},
    {0x0B, 0x00, 0x02, "ICCD Version B"},
    {0xDC, 0x01, 0x01, "USB2 Compliance Device"},
    {0xDC, 0x02, 0x00, "Debug Target vendor defined"},
    {0xDC, 0x02, 0x01, "GNU Remote Debug Command Set"},
    {0xDC, 0x03, 0x01, "Vendor defined Trace protocol on DbC"},
    {0xDC, 0x04, 0x01, "Vendor defined Dfx protocol on DbC"},
    {0xDC, 0x05, 0x00, "Vendor defined Trace protocol over General Purpose endpoint on DvC"},
    {0xDC, 0x05, 0x01, "GNU Protocol over General Purpose endpoint on DvC"},
    {0xDC, 0x06, 0x01, "Vendor defined Dfx protocol on DvC"},
    {0xDC, 0x07, 0x01, "Vendor defined Trace protocol on DvC"},
    {0xE0, 0x01, 0x01, "Bluetooth Programming Interface"},
    {0xE0, 0x01, 0x02, "UWB Radio Control Interface"},
    {0xE0, 0x01, 0x03, "Remote NDIS"},
    {0xE0, 0x01, 0x04, "Bluetooth AMP Controller"},
    {0xE0, 0x02, 0x01, "Host Wire Adapter Control/Data interface"},
    {0xE0, 0x02, 0x02, "Device Wire Adapter Control/Data interface"},
    {0xE0, 0x02, 0x03, "Device Wire Adapter Isochronous interface"},
    {0xEF, 0x01, 0x01, "Active Sync device"},
    {0xEF, 0x01, 0x02, "Palm Sync"},
    {0xEF, 0x02, 0x01, "Interface Association Descriptor"},
    {0xEF, 0x02, 0x02, "Wire Adapter Multifunction Peripheral"},
    {0xEF, 0x03, 0x01, "Cable Based Association Framework"},
    {0xEF, 0x04, 0x01, "RNDIS over Ethernet"},
    {0xEF, 0x04, 0x02, "RNDIS over WiFi"},
    {0xEF, 0x04, 0x03, "RNDIS over WiMAX"},
    {0xEF, 0x04, 0x04, "RNDIS over WWAN"},
    {0xEF, 0x04, 0x05, "RNDIS for Raw IPv4"},
    {0xEF, 0x04, 0x06, "RNDIS for Raw IPv6"},
    {0xEF, 0x04, 0x07, "RNDIS for GPRS"},
    {0xEF, 0x05, 0x00, "USB3 Vision Control Interface"},
    {0xEF, 0x05, 0x01, "USB3 Vision Event Interface"},
    {0xEF, 0x05, 0x02, "USB3 Vision Streaming Interface"},
    {0xEF, 0x06, 0x01, "Stream Transport Efficient Protocol"},
    {0xFE, 0x01, 0x01, "Run-Time"},
    {0xFE, 0x01, 0x02, "DFU Mode"},
    {0xFE, 0x02, 0x00, "IrDA Bridge"},
    {0xFE, 0x03, 0x00, "TMC"},
    {0xFE, 0x03, 0x01, "TMC USB488"},
};
static_assert(std::size(kProtocols) == 72);

constexpr LANGID_NAME kLangIds[] = {
    {0x0401, "Arabic (Saudi Arabia)"},
    {0x0402, "Bulgarian (Bulgaria)"},
    {0x0403, "Catalan (Catalan)"},
    {0x0404, "Chinese (Taiwan)"},
    {0x0405, "Czech (Czech Republic)"},
    {0x0406, "Danish (Denmark)"},
    {0x0407, "German (Germany)"},
    {0x0408, "Greek (Greece)"},
    {0x0409, "English (United States)"},
    {0x040A, "Spanish (Spain, Traditional Sort)"},
    {0x040B, "Finnish (Finland)"},
    {0x040C, "French (France)"},
    {0x040D, "Hebrew (Israel)"},
    {0x040F, "Icelandic (Iceland)"},
    {0x0410, "Italian (Italy)"},
    {0x0411, "Japanese (Japan)"},
    {0x0412, "Korean (Korea)"},
    {0x0413, "Dutch (Netherlands)"},
    {0x0414, "Norwegian, Bokmal (Norway)"},
    {0x0415, "Polish (Poland)"},
    {0x0416, "Portuguese (Brazil)"},
    {0x0417, "Romansh (Switzerland)"},
    {0x0418, "Romanian (Romania)"},
    {0x0419, "Russian (Russia)"},
    {0x041A, "Croatian (Croatia)"},
    {0x041B, "Slovak (Slovakia)"},
    {0x041C, "Albanian (Albania)"},
    {0x041D, "Swedish (Sweden)"},
    {0x041E, "Thai (Thailand)"},
    {0x041F, "Turkish (Turkey)"},
    {0x0420, "Urdu (Islamic Republic of Pakistan)"},
    {0x0421, "Indonesian (Indonesia)"},
    {0x0424, "Slovenian (Slovenia)"},
    {0x0425, "Estonian (Estonia)"},
    {0x0426, "Latvian (Latvia)"},
    {0x0427, "Lithuanian (Lithuania)"},
    {0x042D, "Basque (Basque)"},
    {0x042E, "Upper Sorbian (Germany)"},
    {0x0430, "Sutu (South Africa)"},
    {0x0431, "Tsonga (South Africa)"},
    {0x0433, "Venda (South Africa)"},
    {0x0436, "Afrikaans (South Africa)"},
    {0x0439, "Hindi (India)"},
    {0x043B, "Sami, Northern (Norway)"},
    {0x043C, "Gaelic (Scotland)"},
    {0x043D, "Yiddish"},
    {0x043E, "Malay (Malaysia)"},
    {0x0445, "Bengali (India)"},
    {0x0446, "Punjabi (India)"},
    {0x0447, "Gujarati (India)"},
    {0x0448, "Oriya (India)"},
    {0x0449, "Tamil (India)"},
    {0x044A, "Telugu (India)"},
    {0x044B, "Kannada (India)"},
    {0x044C, "Malayalam (India)"},
    {0x044D, "Assamese (India)"},
    {0x044E, "Marathi (India)"},
    {0x044F, "Sanskrit (India)"},
    {0x0450, "Mongolian (Cyrillic, Mongolia)"},
    {0x0451, "Tibetan (PRC)"},
    {0x0452, "Welsh (United Kingdom)"},
    {0x0455, "Burmese (Myanmar)"},
    {0x0456, "Galician (Galician)"},
    {0x0457, "Konkani (India)"},
    {0x0458, "Manipuri (India)"},
    {0x0459, "Sindhi (India)"},
    {0x045A, "Syriac (Syria)"},
    {0x045C, "Cherokee (Cherokee)"},
    {0x045D, "Inuktitut (Syllabics, Canada)"},
    {0x0475, "Hawaiian (United States)"},
    {0x0476, "Latin"},
    {0x0477, "Somali (Somalia)"},
    {0x0478, "Yi (PRC)"},
    {0x0479, "Papiamentu (Netherlands Antilles)"},
    {0x047C, "Mohawk (Mohawk)"},
    {0x047E, "Breton (France)"},
    {0x0480, "Uyghur (PRC)"},
    {0x0481, "Maori (New Zealand)"},
    {0x0482, "Occitan (France)"},
    {0x0484, "Alsatian (France)"},
    {0x04FF, "HID (Usage Data Descriptor)"},
    {0x0804, "Chinese (PRC)"},
    {0x0807, "German (Switzerland)"},
    {0x0809, "English (United Kingdom)"},
    {0x080A, "Spanish (Mexico)"},
    {0x080C, "French (Belgium)"},
    {0x0810, "Italian (Switzerland)"},
    {0x0812, "Korean (Johab)"},
    {0x0813, "Dutch (Belgium)"},
    {0x0814, "Norwegian, Nynorsk (Norway)"},
    {0x0816, "Portuguese (Portugal)"},
    {0x0818, "Romanian (Moldova)"},
    {0x0819, "Russian (Moldova)"},
    {0x081A, "Serbian (Latin, Serbia)"},
    {0x081D, "Swedish (Finland)"},
    {0x0820, "Urdu (India)"},
    {0x082E, "Lower Sorbian (Germany)"},
    {0x083B, "Sami, Northern (Sweden)"},
    {0x083C, "Irish (Ireland)"},
    {0x0845, "Bengali (Bangladesh)"},
    {0x085D, "Inuktitut (Latin, Canada)"},
    {0x0860, "Kashmiri (India)"},
    {0x0861, "Nepali (India)"},
    {0x0873, "Tigrinya (Eritrea)"},
    {0x0C01, "Arabic (Egypt)"},
    {0x0C04, "Chinese (Hong Kong S.A.R.)"},
    {0x0C07, "German (Austria)"},
    {0x0C09, "English (Australia)"},
    {0x0C0A, "Spanish (Spain, International Sort)"},
    {0x0C0C, "French (Canada)"},
    {0x0C1A, "Serbian (Cyrillic, Serbia)"},
    {0x0C3B, "Sami, Northern (Finland)"},
    {0x1001, "Arabic (Libya)"},
    {0x1004, "Chinese (Singapore)"},
    {0x1007, "German (Luxembourg)"},
    {0x1009, "English (Canada)"},
    {0x100A, "Spanish (Guatemala)"},
    {0x100C, "French (Switzerland)"},
    {0x103B, "Sami, Lule (Norway)"},
    {0x1401, "Arabic (Algeria)"},
    {0x1404, "Chinese (Macao S.A.R.)"},
    {0x1407, "German (Liechtenstein)"},
    {0x1409, "English (New Zealand)"},
    {0x140A, "Spanish (Costa Rica)"},
    {0x140C, "French (Luxembourg)"},
    {0x143B, "Sami, Lule (Sweden)"},
    {0x1801, "Arabic (Morocco)"},
    {0x1809, "English (Ireland)"},
    {0x180A, "Spanish (Panama)"},
    {0x180C, "French (Monaco)"},
    {0x183B, "Sami, Southern (Norway)"},
    {0x1C09, "English (South Africa)"},
    {0x1C0A, "Spanish (Dominican Republic)"},
    {0x1C0C, "French (West Indies)"},
    {0x1C3B, "Sami, Southern (Sweden)"},
    {0x2001, "Arabic (Oman)"},
    {0x2009, "English (Jamaica)"},
    {0x200A, "Spanish (Venezuela)"},
    {0x200C, "French (Reunion)"},
    {0x203B, "Sami, Skolt (Finland)"},
    {0x2401, "Arabic (Yemen)"},
    {0x2409, "English (Caribbean)"},
    {0x240A, "Spanish (Colombia)"},
    {0x243B, "Sami, Inari (Finland)"},
    {0x2809, "English (Belize)"},
    {0x280C, "French (Senegal)"},
    {0x2C01, "Arabic (Jordan)"},
    {0x2C0A, "Spanish (Argentina)"},
    {0x2C0C, "French (Cameroon)"},
    {0x3001, "Arabic (Lebanon)"},
    {0x3401, "Arabic (Kuwait)"},
    {0x340A, "Spanish (Chile)"},
    {0x340C, "French (Cote d'Ivoire)"},
    {0x3801, "Arabic (U.A.E.)"},
    {0x3C09, "English (Hong Kong S.A.R.)"},
    {0x3C0A, "Spanish (Paraguay)"},
    {0x3C0C, "French (Haiti)"},
    {0x4009, "English (India)"},
    {0x400A, "Spanish (Bolivia)"},
    {0x4409, "English (Malaysia)"},
    {0x440A, "Spanish (El Salvador)"},
    {0x4809, "English (Singapore)"},
    {0x500A, "Spanish (Puerto Rico)"},
    {0x540A, "Spanish (United States)"},
    {0xE40A, "Spanish (Latin America)"},
    {0xE40C, "French (North Africa)"},
    {0xF0FF, "HID (Vendor Defined 1)"},
    {0xF4FF, "HID (Vendor Defined 2)"},
    {0xF8FF, "HID (Vendor Defined 3)"},
    {0xFCFF, "HID (Vendor Defined 4)"},
};
static_assert(std::size(kLangIds) == 170);

struct COUNTRY_NAME {
    uint16_t code;
    const char* name;
};
constexpr COUNTRY_NAME kCountries[] = {
    {36, "Australia"}, {40, "Austria"}, {56, "Belgium"}, {124, "Canada"}, {156, "China"},
    {158, "Taiwan, Province of China"}, {208, "Denmark"}, {246, "Finland"}, {250, "France"},
    {276, "Germany"}, {304, "Greenland"}, {344, "Hong Kong"}, {356, "India"}, {380, "Italy"},
    {392, "Japan"}, {643, "Russian Federation"}, {710, "South Africa"}, {724, "Spain"},
    {752, "Sweden"}, {756, "Switzerland"}, {826, "United Kingdom"}, {840, "United States"},
};
static_assert(std::size(kCountries) == 22);

constexpr CODE_NAME kUsbSpecVersions[] = {
    {0x100, "USB Spec 1.0"}, {0x101, "USB Spec 1.1"}, {0x110, "USB Spec 1.1"}, {0x200, "USB Spec 2.0"},
    {0x210, "USB Spec 2.1"}, {0x250, "USB Spec 2.5"}, {0x300, "USB Spec 3.0"},
};

constexpr CODE_NAME kDescriptorTypeCodes[] = {
    {1, "USB_DEVICE_DESCRIPTOR_TYPE"},
    {2, "USB_CONFIGURATION_DESCRIPTOR_TYPE"},
    {3, "USB_STRING_DESCRIPTOR_TYPE"},
    {4, "USB_INTERFACE_DESCRIPTOR_TYPE"},
    {5, "USB_ENDPOINT_DESCRIPTOR_TYPE"},
    {6, "USB_DEVICE_QUALIFIER_DESCRIPTOR_TYPE"},
    {7, "USB_OTHER_SPEED_CONFIGURATION_DESCRIPTOR_TYPE"},
    {8, "USB_INTERFACE_POWER_DESCRIPTOR_TYPE"},
    {11, "USB_INTERFACE_ASSOCIATION_DESCRIPTOR_TYPE"},
    {9, "OTG"},
    {10, "DEBUG"},
    {0x21, "HID_HID_DESCRIPTOR_TYPE"},
    {0x22, "HID_REPORT_DESCRIPTOR_TYPE"},
    {0x23, "HID_PHYSICAL_DESCRIPTOR_TYPE"},
    {0x29, "HUB"},
};

// Standard descriptor types 1-17 (the BOS text keeps its trailing blank: saved
// pages and users' searches carry it).
constexpr const char* kStandardDescriptorTypes[] = {
    nullptr, "Device", "Configuration", "String", "Interface", "Endpoint", "Device Qualifier",
    "Other Speed Configuration", "Interface Power", "On-The-Go (OTG)", "Debug", "Interface Association",
    "Wireless USB Security", "Wireless USB Key", "Wireless USB Encryption Type",
    "Binary Device Object Store (BOS) ", "Device Capability", "Wireless USB Endpoint Companion",
};

constexpr const char* kHubStatus[] = {"Local power supply lost", "A hub over-current condition exists"};
constexpr const char* kHubStatusChange[] = {"Local power status has changed", "Over-current status has changed"};

constexpr const char* kDeviceSpeeds[] = {
    "UsbLowSpeed", "UsbFullSpeed", "UsbHighSpeed", "UsbSuperSpeed",
    "Low (1.5 Mbit/s)", "Full (12 Mbit/s)", "High (480 Mbit/s)", "Super (5 Gbit/s)",
};
constexpr const char* kConnectionStatus[] = {
    "NoDeviceConnected", "DeviceConnected", "DeviceFailedEnumeration", "DeviceGeneralFailure",
    "DeviceCausedOvercurrent", "DeviceNotEnoughPower", "DeviceNotEnoughBandwidth", "DeviceHubNestedTooDeeply",
    "DeviceInLegacyHub", "DeviceEnumerating", "DeviceReset",
    "No device connected", "Device connected", "Enumeration of device failed",
    "Connection failed for unspecified reasons", "Connection failed because of overcurrent condition",
    "Not enough power to drive the device", "Not enough bandwidth available", "Hub nested too deeply",
    "Connection failed because of unsupported legacy hub",
    "Device connected to the port is currently being enumerated",
    "Device connected to the port is currently being reset",
};
constexpr const char* kBusNotificationTypes[] = {
    "EnumerationFailure", "InsufficentBandwidth", "InsufficentPower", "OverCurrent", "ResetOvercurrent",
    "AcquireBusInfo", "AcquireHubName", "AcquireControllerName", "HubOvercurrent", "HubPowerChange",
    "HubNestedTooDeeply", "ModernDeviceInLegacyHub",
    "Enumeration Failure", "Insufficent Bandwidth", "Insufficent Power", "Over-Current", "Reset Overcurrent",
    "Acquire Bus Info", "Acquire Hub Name", "Acquire Controller Name", "Hub Overcurrent", "Hub Power Change",
    "Hub Nested Too Deeply", "Modern Device In Legacy Hub",
};
constexpr const char* kNodeTypes[] = {"UsbHub", "UsbMIParent", "Device is a hub",
                                      "Multiple interfaces composite device"};
constexpr const char* kIoPriorities[] = {"UsbIoPriorty_Normal", "UsbIoPriority_High", "UsbIoPriority_VeryHigh",
                                         "Normal", "High", "Very High"};
constexpr const char* kPipeTypes[] = {"UsbdPipeTypeControl", "UsbdPipeTypeIsochronous", "UsbdPipeTypeBulk",
                                      "UsbdPipeTypeInterrupt", "Control", "Isochronous", "Bulk", "Interrupt"};
constexpr const char* kTestModes[] = {"Test_J", "Test_K", "Test_SE0_NAK", "Test_Packet", "Test_Force_Enable",
                                      "Test J", "Test K", "Test SE0 NAK", "Test Packet", "Test Force Enable"};
constexpr const char* kLinkStates[] = {
    "Link is in the U0 State", "Link is in the U1 State", "Link is in the U2 State", "Link is in the U3 State",
    "Link is in the SS.Disabled State", "Link is in the Rx.Detect State", "Link is in the SS.Inactive State",
    "Link is in the Polling State", "Link is in the RecoveryState", "Link is in the Hot Reset State",
    "Link is in the Compliance Mode State", "Link is in the Loopback State",
};

const char* ClassName(std::span<const CLASS_NAME> table, uint8_t cls) {
    for (const CLASS_NAME& row : table) {
        if (row.cls == cls) return row.name;
    }
    return nullptr;
}

} // namespace

const char* UsbSpecVersionName(uint32_t bcdUsb) { return LookupCodeName(bcdUsb & 0xFFFF, kUsbSpecVersions); }

const char* DeviceClassName(uint8_t cls) { return ClassName(kDeviceClasses, cls); }
const char* InterfaceClassName(uint8_t cls) { return ClassName(kInterfaceClasses, cls); }

const char* ClassSubclassName(uint8_t cls, uint8_t subclass) {
    if (cls == 0xFF) return nullptr;
    for (const SUBCLASS_NAME& row : kSubclasses) {
        if (row.cls == cls && row.subclass == subclass) return row.name;
    }
    if (cls == 0x02 && subclass >= 0x80 && subclass != 0xFF) return kVendorSpecific;
    return nullptr;
}

const char* ClassProtocolName(uint8_t cls, uint8_t subclass, uint8_t protocol) {
    if (cls == 0xFF) return nullptr;
    if (protocol == 0xFF) return kVendorSpecific;
    for (const PROTOCOL_NAME& row : kProtocols) {
        if (row.cls == cls && row.protocol == protocol && (row.subclass == 0xFF || row.subclass == subclass))
            return row.name;
    }
    return nullptr;
}

const char* DescriptorTypeName(uint8_t type) {
    if (type == 0 || type >= 0x80) return nullptr;
    if (type == 0x30) return "SuperSpeed Endpoint Companion";
    if (type & 0x60) return nullptr;
    if (type > 17) return "Unrecognized Standard";
    return kStandardDescriptorTypes[type];
}

const std::span<const CODE_NAME> kDescriptorTypeCodeNames = kDescriptorTypeCodes;
const BIT_NAMES kHubStatusNames = {kHubStatus};
const BIT_NAMES kHubStatusChangeNames = {kHubStatusChange};

const char* HubPowerSwitchingText(uint16_t characteristics) {
    switch (characteristics & 3) {
    case 0: return "Ganged power switching";
    case 1: return "Individual port power switching";
    default: return "No power switching";
    }
}
const char* HubCompoundDeviceText(uint16_t characteristics) {
    return (characteristics & 0x04) ? "Part of a compound device" : "Not part of a compound device";
}
const char* HubOverCurrentText(uint16_t characteristics) {
    switch ((characteristics >> 3) & 3) {
    case 0: return "Global over-current protection";
    case 1: return "Individual port over-current protection";
    default: return "No over-current protection";
    }
}
const char* HubThinkTimeText(uint16_t characteristics) {
    static constexpr const char* kTexts[] = {
        "TT requires at most 8 FS bit times", "TT requires at most 16 FS bit times",
        "TT requires at most 24 FS bit times", "TT requires at most 32 FS bit times"};
    return kTexts[(characteristics >> 5) & 3];
}
const char* HubPortIndicatorText(uint16_t characteristics) {
    return (characteristics & 0x80) ? "Port Indicators are supported" : "Port Indicators are not supported";
}

const char* DeviceSpeedName(uint32_t speed, int form) { return HalvedName(speed, form, kDeviceSpeeds); }
const char* LowSpeedName(uint32_t lowSpeed) {
    if (lowSpeed == 0) return "Not Low Speed";
    if (lowSpeed == 1) return "Low Speed";
    return "Invalid value";
}
const char* ConnectionStatusName(uint32_t status, int form) { return HalvedName(status, form, kConnectionStatus); }
const char* BusNotificationTypeName(uint32_t type, int form) {
    return HalvedName(type, form, kBusNotificationTypes);
}
const char* NodeTypeName(uint32_t type, int form) { return HalvedName(type, form, kNodeTypes); }
const char* UsbIoPriorityName(uint32_t priority, int form) { return HalvedName(priority, form, kIoPriorities); }
const char* PipeTypeName(uint32_t type, int form) { return HalvedName(type, form, kPipeTypes); }
const char* LinkStateName(uint32_t state) { return IndexedText(state, kLinkStates); }
const char* TestModeName(uint32_t selector, int form) {
    if (selector == 0) return nullptr;
    return HalvedName(selector - 1, form, kTestModes);
}
const char* SuperSpeedLinkSpeedText(uint32_t speed) { return speed == 0 ? "Negotiated speed is 5 Gbps" : nullptr; }

size_t FormatBcdVersion(uint16_t bcd, char* out, size_t outSize) {
    if (!out || outSize < 6) return 0;
    auto digit = [](unsigned nibble) { return nibble > 9 ? '?' : static_cast<char>('0' + nibble); };
    size_t n = 0;
    if (bcd > 0x0FFF) out[n++] = bcd > 0x9FFF ? '?' : digit(bcd >> 12);
    out[n++] = digit((bcd >> 8) & 0xF);
    out[n++] = '.';
    out[n++] = digit((bcd >> 4) & 0xF);
    out[n++] = digit(bcd & 0xF);
    out[n] = '\0';
    return n;
}

const char* LangIdName(uint16_t langId) {
    if (langId == 0) return nullptr;
    for (const LANGID_NAME& row : kLangIds) {
        if (row.langId == langId) return row.name;
    }
    return nullptr;
}

const char* CountryName(uint16_t code) {
    if (code == 0) return nullptr;
    for (const COUNTRY_NAME& row : kCountries) {
        if (row.code == code) return row.name;
    }
    return nullptr;
}

} // namespace brx

namespace brx {
namespace {

constexpr const char* kAudioControl[] = {
    nullptr, "Audio Control Interface Header", "Audio Control Input Terminal", "Audio Control Output Terminal",
    "Audio Control Mixer Unit", "Audio Control Selector Unit", "Audio Control Feature Unit",
    "Audio Control Processing Unit", "Audio Control Extension Unit"};
constexpr const char* kAudioStreaming[] = {nullptr, "Audio Streaming Interface", "Audio Streaming Format Type",
                                           "Audio Streaming Format-Specific"};
constexpr const char* kMidiStreaming[] = {nullptr, "MIDI Streaming Interface Header", "MIDI In Jack", "MIDI Out Jack",
                                          "MIDI Element"};
constexpr const char* kCdcFunctional[] = {
    "Header", "Call Management", "Abstract Control Management", "Direct Line Management", "Telephone Ringer",
    "Telephone Call", "Union", "Country Selection", "Telephone Operational Modes", "USB Terminal",
    "Network Channel Terminal", "Protocol Unit", "Extension Unit", "Multi-Channel Management",
    "CAPI Control Management", "Ethernet Networking", "ATM Networking", "Wireless Handset Control Model",
    "Mobile Direct Line Model", "MDLM Detail", "Device Management Model", "OBEX Control Model",
    "Wireless Command Set", "Wireless Command Set Detail", "Telephone Control Model", "OBEX Service Identifier"};
static_assert(std::size(kCdcFunctional) == 26);
constexpr const char* kContentSecurity[] = {nullptr, "Content Security General", "Content Security Channel",
                                            "Content Security Method", "Content Security Method Variant"};
constexpr const char* kVideoControl[] = {
    nullptr, "Video Control Interface Header", "Video Control Input Terminal", "Video Control Output Terminal",
    "Video Control Selector Unit", "Video Control Processing Unit", "Video Control Extension Unit"};
constexpr const char* kVideoStreaming[] = {
    nullptr,
    "Video Streaming Interface Input Header",
    "Video Streaming Interface Output Header",
    "Video Streaming Still Image Frame",
    "Video Streaming Uncompressed Video Format",
    "Video Streaming Uncompressed Video Frame",
    "Video Streaming Motion-JPEG Video Format",
    "Video Streaming Motion-JPEG Video Frame",
    "Video Streaming MPEG1 SS Format",
    "Video Streaming MPEG2 PS Format",
    "Video Streaming MPEG2 TS Format",
    "Video Streaming MPEG4 SL Format",
    "Video Streaming DV Format",
    "Video Streaming Color Matching",
    "Video Streaming Vendor Video Format",
    "Video Streaming Vendor Video Frame",
    "Video Streaming Frame Based Payload Video Format",
    "Video Streaming Frame Based Payload Video Frame",
    "Video Streaming Stream Based Format",
};
static_assert(std::size(kVideoStreaming) == 19);
constexpr const char* kWireless[] = {nullptr, "Wire Adapter", "Wire Adapter RPipe", "Radio Control Interface"};

// The entry, or the fallback for subtype 0, a missing entry or one past the end.
template <size_t N>
const char* EntryOr(uint32_t index, const char* const (&texts)[N], const char* fallback) {
    const char* text = IndexedText(index, texts);
    return text ? text : fallback;
}

const char* AudioDescriptorName(uint8_t type, uint8_t subtype, uint8_t subclass) {
    constexpr const char* kOther = "Unrecognized Audio Class-Specific";
    if (subclass == 1 && type == 0x24) return EntryOr(subtype, kAudioControl, kOther);
    if (subclass == 2 && type == 0x24) return EntryOr(subtype, kAudioStreaming, kOther);
    if (subclass == 2 && type == 0x25 && subtype == 1) return "Audio Streaming Isochronous Audio Data Endpoint";
    if (subclass == 3 && type == 0x24) return EntryOr(subtype, kMidiStreaming, kOther);
    return kOther;
}

const char* VideoDescriptorName(uint8_t type, uint8_t subtype, uint8_t subclass) {
    constexpr const char* kOther = "Unrecognized Video Class-Specific";
    if (subclass == 1 && type == 0x24) return EntryOr(subtype, kVideoControl, kOther);
    if (subclass == 1 && type == 0x25 && subtype == 3) return "Video Control Interrupt Endpoint";
    if (subclass == 2 && type == 0x24) return EntryOr(subtype, kVideoStreaming, kOther);
    return kOther;
}

const char* ApplicationDescriptorName(uint8_t type, uint8_t subclass, uint8_t protocol) {
    constexpr const char* kOther = "Unrecognized Application Specific Class";
    if (type != 0x21) return kOther;
    if (subclass == 1) return "Device Firmware Upgrade (DFU) Functional";
    if (subclass == 2) return "USB IrDA Bridge Device";
    if (subclass == 3 && protocol == 0) return "USB TMC Interface";
    if (subclass == 3 && protocol == 1) return "USB TMC USB488 Interface";
    return kOther;
}

} // namespace

const char* ClassDescriptorName(uint8_t type, uint8_t subtype, uint8_t cls, uint8_t subclass, uint8_t protocol) {
    if (type & 0x80) return nullptr;
    if ((type & 0x60) == 0) return DescriptorTypeName(type);
    if ((type & 0x60) != 0x20) return nullptr;
    const uint8_t low = type & 0x1F;
    switch (cls) {
    case 0x01: return AudioDescriptorName(type, subtype, subclass);
    case 0x02:
    case 0x0A:
        if (type != 0x24) return nullptr;
        return EntryOr(subtype, kCdcFunctional, "Unrecognized CDC Class-Specific");
    case 0x03:
        if (low == 1) return "HID";
        if (low == 2) return "Report";
        if (low == 3) return "Physical";
        return "Unrecognized HID Class-Specific";
    case 0x09: return type == 0x29 ? "Hub" : "Unrecognized Hub Class-Specific";
    case 0x0B: return type == 0x21 ? "Smart Card" : "Unrecognized Smart Card Class-Specific";
    case 0x0D: return EntryOr(low, kContentSecurity, "Unrecognized Content Security Class-Specific");
    case 0x0E: return VideoDescriptorName(type, subtype, subclass);
    case 0xE0: return EntryOr(low, kWireless, "Unrecognized Wireless USB Class-Specific");
    case 0xFE: return ApplicationDescriptorName(type, subclass, protocol);
    default: return nullptr;
    }
}

} // namespace brx

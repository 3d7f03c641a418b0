#include "protocols/ScsiNames.h"

#include "protocols/NameRange.h"

namespace brx {
namespace {

struct AscAscqName {
    uint8_t asc;
    uint8_t firstAscq;
    uint8_t lastAscq;
    const char* text;
};

constexpr NameRange kScsiSenseKeyName[] = {
    {0x0, 0x0, "No Sense"},
    {0x1, 0x1, "Recovered Error"},
    {0x2, 0x2, "Not Ready"},
    {0x3, 0x3, "Medium Error"},
    {0x4, 0x4, "Hardware Error"},
    {0x5, 0x5, "Illegal Request"},
    {0x6, 0x6, "Unit Attention"},
    {0x7, 0x7, "Data Protect"},
    {0x8, 0x8, "Blank Check"},
    {0x9, 0x9, "Vendor Specific"},
    {0xA, 0xA, "Copy Aborted"},
    {0xB, 0xB, "Aborted Command"},
    {0xD, 0xD, "Volume Overflow"},
    {0xE, 0xE, "Miscompare"},
    {0xF, 0xF, "Completed"},
};
constexpr NameRange kSenseResponseCodeName[] = {
    {0x70, 0x70, "Current Information (Fixed)"},
    {0x71, 0x71, "Deferred Error (Fixed)"},
    {0x72, 0x72, "Current Information (Descriptor)"},
    {0x73, 0x73, "Deferred Error (Descriptor)"},
};
constexpr NameRange kPeripheralDeviceTypeName[] = {
    {0x0, 0x0, "Direct access block device"},
    {0x4, 0x4, "Write-once device"},
    {0x5, 0x5, "CD/DVD device"},
    {0x6, 0x6, "Scanner device"},
    {0x7, 0x7, "Optical memory device"},
    {0x9, 0x9, "Communications device"},
    {0xE, 0xE, "Simplified direct-access device"},
    {0x1E, 0x1E, "Well known logical unit"},
    {0x1F, 0x1F, "Unknown or no device type"},
};
constexpr NameRange kPeripheralQualifierName[] = {
    {0x0, 0x0, "Currently connected"},
    {0x1, 0x1, "Supported but not currently connected"},
    {0x3, 0x3, "Not supported"},
};
constexpr NameRange kVersionName[] = {
    {0x0, 0x0, "No compliance to any standard"},
    {0x2, 0x2, "Compliance to ANSI X3.131:1994"},
    {0x3, 0x3, "Compliance to ANSI INCITS 301-1997 (SPC)"},
    {0x4, 0x4, "Compliance to ANSI INCITS 351-2001 (SPC-2)"},
    {0x5, 0x5, "Compliance to ANSI INCITS 408-2005 (SPC-3)"},
    {0x6, 0x6, "Compliance to ANSI INCITS 513-2015 (SPC-4)"},
    {0x80, 0x80, "Compliance to ISO/IEC 9316:1995"},
    {0x82, 0x82, "Compliance to ISO/IEC 9316:1995 and to ANSI X3.131:1994"},
    {0x83, 0x83, "Compliance to ISO/IEC 9316:1995 and to ANSI X3.301:1997"},
    {0x84, 0x84, "Compliance to ISO/IEC 9316:1995 and to ANSI INCITS 351-2001 (SPC-2)"},
};
constexpr NameRange kIdentifierTypeName[] = {
    {0x0, 0x0, "Vendor specific"},
    {0x1, 0x1, "T10 vendor ID based"},
    {0x2, 0x2, "EUI-64 based"},
    {0x3, 0x3, "NAA"},
    {0x4, 0x4, "Relative target port identifier"},
    {0x5, 0x5, "Target port group"},
    {0x6, 0x6, "Logical unit group"},
    {0x7, 0x7, "MD5 logical unit identifier"},
    {0x8, 0x8, "SCSI name string"},
    {0x9, 0x9, "Protocol specific port identifier"},
    {0xA, 0xA, "UUID identifier"},
};
constexpr NameRange kAssociationName[] = {
    {0x0, 0x0, "Identifier field is associated with addressed logical unit"},
    {0x1, 0x1, "Identifier field is associated with target port that received request"},
    {0x2, 0x2, "Identifier field is associated with SCSI target device that contains addressed logical unit"},
};
constexpr NameRange kCodeSetName[] = {
    {0x1, 0x1, "Identifier field contains binary values"},
    {0x2, 0x2, "Identifier field contains ASCII printable characters"},
    {0x3, 0x3, "Identifier field contains ISO/IEC 10646-1 (UTF-8) codes"},
};
constexpr NameRange kPageControlName[] = {
    {0x0, 0x0, "Current values"},
    {0x1, 0x1, "Changeable values"},
    {0x2, 0x2, "Default values"},
    {0x3, 0x3, "Saved values"},
};
constexpr NameRange kPowerConditionName[] = {
    {0x0, 0x0, "No change in power condition"},
    {0x1, 0x1, "Active"},
    {0x2, 0x2, "Idle"},
    {0x3, 0x3, "Standby"},
    {0x5, 0x5, "Sleep"},
    {0x7, 0x7, "LU Control"},
    {0xA, 0xA, "Force Idle 0"},
    {0xB, 0xB, "Force Standby 0"},
};
constexpr NameRange kSelfTestCodeName[] = {
    {0x1, 0x1, "Background Short Self-Test"},
    {0x2, 0x2, "Background Extended Self-Test"},
    {0x4, 0x4, "Abort Background Self-Test"},
    {0x5, 0x5, "Foreground Short Self-Test"},
    {0x6, 0x6, "Foreground Extended Self-Test"},
};
constexpr NameRange kCapacityDescriptorTypeName[] = {
    {0x1, 0x1, "Unformatted Media"},
    {0x2, 0x2, "Formatted Media"},
    {0x3, 0x3, "No Media Present"},
};
constexpr NameRange kFormatTypeName[] = {
    {0x0, 0x0, "Full Format"},
    {0x1, 0x1, "Spare Area Expansion"},
    {0x10, 0x10, "CD-RW/DVD-RW Full Format"},
    {0x11, 0x11, "CD-RW/DVD-RW Grow Session"},
    {0x13, 0x13, "DVD-RW Quick Grow Last Border"},
    {0x15, 0x15, "DVD-RW Quick Format"},
    {0x16, 0x16, "HD DVD-R Expand Test Zone"},
    {0x17, 0x17, "HD DVD-R DL and HD DVD-RW DL Instant Recording Setup for L1"},
    {0x18, 0x18, "DVD-RW DL Fast Re-format"},
    {0x20, 0x20, "Full Format with Sparing Parameters"},
    {0x26, 0x26, "DVD+RW Basic Format"},
    {0x30, 0x30, "BD-RE Full Format with Spare Areas"},
    {0x31, 0x31, "BD-RE Full Format without Spare Areas"},
    {0x32, 0x32, "BD-R Full Format with Spare Areas"},
};
constexpr NameRange kPhysicalInterfaceStandardName[] = {
    {0x0, 0x0, "Unspecified"},
    {0x1, 0x1, "SCSI Family"},
    {0x2, 0x2, "ATAPI"},
    {0x3, 0x3, "IEEE 1394 - 1995"},
    {0x4, 0x4, "IEEE 1394A"},
    {0x5, 0x5, "Fibre Channel"},
    {0x6, 0x6, "IEEE 1394B"},
    {0x7, 0x7, "Serial ATAPI"},
    {0x8, 0x8, "USB"},
    {0xFFFF, 0xFFFF, "Vendor Unique"},
};
constexpr NameRange kLoadingMechanismName[] = {
    {0x0, 0x0, "Caddy/Slot"},
    {0x1, 0x1, "Tray"},
    {0x2, 0x2, "Pop-up"},
    {0x4, 0x4, "Changer with individually changeable discs"},
    {0x5, 0x5, "Changer using a magazine mechanism"},
};
constexpr NameRange kTocFormatName[] = {
    {0x0, 0x0, "TOC"},
    {0x1, 0x1, "Session Info"},
    {0x2, 0x2, "Full TOC"},
    {0x3, 0x3, "PMA"},
    {0x4, 0x4, "ATIP"},
    {0x5, 0x5, "CD-TEXT"},
};
constexpr NameRange kTocAdrName[] = {
    {0x0, 0x0, "Q Sub-channel mode information not supplied"},
    {0x1, 0x1, "Q Sub-channel encodes current position data"},
    {0x2, 0x2, "Q Sub-channel encodes media catalog number"},
    {0x3, 0x3, "Q Sub-channel encodes ISRC"},
};
constexpr NameRange kTrackDataModeName[] = {
    {0x1, 0x1, "Mode 1 (ISO/IEC 10149)"},
    {0x2, 0x2, "Mode 2 (ISO/IEC 10149 or CD-ROM XA) DDCD"},
    {0xF, 0xF, "Data Block Type Unknown"},
};
constexpr NameRange kAddressNumberTypeName[] = {
    {0x0, 0x0, "Logical Block Address"},
    {0x1, 0x1, "Track Number"},
    {0x2, 0x2, "Session Number"},
};
constexpr NameRange kDiscTypeName[] = {
    {0x0, 0x0, "CD-DA or CD-ROM"},
    {0x10, 0x10, "CD-I"},
    {0x20, 0x20, "CD-ROM XA"},
};
constexpr NameRange kBackgroundFormatStatusName[] = {
    {0x0, 0x0, "Neither CD-RW nor DVD+RW, CD-RW is not formatted as CD-MRW, blank DVD+RW"},
    {0x1, 0x1, "Started but is not currently running and is not complete"},
    {0x2, 0x2, "In progress"},
    {0x3, 0x3, "Completed"},
};
constexpr NameRange kSessionStateName[] = {
    {0x0, 0x0, "Empty Session"},
    {0x1, 0x1, "Incomplete Session"},
    {0x2, 0x2, "Reserved/Damaged Session"},
    {0x3, 0x3, "Complete Session"},
};
constexpr NameRange kDiscStatusName[] = {
    {0x0, 0x0, "Empty Disc"},
    {0x1, 0x1, "Incomplete Disc"},
    {0x2, 0x2, "Finalized Disc"},
    {0x3, 0x3, "Others"},
};
constexpr NameRange kDeviceBusyStatusName[] = {
    {0x0, 0x0, "No Event"},
    {0x1, 0x1, "Power"},
    {0x2, 0x2, "Immediate"},
    {0x3, 0x3, "Deferred"},
};
constexpr NameRange kMultipleInitiatorEventName[] = {
    {0x0, 0x0, "No Changes"},
    {0x1, 0x1, "Control Request"},
    {0x2, 0x2, "Control Grant"},
    {0x3, 0x3, "Control Release"},
};
constexpr NameRange kMediaEventName[] = {
    {0x0, 0x0, "No Changes"},
    {0x1, 0x1, "Eject Request"},
    {0x2, 0x2, "New Media"},
    {0x3, 0x3, "Media Removal"},
    {0x4, 0x4, "Media Changed"},
    {0x5, 0x5, "Background Format Completed"},
    {0x6, 0x6, "Background Format Restarted"},
};
constexpr NameRange kExternalRequestEventName[] = {
    {0x0, 0x0, "No Changes"},
    {0x1, 0x1, "Logical Unit Key Down"},
    {0x2, 0x2, "Logical Unit Key Up"},
    {0x3, 0x3, "External Request Notification"},
};
constexpr NameRange kPowerStatusName[] = {
    {0x1, 0x1, "Active"},
    {0x2, 0x2, "Idle"},
    {0x3, 0x3, "Standby"},
    {0x4, 0x4, "Sleep"},
};
constexpr NameRange kPowerEventName[] = {
    {0x0, 0x0, "No Changes"},
    {0x1, 0x1, "Power State Change Successful"},
    {0x2, 0x2, "Power State Change Fail"},
};
constexpr NameRange kOperationalStatusName[] = {
    {0x0, 0x0, "Available"},
    {0x1, 0x1, "Temporarily Busy"},
    {0x2, 0x2, "Busy/Reserved"},
};
constexpr NameRange kOperationalEventName[] = {
    {0x0, 0x0, "No Changes"},
    {0x1, 0x1, "Operational Change Request"},
    {0x2, 0x2, "Logical Unit has Changed Operational State"},
};
constexpr NameRange kEventClassName[] = {
    {0x1, 0x1, "Operational Change Request/Notification"},
    {0x2, 0x2, "Power Management"},
    {0x3, 0x3, "External Request"},
    {0x4, 0x4, "Media"},
    {0x5, 0x5, "Multiple Initiators"},
    {0x6, 0x6, "Device Busy"},
};
constexpr NameRange kChangerStateName[] = {
    {0x0, 0x0, "Ready"},
    {0x1, 0x1, "Load in Progress"},
    {0x2, 0x2, "Unload in Progress"},
    {0x3, 0x3, "Initializing"},
};
constexpr NameRange kMechanismStateName[] = {
    {0x0, 0x0, "Idle"},
    {0x1, 0x1, "Playing (Audio or Data)"},
    {0x2, 0x2, "Scanning"},
    {0x3, 0x3, "Active with Initiator, Composite or Other Ports in use"},
    {0x7, 0x7, "No State Information Available"},
};
constexpr NameRange kIec958WordLengthName[] = {
    {0x0, 0x0, "32"},
    {0x1, 0x1, "16"},
    {0x2, 0x2, "24"},
    {0x3, 0x3, "24 (I2S)"},
};
constexpr NameRange kSessionFormatName[] = {
    {0x0, 0x0, "CD-DA, or CD-ROM or other data discs"},
    {0x10, 0x10, "CD-I Disc"},
    {0x20, 0x20, "CD-ROM XA Disc, DDCD Disc"},
};
constexpr NameRange kDataBlockTypeName[] = {
    {0x0, 0x0, "Block Size = 2352 - Raw data 2352 bytes of raw data"},
    {0x1, 0x1, "Block Size = 2368 - Raw data with P and Q Sub-channel"},
    {0x2, 0x2, "Block Size = 2448 - Raw data with P-W Sub-channel appended"},
    {0x3, 0x3, "Block Size = 2448 - Raw data with raw P-W Sub-channel appended"},
    {0x8, 0x8, "Block Size = 2048 - Mode 1 (ISO/IEC 10149): 2048 bytes of user data"},
    {0x9, 0x9, "Block Size = 2336 - Mode 2 (ISO/IEC 10149): 2336 bytes of user data"},
    {0xA, 0xA, "Block Size = 2048 - Mode 2 (CD-ROM XA, form 1): 2048 bytes of user data, sub-header from write parameters"},
    {0xB, 0xB, "Block Size = 2056 - Mode 2 (CD-ROM XA, form 1): 8 bytes of sub-header, 2048 bytes of user data"},
    {0xC, 0xC, "Block Size = 2324 - Mode 2 (CD-ROM XA, form 2): 2324 bytes of user data, sub-header is taken from write parameters"},
    {0xD, 0xD, "Block Size = 2332 - Mode 2 (CD-ROM XA, form 1, form 2, or mixed form): 8 bytes of sub-header, 2324 bytes of user data"},
};
constexpr NameRange kMultiSessionName[] = {
    {0x0, 0x0, "No B0 pointer. Next Session not allowed"},
    {0x1, 0x1, "For the CD media, B0 pointer = FF:FF:FF. Next session not allowed. For the DDCD media, B0 pointer = F:FF:FF:FF. Field reserved for non-CD media"},
    {0x3, 0x3, "Next session allowed. B0 pointer =next possible program area"},
};
constexpr NameRange kWriteTypeName[] = {
    {0x0, 0x0, "Packet/Incremental"},
    {0x1, 0x1, "Track at Once"},
    {0x2, 0x2, "Session at Once"},
    {0x3, 0x3, "Raw"},
};
constexpr NameRange kSubChannelSelectionName[] = {
    {0x0, 0x0, "No Sub-channel data"},
    {0x1, 0x1, "RAW"},
    {0x2, 0x2, "Formatted Q"},
    {0x4, 0x4, "P-W"},
};
constexpr NameRange kC2ErrorInformationName[] = {
    {0x0, 0x0, "None"},
    {0x1, 0x1, "C2 Error Block Data"},
    {0x2, 0x2, "C2 and Block Error Bits"},
};
constexpr NameRange kHeaderCodeName[] = {
    {0x0, 0x0, "None"},
    {0x1, 0x1, "Header only"},
    {0x2, 0x2, "Sub-header only"},
    {0x3, 0x3, "All headers"},
};
constexpr NameRange kExpectedSectorTypeName[] = {
    {0x0, 0x0, "All types"},
    {0x1, 0x1, "CD-DA"},
    {0x2, 0x2, "Mode 1"},
    {0x3, 0x3, "Mode 2 Formless"},
    {0x4, 0x4, "Mode 2 Form 1"},
    {0x5, 0x5, "Mode 2 Form 2"},
};
constexpr NameRange kCloseFunctionName[] = {
    {0x0, 0x0, "Stop Format"},
    {0x1, 0x1, "Close Track"},
    {0x2, 0x2, "Close Session or Stop Format"},
    {0x3, 0x3, "Close Session - special case"},
    {0x5, 0x5, "Close Session and Finalize Disc \x96"" special case"},
    {0x6, 0x6, "Close Session and Finalize Disc"},
};
constexpr NameRange kBlankingTypeName[] = {
    {0x0, 0x0, "Blank disc"},
    {0x1, 0x1, "Minimally blank disc"},
    {0x2, 0x2, "Blank track"},
    {0x3, 0x3, "Un-reserve track"},
    {0x4, 0x4, "Blank track tail"},
    {0x5, 0x5, "Unclose last session"},
    {0x6, 0x6, "Erase session"},
};
constexpr NameRange kUnusableAreaTypeName[] = {
    {0x0, 0x0, "Zone boundary information"},
    {0x1, 0x1, "PDL information"},
    {0x2, 0x2, "SDL information"},
};
constexpr NameRange kPerformanceTypeName[] = {
    {0x0, 0x0, "Performance Data"},
    {0x1, 0x1, "Unusable Area Data"},
    {0x2, 0x2, "Defect Status Data"},
    {0x3, 0x3, "Write Speed Descriptor"},
    {0x4, 0x4, "DBI"},
    {0x5, 0x5, "DBI Cache Zone"},
};
constexpr NameRange kDcbContentDescriptorName[] = {
    {0x46444300, 0x46444300, "Formatting DCB"},
    {0x53444300, 0x53444300, "Session DCB"},
    {0x544F4300, 0x544F4300, "TOC"},
    {0x57444300, 0x57444300, "Write Inhibit DCB"},
};
constexpr NameRange kCopyProtectionSystemName[] = {
    {0x0, 0x0, "None"},
    {0x1, 0x1, "CSS/CPPM"},
    {0x2, 0x2, "CPRM"},
};
constexpr NameRange kTrackDensityName[] = {
    {0x0, 0x0, "0.74 um/track"},
    {0x1, 0x1, "0.80 um/track"},
    {0x2, 0x2, "0.615 um/track"},
};
constexpr NameRange kLinearDensityName[] = {
    {0x0, 0x0, "0.267 um/bit"},
    {0x1, 0x1, "0.293 um/bit"},
    {0x2, 0x2, "0.409 to 0.435 um/bit"},
    {0x4, 0x4, "0.280 to 0.291 um/bit"},
    {0x8, 0x8, "0.353 um/bit"},
};
constexpr NameRange kLayerTypeName[] = {
    {0x0, 0x0, "Layer contains embossed data"},
    {0x1, 0x1, "Layer contains recordable area"},
    {0x2, 0x2, "Layer contains rewritable area"},
};
constexpr NameRange kMaximumRateName[] = {
    {0x0, 0x0, "2.52 Mbps"},
    {0x1, 0x1, "5.04 Mbps"},
    {0x2, 0x2, "10.08 Mbps"},
    {0xF, 0xF, "Not Specified"},
};
constexpr NameRange kBookTypeName[] = {
    {0x0, 0x0, "DVD-ROM"},
    {0x1, 0x1, "DVD-RAM"},
    {0x2, 0x2, "DVD-R"},
    {0x3, 0x3, "DVD-RW"},
    {0x9, 0x9, "DVD+RW"},
};
constexpr NameRange kDiscStructureFormatName[] = {
    {0x0, 0x0, "Physical"},
    {0x1, 0x1, "Copyright"},
    {0x2, 0x2, "Disc Key"},
    {0x3, 0x3, "BCA"},
    {0x4, 0x4, "Manufacturer"},
    {0x5, 0x5, "Copyright Management"},
    {0x6, 0x6, "Media Identifier"},
    {0x7, 0x7, "Media Key Block"},
    {0x8, 0x8, "DDS"},
    {0x9, 0x9, "DVD-RAM Medium Status"},
    {0xA, 0xA, "Spare Area Information"},
    {0xC, 0xC, "RMD in the Last Border-out"},
    {0xD, 0xD, "RMD"},
    {0xE, 0xE, "Pre-recorded Information in Lead-in"},
    {0xF, 0xF, "Unique Disc Identifier"},
    {0x10, 0x10, "Physical in the Lead-in"},
    {0x30, 0x30, "Disc Control Blocks"},
    {0xC0, 0xC0, "Write Protection"},
    {0xFF, 0xFF, "Structure List"},
};
constexpr NameRange kRpcTypeCodeName[] = {
    {0x0, 0x0, "None"},
    {0x1, 0x1, "Set"},
    {0x2, 0x2, "Last Chance"},
    {0x3, 0x3, "Perm"},
};
constexpr NameRange kReportKeyFormatName[] = {
    {0x0, 0x0, "AGID for CSS/CPPM"},
    {0x1, 0x1, "Challenge Key"},
    {0x2, 0x2, "Key1"},
    {0x4, 0x4, "Title Key"},
    {0x5, 0x5, "ASF"},
    {0x8, 0x8, "RPC State"},
    {0x11, 0x11, "AGID for CPRM"},
    {0x3F, 0x3F, "Invalidate AGID"},
};
constexpr NameRange kSendKeyFormatName[] = {
    {0x1, 0x1, "Challenge Key"},
    {0x3, 0x3, "Key2"},
    {0x6, 0x6, "RPC Structure"},
    {0x3F, 0x3F, "Invalidate AGID"},
};
constexpr NameRange kKeyClassName[] = {
    {0x0, 0x0, "DVD CSS/CPPM or CPRM"},
    {0x1, 0x1, "ReWritable Security Service \x96"" A"},
    {0x2, 0x2, "AACS"},
    {0x20, 0x20, "VCPS"},
    {0x21, 0x21, "SecurDisc"},
};
constexpr NameRange kVpdPageName[] = {
    {0x0, 0x0, "Supported VPD Pages"},
    {0x1, 0x7F, "ASCII Information"},
    {0x80, 0x80, "Unit Serial Number"},
    {0x81, 0x81, "Implemented Operating Definition"},
    {0x82, 0x82, "ASCII Implemented Operating Definition Page"},
    {0x83, 0x83, "Device Identification"},
    {0x84, 0x84, "Software Interface Identification"},
    {0x85, 0x85, "Management Network Addresses"},
    {0x86, 0x86, "Extended Inquiry Data"},
    {0x87, 0x87, "Mode Page Policy"},
    {0x88, 0x88, "SCSI Ports"},
    {0x89, 0x89, "ATA Information"},
    {0x8A, 0x8A, "Power Condition"},
    {0x8B, 0x8B, "Device Constituents"},
    {0x8C, 0x8C, "CFA Profile Information"},
    {0x8D, 0x8D, "Power Consumption"},
    {0x8F, 0x8F, "Third-Party Copy"},
    {0x90, 0x90, "Protocol Specific Logical Unit Information"},
    {0x91, 0x91, "Protocol Specific Port Information"},
    {0xB0, 0xB0, "Block Limits"},
    {0xB1, 0xB1, "Block Device Characteristics"},
    {0xB2, 0xB2, "Logical Block Provisioning"},
    {0xB3, 0xB3, "Referrals"},
    {0xB4, 0xB4, "Supported Block Lengths and Protection Types"},
    {0xB5, 0xB5, "Block Device Characteristics Extension"},
    {0xB7, 0xB7, "Block Limits Extension"},
    {0xC0, 0xFF, "Vendor Specific"},
};
constexpr NameRange kSecurityProtocolName[] = {
    {0x0, 0x0, "Security Protocol Information"},
    {0x1, 0x6, "Defined by TCG"},
    {0x7, 0x7, "CbCS"},
    {0x20, 0x20, "Tape Data Encryption"},
    {0x21, 0x21, "Data Encryption Configuration"},
    {0x40, 0x40, "SA Creation Capabilities"},
    {0x41, 0x41, "IKEv2-SCSI"},
    {0xEB, 0xEB, "Defined by SCSA"},
    {0xEC, 0xEC, "JEDEC Universal Flash Storage"},
    {0xED, 0xED, "SDcard TrustedFlash Security Systems Specification 1.1.3"},
    {0xEE, 0xEE, "Authentication in Host Attachments of Transient Storage Devices"},
    {0xEF, 0xEF, "ATA Device Server Password"},
    {0xF0, 0xFF, "Vendor Specific"},
};
constexpr NameRange kMmcProfileName[] = {
    {0x1, 0x1, "Non-Removable Disk"},
    {0x2, 0x2, "Removable Disk"},
    {0x3, 0x3, "MO Erasable"},
    {0x4, 0x4, "MO Write Once"},
    {0x5, 0x5, "AS-MO"},
    {0x8, 0x8, "CD-ROM"},
    {0x9, 0x9, "CD-R"},
    {0xA, 0xA, "CD-RW"},
    {0x10, 0x10, "DVD-ROM"},
    {0x11, 0x11, "DVD-R Sequential Recording"},
    {0x12, 0x12, "DVD-RAM"},
    {0x13, 0x13, "DVD-RW Restricted Overwrite"},
    {0x14, 0x14, "DVD-RW Sequential Recording"},
    {0x15, 0x15, "DVD-R Dual Layer Sequential Recording"},
    {0x16, 0x16, "DVD-R Dual Layer Jump Recording"},
    {0x17, 0x17, "DVD-RW Dual Layer"},
    {0x18, 0x18, "DVD-Download Disc Recording"},
    {0x1A, 0x1A, "DVD+RW"},
    {0x1B, 0x1B, "DVD+R"},
    {0x20, 0x20, "DDCD-ROM"},
    {0x21, 0x21, "DDCD-R"},
    {0x22, 0x22, "DDCD-RW"},
    {0x2A, 0x2A, "DVD+RW Dual Layer"},
    {0x2B, 0x2B, "DVD+R Dual Layer"},
    {0x40, 0x40, "BD-ROM"},
    {0x41, 0x41, "BD-R SRM"},
    {0x42, 0x42, "BD-R RRM"},
    {0x43, 0x43, "BD-RE"},
    {0x50, 0x50, "HD DVD-ROM"},
    {0x51, 0x51, "HD DVD-R"},
    {0x52, 0x52, "HD DVD-RAM"},
    {0x53, 0x53, "HD DVD-RW"},
    {0x58, 0x58, "HD DVD-R Dual Layer"},
    {0x5A, 0x5A, "HD DVD-RW Dual Layer"},
    {0xFFFF, 0xFFFF, "Drives not Conforming to a Standard Profile"},
};
constexpr NameRange kMmcFeatureName[] = {
    {0x0, 0x0, "Profile List"},
    {0x1, 0x1, "Core"},
    {0x2, 0x2, "Morphing"},
    {0x3, 0x3, "Removable Medium"},
    {0x4, 0x4, "Write Protect"},
    {0x10, 0x10, "Random Readable"},
    {0x1D, 0x1D, "Multi-Read"},
    {0x1E, 0x1E, "CD Read"},
    {0x1F, 0x1F, "DVD Read"},
    {0x20, 0x20, "Random Writable"},
    {0x21, 0x21, "Incremental Streaming Writable"},
    {0x22, 0x22, "Sector Erasable"},
    {0x23, 0x23, "Formattable"},
    {0x24, 0x24, "Defect Management"},
    {0x25, 0x25, "Write Once"},
    {0x26, 0x26, "Restricted Overwrite"},
    {0x27, 0x27, "CD-RW CAV Write"},
    {0x28, 0x28, "MRW"},
    {0x29, 0x29, "Enhanced Defect Reporting"},
    {0x2A, 0x2A, "DVD+RW"},
    {0x2B, 0x2B, "DVD+R"},
    {0x2C, 0x2C, "Rigid Restricted Overwrite"},
    {0x2D, 0x2D, "CD Track at Once"},
    {0x2E, 0x2E, "CD Mastering"},
    {0x2F, 0x2F, "DVD-R/-RW Write"},
    {0x30, 0x30, "DDCD Read"},
    {0x31, 0x31, "DDCD-R Write"},
    {0x32, 0x32, "DDCD-RW Write"},
    {0x33, 0x33, "Layer Jump Recording"},
    {0x34, 0x34, "LJ Rigid Restricted Overwrite"},
    {0x35, 0x35, "Stop Long Operation"},
    {0x37, 0x37, "CD-RW Media Write Support"},
    {0x38, 0x38, "BD-R POW"},
    {0x3A, 0x3A, "DVD+RW Dual Layer"},
    {0x3B, 0x3B, "DVD+R Dual Layer"},
    {0x40, 0x40, "BD Read"},
    {0x41, 0x41, "BD Write"},
    {0x42, 0x42, "Timely Safe Recording (TSR)"},
    {0x50, 0x50, "HD DVD Read"},
    {0x51, 0x51, "HD DVD Write"},
    {0x52, 0x52, "HD DVD-RW Fragment Recording"},
    {0x80, 0x80, "Hybrid Disc"},
    {0x100, 0x100, "Power Management"},
    {0x101, 0x101, "S.M.A.R.T."},
    {0x102, 0x102, "Embedded Changer"},
    {0x103, 0x103, "CD Audio Analog Play"},
    {0x104, 0x104, "Microcode Upgrade"},
    {0x105, 0x105, "Timeout"},
    {0x106, 0x106, "DVD-CSS"},
    {0x107, 0x107, "Real Time Streaming"},
    {0x108, 0x108, "Drive Serial Number"},
    {0x109, 0x109, "Media Serial Number"},
    {0x10A, 0x10A, "Disc Control Blocks"},
    {0x10B, 0x10B, "DVD CPRM"},
    {0x10C, 0x10C, "Firmware Information"},
    {0x10D, 0x10D, "AACS"},
    {0x10E, 0x10E, "DVD CSS Managed Recording"},
    {0x110, 0x110, "Video Copy Protection System (VCPS)"},
    {0x113, 0x113, "SecurDisc"},
    {0x120, 0x120, "BD Copy Protection System"},
    {0x142, 0x142, "OSSC"},
    {0xFF00, 0xFFFF, "Vendor Specific"},
};
constexpr NameRange kExternalRequestName[] = {
    {0x0, 0x0, "No Request"},
    {0x1, 0x1, "Overrun"},
    {0x101, 0x101, "Play"},
    {0x102, 0x102, "Rewind/Back"},
    {0x103, 0x103, "Fast Forward"},
    {0x104, 0x104, "Pause"},
    {0x106, 0x106, "Stop"},
    {0x200, 0x2FF, "ASCII Button"},
    {0xF000, 0xFFFF, "Vendor Unique"},
};
constexpr NameRange kOperationalRequestName[] = {
    {0x0, 0x0, "No Changes"},
    {0x1, 0x1, "Change"},
    {0x2, 0x2, "Add Change"},
    {0x3, 0x3, "Reset"},
    {0x4, 0x4, "Firmware Changed"},
    {0x5, 0x5, "Inquiry Change"},
};
constexpr NameRange kMultipleInitiatorPriorityName[] = {
    {0x0, 0x0, "No Request"},
    {0x1, 0x1, "Low"},
    {0x2, 0x2, "Medium"},
    {0x3, 0x3, "High"},
};
constexpr AscAscqName kAscAscq[] = {
    {0x00, 0x00, 0x00, "No Additional Sense Information"},
    {0x00, 0x11, 0x11, "Audio Play Operation in Progress"},
    {0x00, 0x12, 0x12, "Audio Play Operation Paused"},
    {0x00, 0x13, 0x13, "Audio Play Operation Successfully Completed"},
    {0x00, 0x14, 0x14, "Audio Play Operation Stopped Due to Error"},
    {0x00, 0x15, 0x15, "No Current Audio Status to Return"},
    {0x00, 0x16, 0x16, "Operation in Progress"},
    {0x00, 0x1F, 0x1F, "Logical Unit Transitioning to Another Power Condition"},
    {0x00, 0x20, 0x20, "Extended Copy Information Available"},
    {0x02, 0x00, 0x00, "No Seek Complete"},
    {0x03, 0x00, 0x00, "Peripheral Device Write Fault"},
    {0x04, 0x00, 0x00, "Logical Unit not Ready, Cause not Reportable"},
    {0x04, 0x01, 0x01, "Logical Unit is in Process of Becoming Ready"},
    {0x04, 0x02, 0x02, "Logical Unit not Ready, Initializing Command Required"},
    {0x04, 0x03, 0x03, "Logical Unit not Ready, Manual Intervention Required"},
    {0x04, 0x04, 0x04, "Logical Unit not Ready, Format in Progress"},
    {0x04, 0x07, 0x07, "Logical Unit not Ready, Operation in Progress"},
    {0x04, 0x08, 0x08, "Logical Unit not Ready, Long Write in Progress"},
    {0x04, 0x09, 0x09, "Logical Unit not Ready, Self-Test in Progress"},
    {0x04, 0x1A, 0x1A, "Logical Unit not Ready, Start Stop Unit Command in Progress"},
    {0x04, 0x20, 0x20, "Logical Unit not Ready, Logical Unit Reset Required"},
    {0x04, 0x21, 0x21, "Logical Unit not Ready, Hard Reset Required"},
    {0x04, 0xFF, 0xFF, "Logical Drive not Ready - Device is Busy"},
    {0x06, 0x00, 0x00, "No Reference Position Found"},
    {0x08, 0x00, 0x00, "Logical Unit Communication Failure"},
    {0x08, 0x01, 0x01, "Logical Unit Communication Time-Out"},
    {0x08, 0x02, 0x02, "Logical Unit Communication Parity Error"},
    {0x08, 0x04, 0x04, "Unreachable Copy Target"},
    {0x08, 0x80, 0x80, "Logical Unit Communication Overrun"},
    {0x09, 0x00, 0x00, "Track Following Error"},
    {0x09, 0x01, 0x01, "Tracking Servo Failure"},
    {0x09, 0x02, 0x02, "Focus Servo Failure"},
    {0x09, 0x03, 0x03, "Spindle Servo Failure"},
    {0x09, 0x04, 0x04, "Head Select Fault"},
    {0x09, 0x05, 0x05, "Vibration Induced Tracking Error"},
    {0x0B, 0x00, 0x00, "Warning"},
    {0x0C, 0x00, 0x00, "Write Error"},
    {0x0C, 0x07, 0x07, "Write Error - Recovery Needed"},
    {0x0C, 0x08, 0x08, "Write Error - Recovery Failed"},
    {0x0C, 0x09, 0x09, "Write Error - Loss of Streaming"},
    {0x0C, 0x0A, 0x0A, "Write Error - Padding Blocks Added"},
    {0x0C, 0x0E, 0x0E, "Multiple Write Errors"},
    {0x0D, 0x00, 0x00, "Error Detected by Third Party Temporary Initiator"},
    {0x0D, 0x01, 0x01, "Third Party Device Failure"},
    {0x0D, 0x02, 0x02, "Copy Target Device not Reachable"},
    {0x0D, 0x03, 0x03, "Incorrect Copy Target Device Type"},
    {0x0D, 0x04, 0x04, "Copy Target Device Data Underrun"},
    {0x0D, 0x05, 0x05, "Copy Target Device Data Overrun"},
    {0x0E, 0x00, 0x00, "Invalid Information Unit"},
    {0x0E, 0x01, 0x01, "Information Unit Too Short"},
    {0x0E, 0x02, 0x02, "Information Unit Too Long"},
    {0x0E, 0x03, 0x03, "Invalid Field in Command Information Unit"},
    {0x10, 0x00, 0x00, "ID CRC or ECC Error"},
    {0x11, 0x00, 0x00, "Unrecovered Read Error"},
    {0x12, 0x00, 0x00, "Address Mark not Found for ID Field"},
    {0x13, 0x00, 0x00, "Address Mark not Found for Data Field"},
    {0x14, 0x01, 0x01, "Record not Found"},
    {0x15, 0x00, 0x00, "Random Positioning Error"},
    {0x15, 0x01, 0x01, "Mechanical Positioning Error"},
    {0x16, 0x00, 0x00, "Data Synchronization Mark Error"},
    {0x17, 0x00, 0x00, "Recovered Data with no Error Correction Applied"},
    {0x17, 0x01, 0x01, "Recovered Data with Retries"},
    {0x18, 0x00, 0x00, "Recovered Data with Error Correction Applied"},
    {0x18, 0x07, 0x07, "Recovered Data with ECC - Data Rewritten"},
    {0x19, 0x00, 0x00, "Defect List Error"},
    {0x1A, 0x00, 0x00, "Parameter List Length Error"},
    {0x1D, 0x00, 0x00, "Miscompare During Verify Operation"},
    {0x1E, 0x00, 0x00, "Recovered ID with ECC Correction"},
    {0x1F, 0x00, 0x00, "Partial Defect List Transfer"},
    {0x20, 0x00, 0x00, "Invalid Command Operation Code"},
    {0x21, 0x00, 0x00, "Logical Block Address Out of Range"},
    {0x21, 0x01, 0x01, "Invalid Element Address"},
    {0x21, 0x02, 0x02, "Invalid Address for Write"},
    {0x21, 0x03, 0x03, "Invalid Write Crossing Layer Jump"},
    {0x22, 0x00, 0x00, "Illegal Function (Use 20 00, 24 00, OR 26 00)"},
    {0x23, 0x00, 0x00, "Invalid Token Operation, Cause not Reportable"},
    {0x24, 0x00, 0x00, "Invalid Field in CDB"},
    {0x24, 0x01, 0x01, "CDB Decryption Error"},
    {0x24, 0x08, 0x08, "Invalid XCDB"},
    {0x25, 0x00, 0x00, "Logical Unit not Supported"},
    {0x26, 0x00, 0x00, "Invalid Field in Parameter List"},
    {0x26, 0x01, 0x01, "Parameter not Supported"},
    {0x26, 0x02, 0x02, "Parameter Value Invalid"},
    {0x27, 0x00, 0x00, "Write Protected"},
    {0x27, 0x01, 0x01, "Hardware Write Protected"},
    {0x27, 0x02, 0x02, "Logical Unit Software Write Protected"},
    {0x28, 0x00, 0x00, "Not Ready to Ready Change, Medium May Have Changed"},
    {0x29, 0x00, 0x00, "Power On, Reset, or Bus Device Reset Occurred"},
    {0x2A, 0x00, 0x00, "Parameters Changed"},
    {0x2B, 0x00, 0x00, "Copy Cannot Execute Since Host Cannot Disconnect"},
    {0x2C, 0x00, 0x00, "Command Sequence Error"},
    {0x2C, 0x03, 0x03, "Current Program Area is not Empty"},
    {0x2C, 0x04, 0x04, "Current Program Area is Empty"},
    {0x2E, 0x00, 0x00, "Insufficient Time for Operation"},
    {0x2F, 0x00, 0x00, "Commands Cleared by Another Initiator"},
    {0x30, 0x00, 0x00, "Incompatible Medium Installed"},
    {0x30, 0x01, 0x01, "Cannot Read Medium - Unknown Format"},
    {0x30, 0x04, 0x04, "Cannot Write Medium - Unknown Format"},
    {0x30, 0x06, 0x06, "Cannot Format Medium - Incompatible Medium"},
    {0x30, 0x10, 0x10, "Medium not Formatted"},
    {0x31, 0x01, 0x01, "Format Command Failed"},
    {0x32, 0x01, 0x01, "Defect List Update Failure"},
    {0x34, 0x00, 0x00, "ENCLOSURE Failure"},
    {0x35, 0x00, 0x00, "Enclosure Services Failure"},
    {0x35, 0x01, 0x01, "Unsupported Enclosure Function"},
    {0x35, 0x02, 0x02, "Enclosure Services Unavailable"},
    {0x35, 0x03, 0x03, "Enclosure Services Transfer Failure"},
    {0x35, 0x04, 0x04, "Enclosure Services Transfer Refused"},
    {0x35, 0x05, 0x05, "Enclosure Services Checksum Error"},
    {0x37, 0x00, 0x00, "Rounded Parameter"},
    {0x38, 0x00, 0x00, "Event Status Notification"},
    {0x39, 0x00, 0x00, "Saving Parameters not Supported"},
    {0x3A, 0x00, 0x00, "Medium not Present"},
    {0x3A, 0x01, 0x01, "Medium not Present - Tray Closed"},
    {0x3A, 0x02, 0x02, "Medium not Present - Tray Open"},
    {0x3A, 0x03, 0x03, "Medium not Present - Loadable"},
    {0x3A, 0x04, 0x04, "Medium not Present - Medium Auxiliary Memory Accessible"},
    {0x3B, 0x0D, 0x0D, "Medium Destination Element Full"},
    {0x3B, 0x0E, 0x0E, "Medium Source Element Empty"},
    {0x3B, 0x0F, 0x0F, "End of Medium Reached"},
    {0x3D, 0x00, 0x00, "Invalid Bits in Identify Message"},
    {0x3E, 0x00, 0x00, "Logical Unit has not Self-Configured Yet"},
    {0x3E, 0x01, 0x01, "Logical Unit Failure"},
    {0x3E, 0x02, 0x02, "Timeout on Logical Unit"},
    {0x3E, 0x03, 0x03, "Logical Unit Failed Self-Test"},
    {0x3F, 0x00, 0x00, "Target Operating Conditions have Changed"},
    {0x3F, 0x03, 0x03, "Inquiry Data has Changed"},
    {0x3F, 0x04, 0x04, "Component Device Attached"},
    {0x3F, 0x05, 0x05, "Device Identifier Changed"},
    {0x3F, 0x0A, 0x0A, "Volume Set Created or Modified"},
    {0x3F, 0x0B, 0x0B, "Volume Set Deleted"},
    {0x3F, 0x0C, 0x0C, "Volume Set Deassigned"},
    {0x3F, 0x0D, 0x0D, "Volume Set Reassigned"},
    {0x40, 0x00, 0x00, "RAM Failure (Should Use 40 NN)"},
    {0x40, 0x01, 0xFF, "Diagnostic Failure on Component"},
    {0x43, 0x00, 0x00, "Message Error"},
    {0x44, 0x00, 0x00, "Internal Target Failure"},
    {0x45, 0x00, 0x00, "Select or Reselect Failure"},
    {0x46, 0x00, 0x00, "Unsuccessful Soft Reset"},
    {0x47, 0x00, 0x00, "SCSI Parity Error"},
    {0x48, 0x00, 0x00, "Initiator Detected Error Message Received"},
    {0x49, 0x00, 0x00, "Invalid Message Error"},
    {0x4A, 0x00, 0x00, "Command Phase Error"},
    {0x4B, 0x00, 0x00, "Data Phase Error"},
    {0x4C, 0x00, 0x00, "Logical Unit Failed Self-Configuration"},
    {0x4E, 0x00, 0x00, "Overlapped Commands Attempted"},
    {0x51, 0x00, 0x00, "Erase Failure"},
    {0x53, 0x00, 0x00, "Media Load or Eject Failed"},
    {0x53, 0x02, 0x02, "Medium Removal Prevented"},
    {0x54, 0x00, 0x00, "USB to Host System Interface Failure"},
    {0x55, 0x01, 0x01, "System Buffer Full"},
    {0x55, 0x03, 0x03, "Insufficient Resources"},
    {0x5D, 0x00, 0x00, "Failure Prediction Threshold Exceeded"},
    {0x5E, 0x00, 0x00, "Low Power Condition On"},
    {0x64, 0x00, 0x00, "Illegal Mode for This Track"},
    {0x65, 0x00, 0x00, "Voltage Fault"},
    {0x68, 0x01, 0x01, "Subsidiary Logical Unit not Configured"},
    {0x6F, 0x00, 0x00, "Copy Protection Key Exchange Failure - Authentication Failure"},
    {0x72, 0x00, 0x00, "Session Fixation Error"},
    {0x73, 0x00, 0x00, "CD Control Error"},
    {0x80, 0x00, 0x00, "Insufficient Resources"},
};

constexpr NameRange kProtocolIdentifiers[] = {{0x9, 0x9, "USB Attached SCSI"}, {0xF, 0xF, "No specific protocol"}};
constexpr NameRange kPreventAllow[] = {{0, 0, "Allow removal"}, {1, 1, "Prohibit removal"},
                                       {2, 2, "Allow removal"}, {3, 3, "Prohibit removal"}};
constexpr NameRange kStreamingTypes[] = {{0, 0, "Performance Descriptor"}, {5, 5, "DBI Cache Zone Descriptor"}};
constexpr NameRange kReadyOtherPrevent[] = {{0, 0, "Ready"}, {1, 1, "Other Prevent"}};
constexpr NameRange kDeviceBusyEvents[] = {{0, 0, "No Command has Timed Out"}, {1, 1, "Busy Event"}};
constexpr NameRange kWriteRotationControl[] = {{0, 0, "Media default rotation control"}, {1, 1, "CAV"}};
constexpr NameRange kRotationControl[] = {{0, 0, "CLV and Non-pure CAV"}, {1, 1, "Pure CAV"}};
constexpr NameRange kRotationalControl[] = {{0, 0, "CLV Recording"}, {1, 1, "CAV Recording"}};
constexpr NameRange kRpcSchemes[] = {{0, 0, "Unknown"}, {1, 1, "RPC Phase II"}};

// Mode pages of the MMC command set; the subpage is not consulted.
constexpr NameRange kMmcModePages[] = {
    {0x00, 0x00, "Vendor Specific"},
    {0x01, 0x01, "Read/Write Error Recovery"},
    {0x03, 0x03, "MRW"},
    {0x05, 0x05, "Write Parameter"},
    {0x08, 0x08, "Caching"},
    {0x0D, 0x0D, "CD Device Parameters"},
    {0x0E, 0x0E, "CD Audio Control"},
    {0x18, 0x18, "Feature Set Support & Version"},
    {0x1A, 0x1A, "Power Condition"},
    {0x1C, 0x1C, "Fault/Failure Reporting"},
    {0x1D, 0x1D, "Time-out & Protect"},
    {0x20, 0x29, "Vendor Specific"},
    {0x2A, 0x2A, "MM Capabilities & Mechanical Status"},
    {0x2C, 0x2C, "MRW"},
    {0x2D, 0x3E, "Vendor Specific"},
};

// Mode pages of the other command sets named whatever the subpage.
constexpr NameRange kAnySubpageModePages[] = {
    {0x00, 0x00, "Vendor Specific"},
    {0x03, 0x03, "Format Device"},
    {0x04, 0x04, "Rigid Disk Geometry"},
    {0x05, 0x05, "Flexible Disk"},
    {0x0B, 0x0B, "Medium Types Supported"},
    {0x0C, 0x0C, "Notch And Partition"},
    {0x15, 0x15, "Extended"},
    {0x16, 0x16, "Extended Device-Type Specific"},
    {0x20, 0x3E, "Vendor Specific"},
};

// Mode pages of the other command sets named with subpage 00h only.
constexpr NameRange kSubpageZeroModePages[] = {
    {0x01, 0x01, "Read/Write Error Recovery"},
    {0x02, 0x02, "Disconnect-Reconnect"},
    {0x07, 0x07, "Verify Error Recovery"},
    {0x08, 0x08, "Caching"},
    {0x10, 0x10, "XOR Control"},
    {0x18, 0x18, "Protocol Specific Logical Unit"},
    {0x19, 0x19, "Protocol Specific Port"},
};

// Pages whose subpages have names of their own, keyed page << 8 | subpage.
constexpr NameRange kSubpageModePages[] = {
    {0x0A00, 0x0A00, "Control"},
    {0x0A01, 0x0A01, "Control Extension"},
    {0x0A02, 0x0A02, "Application Tag"},
    {0x0A03, 0x0A03, "Command Duration Limit A"},
    {0x0A04, 0x0A04, "Command Duration Limit B"},
    {0x0A05, 0x0A05, "IO Advice Hints Grouping"},
    {0x0A06, 0x0A06, "Background Operation Control"},
    {0x1A00, 0x1A00, "Power Condition"},
    {0x1A01, 0x1A01, "Power Consumption"},
    {0x1C00, 0x1C00, "Informational Exceptions Control"},
    {0x1C01, 0x1C01, "Background Control"},
    {0x1C02, 0x1C02, "Logical Block Provisioning"},
};

// TOC points keyed Adr << 8 | Point.
constexpr NameRange kTocPoints[] = {
    {0x101, 0x163, "Track number references"},
    {0x1A0, 0x1A0, "First Track number in the program area"},
    {0x1A1, 0x1A1, "Last Track number in the program area"},
    {0x1A2, 0x1A2, "Start location of the Lead-out area"},
    {0x501, 0x540, "Skip interval pointers"},
    {0x5B0, 0x5B0, "Used to identify a Multi-session Disc (Photo CD). Contains start time of next possible program area"},
    {0x5B1, 0x5B1, "Number of skip interval pointers & Skip track assignments"},
    {0x5B2, 0x5B4, "Skip track assignment pointers"},
    {0x5C0, 0x5C0, "Start time of first Lead-in area of disc (exists only in the first Lead-in area)"},
    {0x5C1, 0x5C1, "Copy of information from additional area 1 in ATIP"},
};

} // namespace

const char* ScsiAscAscqName(uint32_t asc, uint32_t ascq) {
    asc &= 0xFF;
    ascq &= 0xFF;
    for (const AscAscqName& row : kAscAscq)
        if (row.asc == asc && ascq >= row.firstAscq && ascq <= row.lastAscq) return row.text;
    return nullptr;
}

const char* ModePageName(uint32_t page, uint32_t subpage, uint32_t kind, uint32_t /*version*/) {
    page &= 0x3F;
    subpage &= 0xFF;
    if (kind == 3) return LookupNameRange(kMmcModePages, page);
    if (subpage == 0xFF) return nullptr;
    if (const char* name = LookupNameRange(kAnySubpageModePages, page)) return name;
    if (subpage == 0)
        if (const char* name = LookupNameRange(kSubpageZeroModePages, page)) return name;
    return LookupNameRange(kSubpageModePages, page << 8 | subpage);
}

const char* TocPointName(uint32_t adr, uint32_t point) {
    if (adr > 0xFF) return nullptr;
    return LookupNameRange(kTocPoints, adr << 8 | (point & 0xFF));
}

const char* PowerConditionModifierName(uint32_t condition, uint32_t modifier) {
    condition &= 0xFF;
    modifier &= 0xFF;
    if (condition == 0x2 || condition == 0xA) {
        static constexpr const char* kIdle[] = {"A", "B", "C"};
        return modifier < 3 ? kIdle[modifier] : nullptr;
    }
    if (condition == 0x3 || condition == 0xB) {
        static constexpr const char* kStandby[] = {"Z", "Y"};
        return modifier < 2 ? kStandby[modifier] : nullptr;
    }
    return nullptr;
}

const char* NotificationClassName(uint32_t code) { return EventClassName(code & 0xFF); }
const char* ProtocolIdentifierName(uint32_t code) { return LookupNameRange(kProtocolIdentifiers, code & 0xFF); }
const char* PreventAllowName(uint32_t code) { return LookupNameRange(kPreventAllow, code & 0xFF); }
const char* StreamingTypeName(uint32_t code) { return LookupNameRange(kStreamingTypes, code & 0xFF); }
const char* MultipleInitiatorStatusName(uint32_t code) { return LookupNameRange(kReadyOtherPrevent, code & 0xFF); }
const char* ExternalRequestStatusName(uint32_t code) { return LookupNameRange(kReadyOtherPrevent, code & 0xFF); }
const char* DeviceBusyEventName(uint32_t code) { return LookupNameRange(kDeviceBusyEvents, code & 0xFF); }
const char* WriteRotationControlName(uint32_t code) { return LookupNameRange(kWriteRotationControl, code & 0xFF); }
const char* RotationControlName(uint32_t code) { return LookupNameRange(kRotationControl, code & 0xFF); }
const char* RotationalControlName(uint32_t code) { return LookupNameRange(kRotationalControl, code & 0xFF); }
const char* RpcSchemeName(uint32_t code) { return LookupNameRange(kRpcSchemes, code & 0xFF); }

const char* ScsiSenseKeyName(uint32_t code) { return LookupNameRange(kScsiSenseKeyName, code & 0xFF); }
const char* SenseResponseCodeName(uint32_t code) { return LookupNameRange(kSenseResponseCodeName, code & 0xFF); }
const char* PeripheralDeviceTypeName(uint32_t code) { return LookupNameRange(kPeripheralDeviceTypeName, code & 0xFF); }
const char* PeripheralQualifierName(uint32_t code) { return LookupNameRange(kPeripheralQualifierName, code & 0xFF); }
const char* VersionName(uint32_t code) { return LookupNameRange(kVersionName, code & 0xFF); }
const char* IdentifierTypeName(uint32_t code) { return LookupNameRange(kIdentifierTypeName, code & 0xFF); }
const char* AssociationName(uint32_t code) { return LookupNameRange(kAssociationName, code & 0xFF); }
const char* CodeSetName(uint32_t code) { return LookupNameRange(kCodeSetName, code & 0xFF); }
const char* PageControlName(uint32_t code) { return LookupNameRange(kPageControlName, code & 0xFF); }
const char* PowerConditionName(uint32_t code) { return LookupNameRange(kPowerConditionName, code & 0xFF); }
const char* SelfTestCodeName(uint32_t code) { return LookupNameRange(kSelfTestCodeName, code & 0xFF); }
const char* CapacityDescriptorTypeName(uint32_t code) { return LookupNameRange(kCapacityDescriptorTypeName, code & 0xFF); }
const char* FormatTypeName(uint32_t code) { return LookupNameRange(kFormatTypeName, code & 0xFF); }
const char* PhysicalInterfaceStandardName(uint32_t code) { return LookupNameRange(kPhysicalInterfaceStandardName, code); }
const char* LoadingMechanismName(uint32_t code) { return LookupNameRange(kLoadingMechanismName, code & 0xFF); }
const char* TocFormatName(uint32_t code) { return LookupNameRange(kTocFormatName, code & 0xFF); }
const char* TocAdrName(uint32_t code) { return LookupNameRange(kTocAdrName, code & 0xFF); }
const char* TrackDataModeName(uint32_t code) { return LookupNameRange(kTrackDataModeName, code & 0xFF); }
const char* AddressNumberTypeName(uint32_t code) { return LookupNameRange(kAddressNumberTypeName, code & 0xFF); }
const char* DiscTypeName(uint32_t code) { return LookupNameRange(kDiscTypeName, code & 0xFF); }
const char* BackgroundFormatStatusName(uint32_t code) { return LookupNameRange(kBackgroundFormatStatusName, code & 0xFF); }
const char* SessionStateName(uint32_t code) { return LookupNameRange(kSessionStateName, code & 0xFF); }
const char* DiscStatusName(uint32_t code) { return LookupNameRange(kDiscStatusName, code & 0xFF); }
const char* DeviceBusyStatusName(uint32_t code) { return LookupNameRange(kDeviceBusyStatusName, code & 0xFF); }
const char* MultipleInitiatorEventName(uint32_t code) { return LookupNameRange(kMultipleInitiatorEventName, code & 0xFF); }
const char* MediaEventName(uint32_t code) { return LookupNameRange(kMediaEventName, code & 0xFF); }
const char* ExternalRequestEventName(uint32_t code) { return LookupNameRange(kExternalRequestEventName, code & 0xFF); }
const char* PowerStatusName(uint32_t code) { return LookupNameRange(kPowerStatusName, code & 0xFF); }
const char* PowerEventName(uint32_t code) { return LookupNameRange(kPowerEventName, code & 0xFF); }
const char* OperationalStatusName(uint32_t code) { return LookupNameRange(kOperationalStatusName, code & 0xFF); }
const char* OperationalEventName(uint32_t code) { return LookupNameRange(kOperationalEventName, code & 0xFF); }
const char* EventClassName(uint32_t code) { return LookupNameRange(kEventClassName, code & 0xFF); }
const char* ChangerStateName(uint32_t code) { return LookupNameRange(kChangerStateName, code & 0xFF); }
const char* MechanismStateName(uint32_t code) { return LookupNameRange(kMechanismStateName, code & 0xFF); }
const char* Iec958WordLengthName(uint32_t code) { return LookupNameRange(kIec958WordLengthName, code & 0xFF); }
const char* SessionFormatName(uint32_t code) { return LookupNameRange(kSessionFormatName, code & 0xFF); }
const char* DataBlockTypeName(uint32_t code) { return LookupNameRange(kDataBlockTypeName, code & 0xFF); }
const char* MultiSessionName(uint32_t code) { return LookupNameRange(kMultiSessionName, code & 0xFF); }
const char* WriteTypeName(uint32_t code) { return LookupNameRange(kWriteTypeName, code & 0xFF); }
const char* SubChannelSelectionName(uint32_t code) { return LookupNameRange(kSubChannelSelectionName, code & 0xFF); }
const char* C2ErrorInformationName(uint32_t code) { return LookupNameRange(kC2ErrorInformationName, code & 0xFF); }
const char* HeaderCodeName(uint32_t code) { return LookupNameRange(kHeaderCodeName, code & 0xFF); }
const char* ExpectedSectorTypeName(uint32_t code) { return LookupNameRange(kExpectedSectorTypeName, code & 0xFF); }
const char* CloseFunctionName(uint32_t code) { return LookupNameRange(kCloseFunctionName, code & 0xFF); }
const char* BlankingTypeName(uint32_t code) { return LookupNameRange(kBlankingTypeName, code & 0xFF); }
const char* UnusableAreaTypeName(uint32_t code) { return LookupNameRange(kUnusableAreaTypeName, code & 0xFF); }
const char* PerformanceTypeName(uint32_t code) { return LookupNameRange(kPerformanceTypeName, code & 0xFF); }
const char* DcbContentDescriptorName(uint32_t code) { return LookupNameRange(kDcbContentDescriptorName, code); }
const char* CopyProtectionSystemName(uint32_t code) { return LookupNameRange(kCopyProtectionSystemName, code & 0xFF); }
const char* TrackDensityName(uint32_t code) { return LookupNameRange(kTrackDensityName, code & 0xFF); }
const char* LinearDensityName(uint32_t code) { return LookupNameRange(kLinearDensityName, code & 0xFF); }
const char* LayerTypeName(uint32_t code) { return LookupNameRange(kLayerTypeName, code & 0xFF); }
const char* MaximumRateName(uint32_t code) { return LookupNameRange(kMaximumRateName, code & 0xFF); }
const char* BookTypeName(uint32_t code) { return LookupNameRange(kBookTypeName, code & 0xFF); }
const char* DiscStructureFormatName(uint32_t code) { return LookupNameRange(kDiscStructureFormatName, code & 0xFF); }
const char* RpcTypeCodeName(uint32_t code) { return LookupNameRange(kRpcTypeCodeName, code & 0xFF); }
const char* ReportKeyFormatName(uint32_t code) { return LookupNameRange(kReportKeyFormatName, code & 0xFF); }
const char* SendKeyFormatName(uint32_t code) { return LookupNameRange(kSendKeyFormatName, code & 0xFF); }
const char* KeyClassName(uint32_t code) { return LookupNameRange(kKeyClassName, code & 0xFF); }
const char* VpdPageName(uint32_t code) { return LookupNameRange(kVpdPageName, code & 0xFF); }
const char* SecurityProtocolName(uint32_t code) { return LookupNameRange(kSecurityProtocolName, code & 0xFF); }
const char* MmcProfileName(uint32_t code) { return LookupNameRange(kMmcProfileName, code & 0xFFFF); }
const char* MmcFeatureName(uint32_t code) { return LookupNameRange(kMmcFeatureName, code & 0xFFFF); }
const char* ExternalRequestName(uint32_t code) { return LookupNameRange(kExternalRequestName, code & 0xFFFF); }
const char* OperationalRequestName(uint32_t code) { return LookupNameRange(kOperationalRequestName, code & 0xFFFF); }
const char* MultipleInitiatorPriorityName(uint32_t code) { return LookupNameRange(kMultipleInitiatorPriorityName, code & 0xFFFF); }
} // namespace brx

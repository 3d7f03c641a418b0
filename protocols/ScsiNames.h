// Names of the coded fields of SCSI (SPC, SBC) and MMC structures and
// commands. Every lookup answers a constant text or null for a code without
// an entry; codes are taken at the width of their field (a byte unless the
// declaration says otherwise).
#pragma once
#include <cstdint>

namespace brx {

// Additional sense code and qualifier.
const char* ScsiAscAscqName(uint32_t asc, uint32_t ascq);
// Mode page by page code (bits 0-5), subpage and the device kind of the
// interface (3 is the MMC command set); the version byte is not consulted.
const char* ModePageName(uint32_t page, uint32_t subpage, uint32_t kind, uint32_t version);
const char* TocPointName(uint32_t adr, uint32_t point);
const char* PowerConditionModifierName(uint32_t condition, uint32_t modifier);
const char* NotificationClassName(uint32_t code);
const char* ProtocolIdentifierName(uint32_t code);
const char* PreventAllowName(uint32_t code);
const char* StreamingTypeName(uint32_t code);
const char* MultipleInitiatorStatusName(uint32_t code);
const char* ExternalRequestStatusName(uint32_t code);
const char* DeviceBusyEventName(uint32_t code);
const char* WriteRotationControlName(uint32_t code);
const char* RotationControlName(uint32_t code);
const char* RotationalControlName(uint32_t code);
const char* RpcSchemeName(uint32_t code);

// 16-bit codes: MmcProfileName, MmcFeatureName and the event request codes;
// 32-bit codes: DcbContentDescriptorName, PhysicalInterfaceStandardName.
const char* ScsiSenseKeyName(uint32_t code);
const char* SenseResponseCodeName(uint32_t code);
const char* PeripheralDeviceTypeName(uint32_t code);
const char* PeripheralQualifierName(uint32_t code);
const char* VersionName(uint32_t code);
const char* IdentifierTypeName(uint32_t code);
const char* AssociationName(uint32_t code);
const char* CodeSetName(uint32_t code);
const char* PageControlName(uint32_t code);
const char* PowerConditionName(uint32_t code);
const char* SelfTestCodeName(uint32_t code);
const char* CapacityDescriptorTypeName(uint32_t code);
const char* FormatTypeName(uint32_t code);
const char* PhysicalInterfaceStandardName(uint32_t code);
const char* LoadingMechanismName(uint32_t code);
const char* TocFormatName(uint32_t code);
const char* TocAdrName(uint32_t code);
const char* TrackDataModeName(uint32_t code);
const char* AddressNumberTypeName(uint32_t code);
const char* DiscTypeName(uint32_t code);
const char* BackgroundFormatStatusName(uint32_t code);
const char* SessionStateName(uint32_t code);
const char* DiscStatusName(uint32_t code);
const char* DeviceBusyStatusName(uint32_t code);
const char* MultipleInitiatorEventName(uint32_t code);
const char* MediaEventName(uint32_t code);
const char* ExternalRequestEventName(uint32_t code);
const char* PowerStatusName(uint32_t code);
const char* PowerEventName(uint32_t code);
const char* OperationalStatusName(uint32_t code);
const char* OperationalEventName(uint32_t code);
const char* EventClassName(uint32_t code);
const char* ChangerStateName(uint32_t code);
const char* MechanismStateName(uint32_t code);
const char* Iec958WordLengthName(uint32_t code);
const char* SessionFormatName(uint32_t code);
const char* DataBlockTypeName(uint32_t code);
const char* MultiSessionName(uint32_t code);
const char* WriteTypeName(uint32_t code);
const char* SubChannelSelectionName(uint32_t code);
const char* C2ErrorInformationName(uint32_t code);
const char* HeaderCodeName(uint32_t code);
const char* ExpectedSectorTypeName(uint32_t code);
const char* CloseFunctionName(uint32_t code);
const char* BlankingTypeName(uint32_t code);
const char* UnusableAreaTypeName(uint32_t code);
const char* PerformanceTypeName(uint32_t code);
const char* DcbContentDescriptorName(uint32_t code);
const char* CopyProtectionSystemName(uint32_t code);
const char* TrackDensityName(uint32_t code);
const char* LinearDensityName(uint32_t code);
const char* LayerTypeName(uint32_t code);
const char* MaximumRateName(uint32_t code);
const char* BookTypeName(uint32_t code);
const char* DiscStructureFormatName(uint32_t code);
const char* RpcTypeCodeName(uint32_t code);
const char* ReportKeyFormatName(uint32_t code);
const char* SendKeyFormatName(uint32_t code);
const char* KeyClassName(uint32_t code);
const char* VpdPageName(uint32_t code);
const char* SecurityProtocolName(uint32_t code);
const char* MmcProfileName(uint32_t code);
const char* MmcFeatureName(uint32_t code);
const char* ExternalRequestName(uint32_t code);
const char* OperationalRequestName(uint32_t code);
const char* MultipleInitiatorPriorityName(uint32_t code);
} // namespace brx

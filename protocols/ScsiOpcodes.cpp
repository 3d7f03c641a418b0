#include "protocols/ScsiOpcodes.h"

#include <cstdio>

#include "protocols/ScsiNames.h"

namespace brx {
namespace {

struct OpcodeName {
    uint8_t code;
    const char* text;
};

constexpr OpcodeName kAllOpcodes[] = {
    {0x00, "Test Unit Ready"},
    {0x01, "Rezero Unit"},
    {0x03, "Request Sense"},
    {0x04, "Format Unit"},
    {0x07, "Reassign Blocks"},
    {0x08, "Read(6)"},
    {0x0A, "Write(6)"},
    {0x0B, "Seek(6)"},
    {0x12, "Inquiry"},
    {0x15, "Mode Select(6)"},
    {0x16, "Reserve(6)"},
    {0x17, "Release(6)"},
    {0x18, "Copy"},
    {0x1A, "Mode Sense(6)"},
    {0x1B, "Start/Stop Unit"},
    {0x1C, "Receive Diagnostic Results"},
    {0x1D, "Send Diagnostic"},
    {0x1E, "Prevent/Allow Medium Removal"},
    {0x23, "Read Format Capacities"},
    {0x25, "Read Capacity(10)"},
    {0x28, "Read(10)"},
    {0x2A, "Write(10)"},
    {0x2B, "Seek(10)"},
    {0x2C, "Erase(10)"},
    {0x2E, "Write and Verify(10)"},
    {0x2F, "Verify(10)"},
    {0x30, "Search Data High(10)"},
    {0x31, "Search Data Equal(10)"},
    {0x32, "Search Data Low(10)"},
    {0x33, "Set Limits(10)"},
    {0x34, "Pre-Fetch(10)"},
    {0x35, "Synchronize Cache(10)"},
    {0x36, "Lock/Unlock Cache(10)"},
    {0x37, "Read Defect Data(10)"},
    {0x39, "Compare"},
    {0x3A, "Copy and Verify"},
    {0x3B, "Write Buffer"},
    {0x3C, "Read Buffer(10)"},
    {0x3E, "Read Long(10)"},
    {0x3F, "Write Long(10)"},
    {0x40, "Change Definition"},
    {0x41, "Write Same(10)"},
    {0x42, "Unmap"},
    {0x43, "Read TOC/PMA/ATIP"},
    {0x45, "Play Audio(10)"},
    {0x46, "Get Configuration"},
    {0x47, "Play Audio MSF"},
    {0x48, "Sanitize"},
    {0x4A, "Get Event/Status Notification"},
    {0x4B, "Pause/Resume"},
    {0x4C, "Log Select"},
    {0x4D, "Log Sense"},
    {0x4E, "Stop Play/Scan"},
    {0x50, "XDWrite(10)"},
    {0x51, "XPWrite(10)"},
    {0x52, "XDRead(10)"},
    {0x53, "XDWriteRead(10)"},
    {0x54, "Send OPC Information"},
    {0x55, "Mode Select(10)"},
    {0x56, "Reserve(10)"},
    {0x57, "Release(10)"},
    {0x58, "Repair Track"},
    {0x5A, "Mode Sense(10)"},
    {0x5B, "Close Track/Session"},
    {0x5C, "Read Buffer Capacity"},
    {0x5D, "Send Cue Sheet"},
    {0x5E, "Persistent Reserve In"},
    {0x5F, "Persistent Reserve Out"},
    {0x80, "XDWrite Extended(16)"},
    {0x81, "ReBuild(16)"},
    {0x82, "ReGenerate(16)"},
    {0x83, "Third-party Copy OUT"},
    {0x84, "Third-party Copy IN"},
    {0x85, "ATA Pass-Through(16)"},
    {0x86, "Access Control In"},
    {0x87, "Access Control Out"},
    {0x88, "Read(16)"},
    {0x89, "Compare and Write"},
    {0x8A, "Write(16)"},
    {0x8B, "ORWrite"},
    {0x8C, "Read Attribute"},
    {0x8D, "Write Attribute"},
    {0x8E, "Write and Verify(16)"},
    {0x8F, "Verify(16)"},
    {0x90, "Pre-Fetch(16)"},
    {0x91, "Synchronize Cache(16)"},
    {0x92, "Lock/Unlock Cache(16)"},
    {0x93, "Write Same(16)"},
    {0x9C, "Write Atomic(16)"},
    {0xA0, "Report LUNs"},
    {0xA1, "ATA Pass-Through(12)"},
    {0xA2, "Security Protocol In"},
    {0xA3, "Maintenance In"},
    {0xA4, "Maintenance Out"},
    {0xA5, "Play Audio(12)"},
    {0xA6, "Load/Unload C/DVD"},
    {0xA7, "Move Medium Attached"},
    {0xA8, "Read(12)"},
    {0xAA, "Write(12)"},
    {0xAB, "Service Action In(12)"},
    {0xAC, "Get Performance"},
    {0xAD, "Read DVD Structure"},
    {0xAE, "Write and Verify(12)"},
    {0xAF, "Verify(12)"},
    {0xB0, "Search Data High(12)"},
    {0xB1, "Search Data Equal(12)"},
    {0xB2, "Search Data Low(12)"},
    {0xB3, "Set Limits(12)"},
    {0xB4, "Read Element Status Attached"},
    {0xB5, "Security Protocol Out"},
    {0xB6, "Set Streaming"},
    {0xB7, "Read Defect Data(12)"},
    {0xB8, "Read Element Status"},
    {0xB9, "Read CD MSF"},
    {0xBA, "Redundancy Group (In)"},
    {0xBB, "Redundancy Group (Out)"},
    {0xBC, "Spare (In)"},
    {0xBD, "Spare (Out)"},
    {0xBE, "Volume Set (In)"},
    {0xBF, "Volume Set (Out)"},
};

constexpr uint8_t kNotSbc[] = {0x2C, 0x43, 0x45, 0x46, 0x47, 0x4A, 0x4B, 0x4E, 0x54, 0x58, 0x5B, 0x5C,
                               0x5D, 0xA5, 0xA6, 0xAC, 0xAD, 0xB0, 0xB1, 0xB2, 0xB6, 0xB8, 0xB9};
constexpr uint8_t kRbc[] = {0x00, 0x03, 0x04, 0x12, 0x15, 0x16, 0x17, 0x1A, 0x1B,
                            0x1E, 0x25, 0x28, 0x2A, 0x2F, 0x35, 0x3B, 0x5E, 0x5F};
constexpr uint8_t kMmc[] = {0x00, 0x01, 0x03, 0x04, 0x0B, 0x12, 0x15, 0x18, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x23,
                            0x25, 0x28, 0x2A, 0x2B, 0x2C, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x35, 0x39, 0x3A,
                            0x3B, 0x3C, 0x40, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E,
                            0x51, 0x52, 0x53, 0x54, 0x55, 0x58, 0x5A, 0x5B, 0x5C, 0x5D, 0xA1, 0xA2, 0xA3, 0xA4,
                            0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4,
                            0xB5, 0xB6, 0xB8, 0xB9, 0xBA, 0xBB, 0xBD, 0xBE, 0xBF};
// Texts of the MMC command set that differ from the common list.
constexpr OpcodeName kMmcOwn[] = {
    {0x25, "Read Capacity"},        {0x3C, "Read Buffer"},           {0x42, "Read Sub-Channel"},
    {0x44, "Read Header"},          {0x51, "Read Disc Information"}, {0x52, "Read Track Information"},
    {0x53, "Reserve Track"},        {0xA1, "Blank"},                 {0xA3, "Send Key"},
    {0xA4, "Report Key"},           {0xA7, "Set Read Ahead"},        {0xA9, "Service Action Out(12)"},
    {0xBA, "Scan"},                 {0xBB, "Set CD Speed"},          {0xBD, "Mechanism Status"},
    {0xBE, "Read CD"},              {0xBF, "Send DVD Structure"},
};
// Service actions of SERVICE ACTION IN(16), by the whole of CDB byte 1.
constexpr const char* kServiceActionIn16[] = {"Read Capacity(16)", "Read Long(16)",       "Get LBA Status",
                                              "Report Referrals",  "Stream Control",      "Background Control",
                                              "Get Stream Status"};

constexpr OpcodeName kDescriptions[] = {
    {0x00, "Requests the device server to indicate whether the logical unit is ready."},
    {0x03, "Requests the device server to return sense data."},
    {0x04, "Formats a medium into Host addressable logical blocks according to Host defined options."},
    {0x08, "Requests that the device server read the specified logical block(s) and transfer them to the data-in buffer."},
    {0x28, "Requests that the device server read the specified logical block(s) and transfer them to the data-in buffer."},
    {0x88, "Requests that the device server read the specified logical block(s) and transfer them to the data-in buffer."},
    {0xA8, "Requests that the device server read the specified logical block(s) and transfer them to the data-in buffer."},
    {0x0A, "Requests that the device server transfer the specified logical block(s) from the data-out buffer and write them."},
    {0x2A, "Requests that the device server transfer the specified logical block(s) from the data-out buffer and write them."},
    {0x8A, "Requests that the device server transfer the specified logical block(s) from the data-out buffer and write them."},
    {0xAA, "Requests that the device server transfer the specified logical block(s) from the data-out buffer and write them."},
    {0x12, "Requests the device server to return information regarding the logical unit and SCSI target device."},
    {0x15, "Provides a means for the application client to specify medium, logical unit, or peripheral device parameters to the device server."},
    {0x55, "Provides a means for the application client to specify medium, logical unit, or peripheral device parameters to the device server."},
    {0x1A, "Provides a means for a device server to report parameters to an application client."},
    {0x5A, "Provides a means for a device server to report parameters to an application client."},
    {0x1B, "Requests that the device server change the power condition of the logical unit or load or eject the medium."},
    {0x1C, "Requests the device server to return data based on the most recent Send Diagnostic command or a diagnostic page specified by the Page Code field."},
    {0x1D, "Requests the device server to perform diagnostic operations on the SCSI target device, on the logical unit, or on both."},
    {0x1E, "Requests that the logical unit enable or disable the removal of the medium."},
    {0x23, "Allows the host to request a list of the possible format capacities for an installed writable media."},
    {0x25, "Provides a means for the host to request information regarding the capacity of currently loaded media."},
    {0x2B, "Requests that the Drive seek to the specified logical block address."},
    {0x2F, "Requests that the device server verify the specified logical block(s) on the medium."},
    {0x35, "Requests that the device server ensure that the specified logical blocks have their most recent data values recorded in non-volatile cache and/or on the medium."},
    {0x91, "Requests that the device server ensure that the specified logical blocks have their most recent data values recorded in non-volatile cache and/or on the medium."},
    {0x42, "Requests that the Logical Unit return the requested Sub-channel data."},
    {0x43, "Requests that the Drive read data from a Table of Contents, the Program Memory Area (PMA), or the Absolute Time in Pre-Grove (ATIP) from CD media."},
    {0x46, "Provides Host with information about Drive capabilities; both current and potential."},
    {0x4A, "Requests that the Drive report events and statuses according to a Notification Class as a method of asynchronous notification."},
    {0x4E, "Stops playback of CD audio or scan commands."},
    {0x51, "Allows to request information about the currently mounted MM disc."},
    {0x52, "Provides information about a Logical Track."},
    {0x5B, "Allows closure of either a track or a session."},
    {0x5C, "Returns the total length of buffer and length of available buffer."},
    {0xA0, "Requests that the peripheral device logical unit inventory be sent to the application client"},
    {0xA1, "Provides the ability to erase any part of a CD/DVD-RW disc."},
    {0xA2, "Requests the device server to return security protocol information"},
    {0xA3, "Provides data necessary for authentication and for generating a Bus Key for protected data transfers between the Host and Drive."},
    {0xA4, "Requests the start of the authentication process and provides data necessary for authentication and for generating a Bus Key for protected transfers between the Host and Drive."},
    {0xAC, "Provides a method for the Host to obtain detailed information about the performance of the Drive."},
    {0xAD, "Requests that the DVD Drive transfer data from areas on the DVD Media to the Host."},
    {0xB6, "Provides a way for the Initiator to indicate to the logical unit that the application has specific request or requirements for logical unit performance."},
    {0xBB, "Provides a Host with a method to select a preferred physical speed for CD media."},
    {0xBD, "Requests that the Drive respond with the current status of the device."},
    {0xBE, "Provides a single standard, universal way of accessing CD data."},
};

template <size_t N>
const char* Find(const OpcodeName (&rows)[N], uint8_t code) {
    for (const OpcodeName& row : rows)
        if (row.code == code) return row.text;
    return nullptr;
}

template <size_t N>
bool Contains(const uint8_t (&codes)[N], uint8_t code) {
    for (uint8_t c : codes)
        if (c == code) return true;
    return false;
}

} // namespace

const char* ScsiOpcodeNameAll(uint32_t code, uint32_t /*cdb1*/, int enabled) {
    return enabled ? Find(kAllOpcodes, static_cast<uint8_t>(code)) : nullptr;
}

const char* ScsiOpcodeNameSbc(uint32_t code, uint32_t cdb1, int enabled) {
    if (!enabled) return nullptr;
    uint8_t op = static_cast<uint8_t>(code), b1 = static_cast<uint8_t>(cdb1);
    switch (op) {
    case 0xA9: return "Service Action Out(12)";
    case 0x9F: return b1 == 0x11 ? "Write Long (16)" : "Service Action Out(16)";
    case 0x9E:
        return b1 >= 0x10 && b1 <= 0x16 ? kServiceActionIn16[b1 - 0x10] : "Service Action In(16)";
    default: break;
    }
    return Contains(kNotSbc, op) ? nullptr : Find(kAllOpcodes, op);
}

const char* ScsiOpcodeNameRbc(uint32_t code, uint32_t /*cdb1*/, int enabled) {
    uint8_t op = static_cast<uint8_t>(code);
    return enabled && Contains(kRbc, op) ? Find(kAllOpcodes, op) : nullptr;
}

const char* ScsiOpcodeNameMmc(uint32_t code, uint32_t /*cdb1*/, int enabled) {
    uint8_t op = static_cast<uint8_t>(code);
    if (!enabled || !Contains(kMmc, op)) return nullptr;
    if (const char* own = Find(kMmcOwn, op)) return own;
    return Find(kAllOpcodes, op);
}

const char* ScsiOpcodeName(uint32_t code, uint32_t cdb1, uint32_t kind, uint32_t /*version*/, int enabled) {
    switch (kind) {
    case 1: return ScsiOpcodeNameSbc(code, cdb1, enabled);
    case 2: return ScsiOpcodeNameRbc(code, cdb1, enabled);
    case 3: return ScsiOpcodeNameMmc(code, cdb1, enabled);
    default: return ScsiOpcodeNameAll(code, cdb1, enabled);
    }
}

const char* ScsiCommandDescription(uint32_t code, uint32_t cdb1, uint32_t /*kind*/, uint32_t /*version*/) {
    uint8_t op = static_cast<uint8_t>(code);
    if (op == 0x9E) return (cdb1 & 0xFF) == 0x10 ? Find(kDescriptions, 0x25) : nullptr;
    return Find(kDescriptions, op);
}

const char* ModePageNameForCdb(uint32_t page, uint32_t subpage, uint32_t kind, uint32_t version) {
    page &= 0x3F;
    subpage &= 0xFF;
    if (page <= 0x3E && subpage == 0xFF) return "Return all Subpages";
    if (page == 0x3F && subpage == 0x00) return "Return all Pages";
    if (page == 0x3F && subpage == 0xFF) return "Return all Pages and Subpages";
    return ModePageName(page, subpage, kind, version);
}

bool CdTrackControlText(uint32_t control, char* out, size_t size) {
    if (!out || size == 0) return false;
    const char* type = nullptr;
    switch (control & 0xD) {
    case 0x0: type = "2 audio channels without pre-emphasis"; break;
    case 0x1: type = "2 audio channels with pre-emphasis of 50/15 \xB5s"; break;
    case 0x4: type = "Data track, recorded uninterrupted"; break;
    case 0x5: type = "Data track, recorded incremental"; break;
    case 0x8: type = "4 audio channels without pre-emphasis (reserved in CD-R/RW)"; break;
    case 0x9: type = "4 audio channels with pre-emphasis of 50/15 \xB5s (reserved in CD-R/RW)"; break;
    default: break;
    }
    const char* copy = (control & 0x2) ? "Digital copy permitted" : "Digital copy prohibited";
    int n = type ? std::snprintf(out, size, "%s + %s", type, copy) : std::snprintf(out, size, "%s", copy);
    return n >= 0 && static_cast<size_t>(n) < size;
}

} // namespace brx

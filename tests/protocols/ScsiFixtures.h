// SCSI replies for the mass-storage page tests and the fuzzer's seeds, as
// disk emulators answer them. Where the bytes come from is said beside each;
// the layouts are those of SPC-4 and SBC-3.
#pragma once
#include <cstdint>
#include <vector>

namespace brx::testing {

using ScsiBytes = std::vector<uint8_t>;

// Standard INQUIRY data of QEMU's emulated SCSI disk (hw/scsi/scsi-disk.c,
// scsi_disk_emulate_inquiry): direct-access device, SPC-3 (version 05h),
// response data format 2 with HiSup (12h), additional length 31, CmdQue
// (byte 7 10h|02h), vendor "QEMU", product "QEMU HARDDISK", revision "2.5+".
inline ScsiBytes QemuInquiry() {
    ScsiBytes d = {0x00, 0x00, 0x05, 0x12, 0x1F, 0x00, 0x00, 0x12};
    const char* text = "QEMU    QEMU HARDDISK   2.5+";
    for (const char* p = text; *p; ++p) d.push_back(static_cast<uint8_t>(*p));
    return d;
}

// Standard INQUIRY data of Linux's mass-storage gadget
// (drivers/usb/gadget/function/f_mass_storage.c, do_inquiry): removable
// direct-access device, ANSI version 2, response format 2, additional length
// 31, vendor "Linux", product "File-Stor Gadget", revision from bcdDevice
// ("0404").
inline ScsiBytes GadgetInquiry() {
    ScsiBytes d = {0x00, 0x80, 0x02, 0x02, 0x1F, 0x00, 0x00, 0x00};
    const char* text = "Linux   File-Stor Gadget0404";
    for (const char* p = text; *p; ++p) d.push_back(static_cast<uint8_t>(*p));
    return d;
}

// A crafted INQUIRY whose identification strings carry markup.
inline ScsiBytes MarkupInquiry() {
    ScsiBytes d = {0x05, 0x80, 0x05, 0x02, 0x1F, 0x00, 0x00, 0x00};
    const char* text = "<b>&\"x\"<script>alert(1)</script>1<2";
    for (const char* p = text; *p; ++p) d.push_back(static_cast<uint8_t>(*p));
    d.resize(36, ' ');
    return d;
}

// VPD page 00h of QEMU's disk with a serial number: 00h, 80h, 83h, B0h, B2h
// (scsi_disk_emulate_vpd_page).
inline ScsiBytes QemuVpdSupportedPages() { return {0x00, 0x00, 0x00, 0x05, 0x00, 0x80, 0x83, 0xB0, 0xB2}; }

// VPD page 80h of QEMU's disk: the serial it was configured with ("QM00001"
// here), at most the 20 bytes QEMU copies.
inline ScsiBytes QemuVpdSerial() {
    ScsiBytes d = {0x00, 0x80, 0x00, 0x07};
    for (const char* p = "QM00001"; *p; ++p) d.push_back(static_cast<uint8_t>(*p));
    return d;
}

// VPD page 83h of QEMU's disk: one ASCII vendor-specific descriptor (code set
// 2, identifier type 0) holding the serial, then an NAA descriptor (binary,
// type 3) of the WWN 5000c50015ea71ac.
inline ScsiBytes QemuVpdDeviceIdentification() {
    ScsiBytes d = {0x00, 0x83, 0x00, 0x17, 0x02, 0x00, 0x00, 0x07};
    for (const char* p = "QM00001"; *p; ++p) d.push_back(static_cast<uint8_t>(*p));
    const uint8_t naa[] = {0x01, 0x03, 0x00, 0x08, 0x50, 0x00, 0xC5, 0x00, 0x15, 0xEA, 0x71, 0xAC};
    d.insert(d.end(), naa, naa + sizeof naa);
    return d;
}

// VPD page 83h with a T10 vendor identification descriptor (code set 2,
// type 1): vendor "LIO-ORG" padded to 8 bytes, then a vendor-specific part,
// as SPC-4 lays it out. controlByte puts one control character in the
// vendor-specific part (0: none).
inline ScsiBytes T10VendorDeviceIdentification(uint8_t controlByte = 0) {
    ScsiBytes id;
    for (const char* p = "LIO-ORG disk0-<sn>&1"; *p; ++p) id.push_back(static_cast<uint8_t>(*p));
    if (controlByte != 0) id[12] = controlByte;
    ScsiBytes d = {0x00, 0x83, 0x00, static_cast<uint8_t>(4 + id.size()), 0x02, 0x01, 0x00,
                   static_cast<uint8_t>(id.size())};
    d.insert(d.end(), id.begin(), id.end());
    return d;
}

// Fixed-format sense data as QEMU builds it (scsi_build_sense, 18 bytes,
// additional length 10): NOT READY, MEDIUM NOT PRESENT (3Ah/00h).
inline ScsiBytes QemuSenseMediumNotPresent() {
    return {0x70, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00,
            0x00, 0x00, 0x3A, 0x00, 0x00, 0x00, 0x00, 0x00};
}
// ILLEGAL REQUEST, INVALID FIELD IN CDB (24h/00h), the answer of both
// emulators to an unsupported page or field.
inline ScsiBytes QemuSenseInvalidField() {
    return {0x70, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00,
            0x00, 0x00, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00};
}

// READ CAPACITY(10) of a 1 GiB QEMU disk of 512-byte blocks: last LBA 1FFFFFh.
inline ScsiBytes QemuReadCapacity10() { return {0x00, 0x1F, 0xFF, 0xFF, 0x00, 0x00, 0x02, 0x00}; }

// READ CAPACITY(16) of the same disk with discard enabled (TPE and TPRZ in
// byte 14, as scsi_disk_emulate_command sets them) and 4 KiB physical blocks
// (exponent 3).
inline ScsiBytes QemuReadCapacity16() {
    ScsiBytes d(32, 0);
    const uint8_t head[] = {0, 0, 0, 0, 0x00, 0x1F, 0xFF, 0xFF, 0x00, 0x00, 0x02, 0x00, 0x00, 0x03, 0xC0, 0x00};
    std::copy(head, head + sizeof head, d.begin());
    return d;
}

// READ FORMAT CAPACITIES of Linux's gadget (do_read_format_capacities): a
// capacity list of 8 bytes, 2048 blocks, descriptor type 2 (formatted
// media), 512-byte blocks.
inline ScsiBytes GadgetFormatCapacities() {
    return {0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x02, 0x00};
}

// REPORT LUNS as QEMU's SCSI bus answers it for LUNs 0 and 1 (scsi-bus.c,
// scsi_target_emulate_report_luns: single-level peripheral addressing).
inline ScsiBytes QemuReportLuns() {
    return {0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00,   // list length 16
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,   // LUN 0
            0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};  // LUN 1
}

// SECURITY PROTOCOL IN, supported protocol list: protocols 00h, 01h and EFh
// (SPC-4 layout).
inline ScsiBytes SupportedSecurityProtocols() {
    return {0, 0, 0, 0, 0, 0, 0x00, 0x03, 0x00, 0x01, 0xEF};
}

// FORMAT UNIT parameter list (MMC layout): header with FOV and Immed, then a
// format code 1 descriptor of type 00h (full format) for 2295104 blocks of
// 2048 bytes.
inline ScsiBytes FormatUnitList() {
    return {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x00, 0x00, 0x08, 0x00};
}

} // namespace brx::testing

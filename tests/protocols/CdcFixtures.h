// Configuration descriptor sets of CDC functions, transcribed from open
// sources (the descriptor tables of Linux's USB gadget functions,
// drivers/usb/gadget/function/f_acm.c, f_ecm.c and f_ncm.c, v6.x), with the
// values the gadget framework fills in at bind time chosen as a one-function
// gadget gets them: interface numbers 0 and 1, string indexes 4-7, endpoint
// addresses 81h/01h for data and 82h for notifications, full-speed packet
// sizes.
#pragma once
#include "tests/protocols/ClassPageTest.h"

namespace brx::testing {

// f_acm.c: IAD, control interface (ACM, AT commands V.250), header 1.10, call
// management (bmCapabilities 0), ACM (USB_CDC_CAP_LINE), union, notification
// endpoint (GS_NOTIFY_MAXPACKET 10, GS_NOTIFY_INTERVAL_MS 32), data interface.
inline Bytes AcmConfiguration() {
    return Configuration({
        {8, 0x0B, 0, 2, 2, 2, 1, 6},
        {9, 4, 0, 0, 1, 2, 2, 1, 4},
        {5, 0x24, 0x00, 0x10, 0x01},
        {5, 0x24, 0x01, 0x00, 0x01},
        {4, 0x24, 0x02, 0x02},
        {5, 0x24, 0x06, 0x00, 0x01},
        {7, 5, 0x82, 3, 10, 0, 32},
        {9, 4, 1, 0, 2, 0x0A, 0, 0, 5},
        {7, 5, 0x81, 2, 64, 0, 0},
        {7, 5, 0x01, 2, 64, 0, 0},
    });
}

// f_ecm.c: control interface (Ethernet Networking Control Model), header
// 1.10, union, Ethernet Networking (iMACAddress, no statistics,
// wMaxSegmentSize ETH_FRAME_LEN 1514, no filters), notification endpoint
// (ECM_STATUS_BYTECOUNT 16), data interface alternate settings 0 (no
// endpoints) and 1 (bulk pair).
inline Bytes EcmConfiguration() {
    return Configuration({
        {8, 0x0B, 0, 2, 2, 6, 0, 4},
        {9, 4, 0, 0, 1, 2, 6, 0, 4},
        {5, 0x24, 0x00, 0x10, 0x01},
        {5, 0x24, 0x06, 0x00, 0x01},
        {13, 0x24, 0x0F, 7, 0, 0, 0, 0, 0xEA, 0x05, 0, 0, 0},
        {7, 5, 0x82, 3, 16, 0, 32},
        {9, 4, 1, 0, 0, 0x0A, 0, 0, 0},
        {9, 4, 1, 1, 2, 0x0A, 0, 0, 5},
        {7, 5, 0x81, 2, 64, 0, 0},
        {7, 5, 0x01, 2, 64, 0, 0},
    });
}

// f_ncm.c: control interface (subclass 0Dh, NCM), header 1.10, union,
// Ethernet Networking as in ECM, the NCM functional descriptor (subtype 1Ah,
// bcdNcmVersion 1.00, bmNetworkCapabilities ETH_FILTER | CRC_MODE: 11h),
// notification endpoint (NCM_STATUS_BYTECOUNT 16), data interface (protocol
// NTB 01h) with alternate settings 0 and 1.
inline Bytes NcmConfiguration() {
    return Configuration({
        {8, 0x0B, 0, 2, 2, 0x0D, 0, 4},
        {9, 4, 0, 0, 1, 2, 0x0D, 0, 4},
        {5, 0x24, 0x00, 0x10, 0x01},
        {5, 0x24, 0x06, 0x00, 0x01},
        {13, 0x24, 0x0F, 7, 0, 0, 0, 0, 0xEA, 0x05, 0, 0, 0},
        {6, 0x24, 0x1A, 0x00, 0x01, 0x11},
        {7, 5, 0x82, 3, 16, 0, 32},
        {9, 4, 1, 0, 0, 0x0A, 0, 1, 0},
        {9, 4, 1, 1, 2, 0x0A, 0, 1, 5},
        {7, 5, 0x81, 2, 64, 0, 0},
        {7, 5, 0x01, 2, 64, 0, 0},
    });
}

// f_obex.c: control interface (OBEX 0Bh), header 1.20, union, OBEX functional
// descriptor (bcdVersion 1.00), data interface alternate settings 0 and 1.
inline Bytes ObexConfiguration() {
    return Configuration({
        {9, 4, 0, 0, 0, 2, 0x0B, 0, 4},
        {5, 0x24, 0x00, 0x20, 0x01},
        {5, 0x24, 0x06, 0x00, 0x01},
        {5, 0x24, 0x15, 0x00, 0x01},
        {9, 4, 1, 0, 0, 0x0A, 0, 0, 5},
        {9, 4, 1, 1, 2, 0x0A, 0, 0, 5},
        {7, 5, 0x81, 2, 64, 0, 0},
        {7, 5, 0x01, 2, 64, 0, 0},
    });
}

} // namespace brx::testing

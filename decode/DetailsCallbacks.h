// The field callbacks of the structure field tables: comment texts that need
// more than a table lookup, and the choosers that pick a nested table or draw
// rows of their own (setup packet, pipes, isochronous packets, interfaces,
// pipe lists, counted wide names). Each reads the structure it is handed only
// inside the length it is handed.
#pragma once
#include <cstddef>
#include <cstdint>

#include "decode/StructRenderer.h"

namespace brx {

#define BRX_COMMENT_CALLBACK(name) \
    const char* name(ITreeSink& tree, TREE_ITEM row, const uint8_t* data, size_t length)
#define BRX_TABLE_CHOOSER(name) FieldTable name(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length)

// Device descriptor: only over exactly 18 bytes with bLength above 17.
BRX_COMMENT_CALLBACK(DescriptorClassComment);
BRX_COMMENT_CALLBACK(DescriptorSubClassComment);
BRX_COMMENT_CALLBACK(DescriptorProtocolComment);
BRX_COMMENT_CALLBACK(DescriptorMaxPacketComment);
BRX_COMMENT_CALLBACK(DescriptorVendorComment);
// Interface information: only over more than 15 bytes.
BRX_COMMENT_CALLBACK(InterfaceClassComment);
BRX_COMMENT_CALLBACK(InterfaceSubClassComment);
BRX_COMMENT_CALLBACK(InterfaceProtocolComment);
// Version of the bus interfaces.
BRX_COMMENT_CALLBACK(UsbdiVersionComment);
BRX_COMMENT_CALLBACK(HubVersionComment);
BRX_COMMENT_CALLBACK(UsbcVersionComment);
BRX_COMMENT_CALLBACK(SwenumVersionComment);
// Hub and controller structures.
BRX_COMMENT_CALLBACK(NotificationTypeComment);
BRX_COMMENT_CALLBACK(ConnectionInfoStatusComment);  // node connection information: DWORD at 31
BRX_COMMENT_CALLBACK(LowSpeedComment);
BRX_COMMENT_CALLBACK(SpeedComment);
BRX_COMMENT_CALLBACK(AttributesStatusComment);      // connection attributes: DWORD at 4
BRX_COMMENT_CALLBACK(IoPriorityComment);
BRX_COMMENT_CALLBACK(PortFeatureComment);
// Transfer URBs: the direction into the row, further flags in rows of their own.
BRX_COMMENT_CALLBACK(RenderTransferFlags);
// I/O stack location and its parameters.
BRX_COMMENT_CALLBACK(IoStackMinorName);
const BIT_NAMES* IoStackFlagsBits(ITreeSink& tree, TREE_ITEM row, const uint8_t* data, size_t length);
BRX_COMMENT_CALLBACK(CtlCodeComment);
BRX_COMMENT_CALLBACK(RelationTypeComment);
BRX_COMMENT_CALLBACK(QueryIdTypeComment);
BRX_COMMENT_CALLBACK(DeviceTextTypeComment);
BRX_COMMENT_CALLBACK(LocaleIdComment);
BRX_COMMENT_CALLBACK(UsageTypeComment);

// The Parameters table of an I/O stack location (36 bytes, after a row).
BRX_TABLE_CHOOSER(SelectStackParametersTable);
// Choosers that draw their rows under the parent of the last row and return
// no table.
BRX_TABLE_CHOOSER(SetupPacketRows);
BRX_TABLE_CHOOSER(PipeRows);
BRX_TABLE_CHOOSER(IsoPacketRows);
BRX_TABLE_CHOOSER(SelectConfigurationInterfaceRows);
BRX_TABLE_CHOOSER(SelectInterfaceRows);
BRX_TABLE_CHOOSER(PipeListRows);
BRX_TABLE_CHOOSER(HubNameRow);
BRX_TABLE_CHOOSER(ControllerNameRow);
BRX_TABLE_CHOOSER(RootHubNameRow);
BRX_TABLE_CHOOSER(HcdDriverKeyNameRow);
BRX_TABLE_CHOOSER(NodeDriverKeyNameRow);
BRX_TABLE_CHOOSER(NodeNameRow);

#undef BRX_COMMENT_CALLBACK
#undef BRX_TABLE_CHOOSER

// A counted UTF-16 name: a row with the label under parent whose Value is
// L"name" with at most 2,040 bytes of the name (ending early at a NUL);
// nothing for 2 bytes or fewer.
void RenderWideNameString(ITreeSink& tree, TREE_ITEM parent, const char* label, const uint8_t* name,
                          size_t byteCount);

} // namespace brx

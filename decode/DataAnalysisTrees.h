// Trees of the Data Analysis pane for Plug and Play and device-control
// requests: device capabilities, relations, bus interfaces, hub capabilities,
// node information, and the hub, controller and statistics structures shown
// through their field tables. Each renderer appends top-level rows and reads
// only the length it is handed.
#pragma once
#include <cstddef>
#include <cstdint>

#include "decode/StructRenderer.h"
#include "decode/WindowsNames.h"

namespace brx {

void RenderDeviceCapabilities(ITreeSink& tree, const uint8_t* data, size_t length);  // needs 64 bytes
void RenderDeviceRelations(ITreeSink& tree, const uint8_t* data, size_t length);     // needs 8 bytes
void RenderHubCapabilities(ITreeSink& tree, const uint8_t* data, size_t length);     // needs 4 bytes
void RenderHubCapabilitiesEx(ITreeSink& tree, const uint8_t* data, size_t length);   // needs 4 bytes
void RenderNodeInformation(ITreeSink& tree, const uint8_t* data, size_t length);     // needs 4 bytes
// The interface a QUERY_INTERFACE request returned, by its GUID and version;
// needs 16 bytes.
void RenderBusInterface(const GUID_VALUE& guid, ITreeSink& tree, const uint8_t* data, size_t length);

// Field-table renderers over the whole length (the statistics capped at their
// structure sizes).
void RenderPnpBusInformation(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderHubName(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderControllerName(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderBusNotification(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderIdleCallbackInfo(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderNodeConnectionAttributes(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderNodeConnectionName(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderNodeConnectionDriverKeyName(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderNodeConnectionInformationEx(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderNodeConnectionInformation(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderHcdDriverKeyName(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderRootHubName(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderHcdStatistics2(ITreeSink& tree, const uint8_t* data, size_t length);  // at most 120 bytes
void RenderHcdStatistics1(ITreeSink& tree, const uint8_t* data, size_t length);  // at most 44 bytes

} // namespace brx

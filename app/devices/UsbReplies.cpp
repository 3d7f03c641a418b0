#include "app/devices/UsbReplies.h"

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace brx {

bool ReadReplyName(const uint8_t* reply, size_t returned, size_t offset, WString& name) {
    name.clear();
    const ByteReader r(reply, returned);
    for (size_t at = offset; r.has(at, 2); at += 2) {
        const uint16_t c = r.u16le_or(at);
        if (c == 0)
            break;
        name.push_back(static_cast<char16_t>(c));
    }
    return !name.empty();
}

std::unique_ptr<PORT_CONNECTION_INFO> ParseConnectionInfo(const uint8_t* reply, size_t returned, bool extended) {
    const ByteReader r(reply, returned);
    if (!r.has(0, CONNECTION_INFO_HEADER))
        return nullptr;
    auto c = std::make_unique<PORT_CONNECTION_INFO>();
    c->connectionIndex = r.u32le_or(CONNECTION_INFO_INDEX);
    for (uint32_t i = 0; i < USB_DEVICE_DESCRIPTOR_SIZE; ++i)
        c->deviceDescriptor[i] = r.u8or(CONNECTION_INFO_DEVICE_DESCRIPTOR + i);
    c->currentConfigurationValue = r.u8or(CONNECTION_INFO_CONFIGURATION);
    const uint8_t speed = r.u8or(CONNECTION_INFO_SPEED);
    c->speed = extended ? speed : speed ? 0 : USB_SPEED_UNKNOWN;
    c->deviceIsHub = r.u8or(CONNECTION_INFO_IS_HUB);
    c->deviceAddress = r.u16le_or(CONNECTION_INFO_ADDRESS);
    c->connectionStatus = r.u32le_or(CONNECTION_INFO_STATUS);
    uint32_t pipes = r.u32le_or(CONNECTION_INFO_OPEN_PIPES);
    if (pipes > PORT_MAX_OPEN_PIPES)
        pipes = PORT_MAX_OPEN_PIPES;
    const size_t whole = (returned - CONNECTION_INFO_HEADER) / CONNECTION_INFO_PIPE_SIZE;
    if (pipes > whole)
        pipes = static_cast<uint32_t>(whole);
    c->pipes.resize(pipes);
    for (uint32_t i = 0; i < pipes; ++i) {
        const size_t at = CONNECTION_INFO_HEADER + size_t{i} * CONNECTION_INFO_PIPE_SIZE;
        for (size_t b = 0; b < c->pipes[i].endpoint.size(); ++b)
            c->pipes[i].endpoint[b] = r.u8or(at + b);
        c->pipes[i].scheduleOffset = r.u32le_or(at + 7);
    }
    return c;
}

void MakeDescriptorRequest(uint8_t* header, uint32_t port, uint8_t type, uint8_t index, uint16_t languageId,
                           uint16_t length) {
    PutLe32(header, port);
    header[4] = 0x80;   // device to host, standard, device
    header[5] = 6;      // GET_DESCRIPTOR
    PutLe16(header + 6, static_cast<uint16_t>(type << 8 | index));
    PutLe16(header + 8, languageId);
    PutLe16(header + 10, length);
}

std::vector<uint8_t> StringIndices(const uint8_t* deviceDescriptor, const uint8_t* configuration,
                                   size_t configurationSize) {
    std::vector<uint8_t> indices;
    for (size_t at : {14u, 15u, 16u})   // iManufacturer, iProduct, iSerialNumber
        if (deviceDescriptor && deviceDescriptor[at])
            indices.push_back(deviceDescriptor[at]);
    const ByteReader all(configuration, configurationSize);
    const size_t total = all.u16le_or(2);
    const ByteReader set = all.sub(0, total);
    for (size_t at = 0; set.has(at, 2);) {
        const uint8_t length = set.u8or(at), type = set.u8or(at + 1);
        if (length == 0 || !set.has(at, length))
            break;
        uint8_t index = 0;
        if ((type == USB_CONFIGURATION_DESCRIPTOR_TYPE || type == USB_OTHER_SPEED_CONFIGURATION_DESCRIPTOR_TYPE) &&
            length > 8)
            index = set.u8or(at + 6);
        else if (type == USB_INTERFACE_DESCRIPTOR_TYPE && length > 8)
            index = set.u8or(at + 8);
        else if (type == USB_INTERFACE_ASSOCIATION_DESCRIPTOR_TYPE && length > 7)
            index = set.u8or(at + 7);
        if (index)
            indices.push_back(index);
        at += length;
    }
    return indices;
}

bool HasStringDescriptors(const uint8_t* deviceDescriptor, const uint8_t* configuration, size_t configurationSize) {
    return !StringIndices(deviceDescriptor, configuration, configurationSize).empty();
}

std::vector<uint16_t> LanguageIds(const std::vector<uint8_t>& descriptor) {
    std::vector<uint16_t> ids;
    const ByteReader r(descriptor.data(), descriptor.size());
    const uint8_t length = r.u8or(0);
    if (length < 2)
        return ids;
    for (size_t at = 2; at + 1 < length && r.has(at, 2); at += 2)
        ids.push_back(r.u16le_or(at));
    return ids;
}

} // namespace brx

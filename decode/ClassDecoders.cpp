#include "decode/ClassDecoders.h"

#include "decode/BosDescriptors.h"

namespace brx {

namespace {

constexpr CLASS_DESCRIPTOR_ROW kStandardDescriptorRows[] = {
    {0x09, kAnySubclass, DecodeHubDescriptor},
};

bool Matches(uint8_t rowClass, int16_t rowSubclass, uint8_t cls, uint8_t subclass) {
    return rowClass == cls && (rowSubclass == kAnySubclass || rowSubclass == subclass);
}

} // namespace

const CLASS_DECODERS kStandardClassDecoders = {kStandardDescriptorRows, {}};

const CLASS_DECODERS& ClassDecodersOf(const DECODE_CONTEXT& ctx) {
    return ctx.classDecoders != nullptr ? *ctx.classDecoders : kStandardClassDecoders;
}

const CLASS_DESCRIPTOR_ROW* FindClassDescriptorRow(const CLASS_DECODERS& table, uint8_t cls, uint8_t subclass) {
    for (const CLASS_DESCRIPTOR_ROW& row : table.descriptors) {
        if (Matches(row.interfaceClass, row.interfaceSubClass, cls, subclass)) return &row;
    }
    return nullptr;
}

const CLASS_REQUEST_ROW* FindClassRequestRow(const CLASS_DECODERS& table, uint8_t cls, uint8_t subclass) {
    for (const CLASS_REQUEST_ROW& row : table.requests) {
        if (Matches(row.interfaceClass, row.interfaceSubClass, cls, subclass)) return &row;
    }
    return nullptr;
}

} // namespace brx

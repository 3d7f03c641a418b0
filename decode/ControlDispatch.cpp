#include "decode/ControlDispatch.h"

#include "decode/ClassDecoders.h"
#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "decode/StandardRequests.h"

namespace brx {

namespace {

constexpr uint8_t kGetDescriptor = 6;
constexpr uint8_t kSetDescriptor = 7;

// Runs a decoder; what it wrote before declining is rolled back.
bool Try(DECODE_CONTEXT& ctx, ClassDecoder decode) {
    if (decode == nullptr || ctx.page == nullptr) return false;
    const PageMark mark = ctx.page->Mark();
    if (decode(ctx)) return true;
    ctx.page->Rollback(mark);
    return false;
}

const CLASS_REQUEST_ROW* RowOf(const DECODE_CONTEXT& ctx) {
    const INTERFACE_INFO& itf = ctx.request.interfaceInfo;
    if (!itf.known) return nullptr;
    return FindClassRequestRow(ClassDecodersOf(ctx), itf.interfaceClass, itf.interfaceSubClass);
}

} // namespace

bool RenderSetupPacket(DECODE_CONTEXT& ctx) {
    WriteSectionTitle(ctx, "Setup Packet");
    if (BeginFieldTable(ctx)) {
        WriteSetupRequestTypeRow(ctx);
        if (ctx.expand) {
            WriteSetupRecipientRow(ctx);
            WriteSetupTypeRow(ctx);
            WriteSetupDirectionRow(ctx);
        }
        WriteSetupRequestRow(ctx, nullptr);
        WriteSetupValueRow(ctx, nullptr);
        WriteSetupIndexRow(ctx, nullptr);
        WriteSetupLengthRow(ctx, nullptr);
        EndFieldTable(ctx);
    }
    return true;
}

bool DecodeVendorRequest(DECODE_CONTEXT& ctx) { return RenderSetupPacket(ctx); }

bool DecodeClassRequest(DECODE_CONTEXT& ctx) {
    if (!ctx.request.interfaceInfo.known) return false;
    const CLASS_REQUEST_ROW* row = RowOf(ctx);
    if (row != nullptr && Try(ctx, row->classRequest)) return true;
    return RenderSetupPacket(ctx);
}

bool DecodeControlSetup(DECODE_CONTEXT& ctx) {
    if (ctx.bytes.empty() || ctx.page == nullptr) return false;
    const uint8_t type = ctx.bytes[0];
    const uint8_t request = ctx.bytes.size() > 1 ? ctx.bytes[1] : 0;
    const uint8_t descriptorType = ctx.bytes.size() > 3 ? ctx.bytes[3] : 0;
    const PageMark mark = ctx.page->Mark();
    bool done = false;
    switch (RequestTypeOf(type)) {
    case REQUEST_TYPE_STANDARD:
        if ((request == kGetDescriptor || request == kSetDescriptor) && descriptorType != 0 &&
            (descriptorType & 0x60) == 0x20) {
            const CLASS_REQUEST_ROW* row = RowOf(ctx);
            done = row != nullptr && Try(ctx, row->descriptorRequest);
        }
        done = done || DecodeStandardRequest(ctx);
        break;
    case REQUEST_TYPE_CLASS: done = DecodeClassRequest(ctx); break;
    case REQUEST_TYPE_VENDOR: done = DecodeVendorRequest(ctx); break;
    default: break;
    }
    if (!done) {
        ctx.page->Rollback(mark);
        RenderSetupPacket(ctx);
    }
    return true;
}

} // namespace brx

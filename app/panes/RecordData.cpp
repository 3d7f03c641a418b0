#include "app/panes/RecordData.h"

#include "capture/RequestKind.h"

namespace brx {

int GetStatusImage(const CRecordView& r, const RECORD_LAYOUT& layout) {
    switch (r.type) {
    case RECORD_TYPE_START: return STATUS_IMAGE_START;
    case RECORD_TYPE_DROP: return STATUS_IMAGE_DROP;
    case RECORD_TYPE_REQUEST: break;
    default: return STATUS_IMAGE_NONE;
    }
    if (!r.buffer || r.copied < layout.irpBlockOffset || !GetRecordRequest(r.buffer, r.copied, layout))
        return STATUS_IMAGE_NONE;
    if (!r.completion) return STATUS_IMAGE_ISSUED;
    const uint32_t status = GetRequestStatus(r.buffer, r.copied, layout);
    if (status == kStatusCancelled) return STATUS_IMAGE_CANCELED;
    if (static_cast<int32_t>(status) < 0) return STATUS_IMAGE_FAILED;
    if (status == kStatusPending) return STATUS_IMAGE_PENDED;
    return STATUS_IMAGE_SUCCEEDED;
}

} // namespace brx

#include "capture/MatchCriteria.h"

#include <algorithm>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "capture/RequestKind.h"

namespace brx {
namespace {

// KIND_INDEX rows: kinds first..last go to position + (kind - first).
struct KindRange {
    uint16_t first, last;
    uint16_t position;
};
constexpr KindRange kKindIndex[] = {
    {1, 3, 0},          // create, close, cleanup
    {20, 23, 8},        // power minor functions 0..3
    {40, 64, 32},       // PnP minor functions 0..24
    {841, 841, 161},    // internal USB controls, functions 1 and 3..9
    {843, 849, 163},
    {1104, 1108, 170},  // internal functions 264..268
    {4340, 4343, 192},  // host controller
    {4351, 4351, 196},
    {4350, 4350, 197},
    {4352, 4354, 198},
    {4440, 4446, 201},  // hub
    {4453, 4456, 208},
    {4458, 4458, 213},
};

constexpr uint32_t kMassStorageKind = KIND_URB_FIRST + 0x09;  // bulk or interrupt transfer
constexpr uint32_t kStatusWrapperBlockMin = 44;
constexpr uint32_t kUrbBlockMin = 32;
constexpr uint32_t kUrbMin = 16;
constexpr uint32_t kUrbFunctionOffset = 2;

struct FlagBit {
    uint32_t imageByte;
    uint32_t bit;
};
constexpr FlagBit kFlagBits[] = {
    {CRITERIA_ISSUE, CRITERIA_FLAG_ISSUE},   {CRITERIA_SUCCESS, CRITERIA_FLAG_SUCCESS},
    {CRITERIA_FAILURE, CRITERIA_FLAG_FAILURE}, {CRITERIA_INPUT, CRITERIA_FLAG_INPUT},
    {CRITERIA_OUTPUT, CRITERIA_FLAG_OUTPUT},
};

} // namespace

int32_t KindIndexOf(uint32_t kind) {
    for (const KindRange& r : kKindIndex)
        if (kind >= r.first && kind <= r.last) return static_cast<int32_t>(r.position + (kind - r.first));
    return NO_KIND_INDEX;
}

int32_t KindIndexOfUrbFunction(uint32_t function) {
    if (function > KIND_INDEX_URB_LAST_FUNCTION) return NO_KIND_INDEX;
    return static_cast<int32_t>(KIND_INDEX_URB + function);
}

int PackKindBitmap(const uint8_t* selections, size_t count, uint8_t* target, size_t targetSize) {
    if (!selections || !target || count < KIND_SELECTION_COUNT || targetSize < KIND_BITMAP_SIZE) return 0;
    std::memset(target, 0, targetSize);
    for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i)
        if (selections[i] == 1) target[4 + i / 8] |= static_cast<uint8_t>(0x80u >> (i % 8));
    PutLe32(target, KIND_BITMAP_SIZE);
    return 1;
}

int UnpackKindBitmap(const uint8_t* bitmap, size_t available, uint8_t* target, size_t targetSize) {
    if (!target || targetSize < KIND_SELECTION_COUNT) return 0;
    std::memset(target, 0, KIND_SELECTION_COUNT);
    if (!bitmap || available <= 4) return 0;
    const ByteReader reader(bitmap, available);
    const uint32_t sizeField = reader.u32le_or(0);
    const size_t used = sizeField < available ? sizeField : available;
    if (used <= 4) return 0;
    for (size_t byte = 4; byte < used; ++byte) {
        const uint8_t bits = bitmap[byte];
        for (uint32_t bit = 0; bit < 8; ++bit) {
            const size_t i = (byte - 4) * 8 + bit;
            if (i >= KIND_SELECTION_COUNT) return 1;
            if (bits & (0x80u >> bit)) target[i] = 1;
        }
    }
    return 1;
}

bool IsFailedStatusWrapper(const CRecordView& view) {
    if (view.kind != kMassStorageKind || !view.hasBlock || !view.block || view.blockLength < kStatusWrapperBlockMin)
        return false;
    if (view.block[URB_BLOCK_INTERFACE_CLASS] != 0x08 || view.block[URB_BLOCK_INTERFACE_PROTOCOL] != 0x50)
        return false;
    if (!view.data || view.dataLength != CSW_LENGTH) return false;
    const ByteReader data(view.data, view.dataLength);
    return data.u32le_or(0) == CSW_SIGNATURE && data.u8or(CSW_STATUS_OFFSET) != 0;
}

void CMatchCriteria::Reset() {
    std::memset(image_, 0, sizeof image_);
    canMatch_ = 0;
}

int CMatchCriteria::GetImage(uint8_t* out, size_t size) const {
    if (!out || size < CRITERIA_IMAGE_SIZE) return 0;
    std::memcpy(out, image_, CRITERIA_IMAGE_SIZE);
    return 1;
}

void CMatchCriteria::UpdateCanMatch() {
    canMatch_ = 0;
    for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i)
        if (image_[CRITERIA_KINDS + i] == 1) {
            canMatch_ = 1;
            break;
        }
    if (!Flag(CRITERIA_ISSUE) && !Flag(CRITERIA_SUCCESS) && !Flag(CRITERIA_FAILURE)) canMatch_ = 0;
}

int CMatchCriteria::SetImage(const uint8_t* image, size_t size) {
    if (!image || size != CRITERIA_IMAGE_SIZE) return 0;
    Reset();
    for (const FlagBit& f : kFlagBits) image_[f.imageByte] = image[f.imageByte];
    const uint32_t count = std::min<uint32_t>(image[CRITERIA_PATTERN_COUNT], CRITERIA_PATTERN_MAX);
    image_[CRITERIA_PATTERN_COUNT] = static_cast<uint8_t>(count);
    std::memcpy(image_ + CRITERIA_PATTERN, image + CRITERIA_PATTERN, count);
    for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i)
        if (image[CRITERIA_KINDS + i] == 1) image_[CRITERIA_KINDS + i] = 1;
    UpdateCanMatch();
    return 1;
}

int CMatchCriteria::MatchPattern(const uint8_t* data, size_t length) const {
    const uint32_t count = PatternLength();
    if (count == 0) return 1;
    if (!data || length < count) return 0;
    const uint8_t* pattern = Pattern();
    const uint8_t* end = data + length;
    return std::search(data, end, pattern, pattern + count) != end ? 1 : 0;
}

int CMatchCriteria::Match(const CRecordView& view, const RECORD_LAYOUT& layout) const {
    // 1. I/O requests only.
    if (view.type != RECORD_TYPE_REQUEST || !view.buffer) return 0;

    // 2. Phase.
    uint32_t phase = CRITERIA_ISSUE;
    if (view.completion) {
        const int32_t status = static_cast<int32_t>(GetRequestStatus(view.buffer, view.copied, layout));
        phase = (status < 0 || IsFailedStatusWrapper(view)) ? CRITERIA_FAILURE : CRITERIA_SUCCESS;
    }
    if (!Flag(phase)) return 0;

    // 3. URBs: the position comes from the URB's function, then the direction.
    if (IsUrbKind(view.kind)) {
        if (!view.hasBlock || !view.block || view.blockLength < kUrbBlockMin || !view.urb || view.urbLength < kUrbMin)
            return 0;
        const uint16_t function = ByteReader(view.urb, view.urbLength).u16le_or(kUrbFunctionOffset, 0xFFFF);
        if (!Selected(KindIndexOfUrbFunction(function))) return 0;
        return (Flag(CRITERIA_INPUT) && view.direction == DIRECTION_IN) ||
               (Flag(CRITERIA_OUTPUT) && view.direction == DIRECTION_OUT);
    }

    // 4. Every other kind by its position.
    return Selected(KindIndexOf(view.kind)) ? 1 : 0;
}

CriteriaBlob CMatchCriteria::ToBlob() const {
    CriteriaBlob blob{};
    PutLe32(blob.data(), CRITERIA_BLOB_SIZE);
    PutLe32(blob.data() + 4, CRITERIA_BLOB_HEADER);
    uint32_t flags = 0;
    for (const FlagBit& f : kFlagBits)
        if (Flag(f.imageByte)) flags |= f.bit;
    PutLe32(blob.data() + 8, flags);
    PackKindBitmap(image_ + CRITERIA_KINDS, KIND_SELECTION_COUNT, blob.data() + CRITERIA_BLOB_HEADER,
                   KIND_BITMAP_SIZE);
    return blob;
}

std::vector<uint8_t> CMatchCriteria::ToStoredBlob() const {
    const CriteriaBlob fixed = ToBlob();
    std::vector<uint8_t> blob(fixed.begin(), fixed.end());
    const uint32_t count = PatternLength();
    if (count == 0) return blob;
    blob.resize(CRITERIA_BLOB_SIZE + 4 + count);
    PutLe32(blob.data(), static_cast<uint32_t>(blob.size()));
    PutLe32(blob.data() + CRITERIA_BLOB_SIZE, count);
    std::memcpy(blob.data() + CRITERIA_BLOB_SIZE + 4, Pattern(), count);
    return blob;
}

int CMatchCriteria::FromBlob(const uint8_t* blob, size_t size) {
    // Everything is checked and unpacked aside before anything is replaced,
    // so that a refused blob leaves the criteria as they were.
    if (!blob || size <= CRITERIA_BLOB_HEADER) return 0;
    const ByteReader reader(blob, size);
    const uint32_t total = reader.u32le_or(0);
    const uint32_t offset = reader.u32le_or(4);
    const uint32_t flags = reader.u32le_or(8);
    if (total <= CRITERIA_BLOB_HEADER || total > size) return 0;  // a blob cut short
    if (offset < CRITERIA_BLOB_HEADER || offset >= size) return 0;
    uint8_t selections[KIND_SELECTION_COUNT];
    if (!UnpackKindBitmap(blob + offset, size - offset, selections, sizeof selections)) return 0;

    // The pattern tail after the fixed part, when the total size holds it.
    uint32_t patternCount = 0;
    if (offset == CRITERIA_BLOB_HEADER && total >= CRITERIA_BLOB_SIZE + 4) {
        const uint32_t count = reader.u32le_or(CRITERIA_BLOB_SIZE);
        if (count <= CRITERIA_PATTERN_MAX && reader.has(CRITERIA_BLOB_SIZE + 4, count) &&
            CRITERIA_BLOB_SIZE + 4 + count <= total)
            patternCount = count;
    }

    Reset();
    for (const FlagBit& f : kFlagBits) image_[f.imageByte] = (flags & f.bit) ? 1 : 0;
    std::memcpy(image_ + CRITERIA_KINDS, selections, sizeof selections);
    image_[CRITERIA_PATTERN_COUNT] = static_cast<uint8_t>(patternCount);
    if (patternCount) std::memcpy(image_ + CRITERIA_PATTERN, blob + CRITERIA_BLOB_SIZE + 4, patternCount);
    UpdateCanMatch();
    return 1;
}

} // namespace brx

#include "capture/PropertySetCheck.h"

#include <algorithm>
#include <cstring>

#include "base/ByteReader.h"

namespace brx {

const char16_t SUMMARY_INFORMATION_STREAM[] = u"\x0005SummaryInformation";

namespace {

constexpr uint16_t kByteOrder = 0xFFFE;
constexpr uint32_t kSetHeader = 28;        // byte order, version, system, class id, set count
constexpr uint32_t kSectionEntry = 20;     // format id, offset
constexpr uint32_t kFirstSection = kSetHeader + kSectionEntry;
constexpr uint32_t kSectionHeader = 8;     // size, property count
constexpr uint32_t kOffsetEntry = 8;       // property id, offset
constexpr uint16_t kUnicodeCodePage = 1200;
constexpr uint32_t kMaxArrayDimensions = 31;
constexpr int kMaxVariantDepth = 1;        // no vector of variants inside another

enum : uint16_t {
    T_EMPTY = 0, T_NULL = 1, T_I2 = 2, T_I4 = 3, T_R4 = 4, T_R8 = 5, T_CY = 6, T_DATE = 7, T_BSTR = 8,
    T_ERROR = 10, T_BOOL = 11, T_VARIANT = 12, T_DECIMAL = 14, T_I1 = 16, T_UI1 = 17, T_UI2 = 18, T_UI4 = 19,
    T_I8 = 20, T_UI8 = 21, T_INT = 22, T_UINT = 23, T_LPSTR = 30, T_LPWSTR = 31, T_FILETIME = 64, T_BLOB = 65,
    T_STREAM = 66, T_STORAGE = 67, T_STREAMED_OBJECT = 68, T_STORED_OBJECT = 69, T_BLOB_OBJECT = 70, T_CF = 71,
    T_CLSID = 72, T_VERSIONED_STREAM = 73,
    T_VECTOR = 0x1000, T_ARRAY = 0x2000,
};

// The bytes of a fixed-size element as vectors and arrays pack it; 0 for a
// type without a fixed size.
uint32_t PackedSize(uint16_t type) {
    switch (type) {
    case T_I1: case T_UI1: return 1;
    case T_I2: case T_UI2: case T_BOOL: return 2;
    case T_I4: case T_UI4: case T_R4: case T_ERROR: case T_INT: case T_UINT: return 4;
    case T_I8: case T_UI8: case T_R8: case T_CY: case T_DATE: case T_FILETIME: return 8;
    case T_CLSID: case T_DECIMAL: return 16;
    default: return 0;
    }
}

bool IsVectorElement(uint16_t t) {
    switch (t) {
    case T_I2: case T_I4: case T_R4: case T_R8: case T_CY: case T_DATE: case T_BSTR: case T_ERROR: case T_BOOL:
    case T_VARIANT: case T_I1: case T_UI1: case T_UI2: case T_UI4: case T_I8: case T_UI8: case T_LPSTR:
    case T_LPWSTR: case T_FILETIME: case T_CF: case T_CLSID:
        return true;
    default:
        return false;
    }
}

bool IsArrayElement(uint16_t t) {
    switch (t) {
    case T_I2: case T_I4: case T_R4: case T_R8: case T_CY: case T_DATE: case T_BSTR: case T_ERROR: case T_BOOL:
    case T_VARIANT: case T_DECIMAL: case T_I1: case T_UI1: case T_UI2: case T_UI4: case T_INT: case T_UINT:
        return true;
    default:
        return false;
    }
}

uint32_t Padding(uint64_t n) { return static_cast<uint32_t>((4 - n % 4) % 4); }

// Walks the typed values of one section; every step stays inside it.
class CValueWalk {
public:
    CValueWalk(ByteReader section, uint16_t codePage) : c_(section), codePage_(codePage) {}

    bool At(uint32_t offset) {
        c_ = ByteCursor(c_.reader());
        return c_.skip(offset);
    }

    // A typed value: its type, two zero bytes, its value.
    bool Typed(int depth) {
        uint16_t type = 0, padding = 0;
        if (!c_.u16le(type) || !c_.u16le(padding) || padding != 0) return false;
        if (type & T_VECTOR) return (type & ~T_VECTOR) == T_VARIANT ? Variants(depth) : Vector(type & ~T_VECTOR);
        if (type & T_ARRAY) return Array(type & ~T_ARRAY, depth);
        return Scalar(type);
    }

private:
    // Skips n bytes and then the padding to a multiple of 4, which may be
    // missing at the very end of the section.
    bool SkipPadded(uint64_t n) {
        if (n > c_.remaining() || !c_.skip(static_cast<size_t>(n))) return false;
        c_.skip(std::min<size_t>(Padding(n), c_.remaining()));
        return true;
    }
    // A count of elements of at least `least` bytes each that the rest of the
    // section can hold.
    bool Holds(uint64_t count, uint32_t least) const { return count <= c_.remaining() / least; }

    // A string or blob with a byte count in front. Strings hold at least
    // their terminating NUL: some readers write one before the first byte of
    // an empty string.
    bool Counted(uint32_t unit, bool string) {
        uint32_t count = 0;
        if (!c_.u32le(count)) return false;
        if (string && count == 0) return false;
        return SkipPadded(uint64_t{count} * unit);
    }
    bool CodePageString() {
        uint32_t size = 0;
        if (!c_.reader().u32le(c_.pos(), size)) return false;
        if (codePage_ == kUnicodeCodePage && (size & 1)) return false;
        return Counted(1, true);
    }
    bool UnicodeString() { return Counted(2, true); }
    bool IndirectName() { return codePage_ == kUnicodeCodePage ? UnicodeString() : CodePageString(); }
    bool ClipboardData() {
        uint32_t size = 0;
        if (!c_.reader().u32le(c_.pos(), size) || size < 4) return false;
        return Counted(1, false);
    }

    bool Scalar(uint16_t type) {
        if (const uint32_t n = PackedSize(type)) return SkipPadded(n);
        switch (type) {
        case T_EMPTY: case T_NULL: return true;
        case T_BSTR: case T_LPSTR: return CodePageString();
        case T_LPWSTR: return UnicodeString();
        case T_BLOB: case T_BLOB_OBJECT: return Counted(1, false);
        case T_CF: return ClipboardData();
        case T_STREAM: case T_STORAGE: case T_STREAMED_OBJECT: case T_STORED_OBJECT: return IndirectName();
        case T_VERSIONED_STREAM: return c_.skip(16) && IndirectName();
        default: return false;
        }
    }

    // `count` elements of one type; a string element takes at least its
    // count field, a fixed one its packed size.
    bool Elements(uint16_t type, uint64_t count) {
        if (const uint32_t n = PackedSize(type)) {
            if (!Holds(count, n)) return false;
            return SkipPadded(count * n);
        }
        if (!Holds(count, 4)) return false;
        for (uint64_t i = 0; i < count; ++i)
            if (!Scalar(type)) return false;
        return true;
    }

    bool Vector(uint16_t type) {
        uint32_t count = 0;
        return IsVectorElement(type) && type != T_VARIANT && c_.u32le(count) && Elements(type, count);
    }

    bool Variants(int depth) {
        uint32_t count = 0;
        if (depth >= kMaxVariantDepth || !c_.u32le(count) || !Holds(count, 4)) return false;
        for (uint32_t i = 0; i < count; ++i)
            if (!Typed(depth + 1)) return false;
        return true;
    }

    bool Array(uint16_t type, int depth) {
        uint32_t headerType = 0, dimensions = 0;
        if (!IsArrayElement(type) || !c_.u32le(headerType) || headerType != type || !c_.u32le(dimensions) ||
            dimensions == 0 || dimensions > kMaxArrayDimensions)
            return false;
        uint64_t count = 1;
        for (uint32_t d = 0; d < dimensions; ++d) {
            uint32_t size = 0, indexOffset = 0;
            if (!c_.u32le(size) || !c_.u32le(indexOffset)) return false;
            count *= size;
            if (count > c_.remaining()) return false;   // no element is smaller than a byte
        }
        if (type != T_VARIANT) return Elements(type, count);
        if (depth >= kMaxVariantDepth || !Holds(count, 4)) return false;
        for (uint64_t i = 0; i < count; ++i)
            if (!Typed(depth + 1)) return false;
        return true;
    }

    ByteCursor c_;
    uint16_t codePage_;
};

} // namespace

bool CheckPropertySetStream(const uint8_t* bytes, size_t size, const FILE_GUID& fmtid) {
    if (!bytes || size > MAX_PROPERTY_SET_STREAM) return false;
    const ByteReader stream(bytes, size);

    // The header: one section, right behind it, of this format id (readers
    // differ on whether they seek to the section's offset or read on).
    uint8_t expected[16];
    GuidToBytes(fmtid, expected);
    if (!stream.has(0, kFirstSection) || stream.u16le_or(0) != kByteOrder || stream.u16le_or(2) > 1 ||
        stream.u32le_or(24) != 1 || std::memcmp(bytes + kSetHeader, expected, 16) != 0 ||
        stream.u32le_or(kSetHeader + 16) != kFirstSection)
        return false;

    // The section: its size inside the stream, its offset table inside it.
    // Some writers count the padding after the last value in the section's
    // size but leave it out of the stream: up to 3 such bytes are let pass,
    // and values are walked within the bytes that are there.
    const uint32_t sectionSize = stream.u32le_or(kFirstSection);
    const uint32_t count = stream.u32le_or(kFirstSection + 4);
    const size_t present = std::min<size_t>(sectionSize, size - kFirstSection);
    if (sectionSize < kSectionHeader || sectionSize > size - kFirstSection + 3 || present < kSectionHeader ||
        count > (present - kSectionHeader) / kOffsetEntry)
        return false;
    const ByteReader section = stream.sub(kFirstSection, present);
    const uint32_t valuesStart = kSectionHeader + count * kOffsetEntry;

    // The code page first: strings are read by it.
    uint16_t codePage = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t id = section.u32le_or(kSectionHeader + i * kOffsetEntry);
        const uint32_t offset = section.u32le_or(kSectionHeader + i * kOffsetEntry + 4);
        if (id == 1 && section.u16le_or(offset) == T_I2) codePage = section.u16le_or(offset + 4);
    }

    CValueWalk walk(section, codePage);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t id = section.u32le_or(kSectionHeader + i * kOffsetEntry);
        const uint32_t offset = section.u32le_or(kSectionHeader + i * kOffsetEntry + 4);
        if (id == 0) return false;   // a dictionary
        if (offset < valuesStart || offset > sectionSize - 4 || !walk.At(offset) || !walk.Typed(0)) return false;
    }
    return true;
}

} // namespace brx

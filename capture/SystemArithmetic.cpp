#include "capture/SystemArithmetic.h"

#include "base/ByteReader.h"

namespace brx {

uint32_t ReduceColorDepth(uint32_t bits) {
    if (bits >= 32)
        return 32;
    if (bits >= 24)
        return 24;
    if (bits >= 16)
        return 16;
    if (bits >= 8)
        return 8;
    if (bits >= 4)
        return 4;
    return 0;
}

uint64_t DiskFreeFromClusters(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                              uint32_t freeClusters) {
    // Two 32-bit factors fit in 64 bits; the third may not, so saturate.
    uint64_t clusterBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    if (clusterBytes != 0 && freeClusters > UINT64_MAX / clusterBytes)
        return UINT64_MAX;
    return clusterBytes * freeClusters;
}

bool ParseProductVersion(const void* resource, size_t size, uint16_t parts[4]) {
    // VS_VERSIONINFO: WORD wLength, WORD wValueLength, WORD wType, the key
    // "VS_VERSION_INFO" as NUL-terminated UTF-16, padding to 32 bits, then
    // VS_FIXEDFILEINFO (52 bytes) whose product version sits at +16 and +20.
    constexpr uint32_t FIXED_SIGNATURE = 0xFEEF04BD;
    constexpr size_t FIXED_SIZE = 52;
    ByteReader r(resource, size);
    uint16_t length = 0, valueLength = 0;
    if (!r.u16le(0, length) || !r.u16le(2, valueLength))
        return false;
    if (length < 6 || length > size)
        return false;
    ByteReader block = r.sub(0, length);
    size_t pos = 6;
    for (;;) {
        uint16_t ch = 0;
        if (!block.u16le(pos, ch))
            return false;
        pos += 2;
        if (ch == 0)
            break;
    }
    pos = (pos + 3) & ~static_cast<size_t>(3);
    if (valueLength < FIXED_SIZE || !block.has(pos, FIXED_SIZE))
        return false;
    uint32_t signature = 0, productMs = 0, productLs = 0;
    block.u32le(pos, signature);
    block.u32le(pos + 16, productMs);
    block.u32le(pos + 20, productLs);
    if (signature != FIXED_SIGNATURE)
        return false;
    parts[0] = static_cast<uint16_t>(productMs >> 16);
    parts[1] = static_cast<uint16_t>(productMs & 0xFFFF);
    parts[2] = static_cast<uint16_t>(productLs >> 16);
    parts[3] = static_cast<uint16_t>(productLs & 0xFFFF);
    return true;
}

} // namespace brx

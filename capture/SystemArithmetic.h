// The arithmetic behind a few system queries, without the queries: colour
// depth classes, free space from cluster counts and the product version inside
// a version resource.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// Bits per pixel times planes reduced to 32, 24, 16, 8, 4 or 0.
uint32_t ReduceColorDepth(uint32_t bitsTimesPlanes);

// Free bytes from the cluster geometry, in 64 bits (the product of three
// 32-bit counts exceeds 4 GB on any larger disk).
uint64_t DiskFreeFromClusters(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                              uint32_t freeClusters);

// Product version (most significant part first) from the bytes of a
// VS_VERSIONINFO resource; false when the bytes do not hold a fixed file
// information block with its signature. Every read is bounds-checked.
bool ParseProductVersion(const void* resource, size_t size, uint16_t parts[4]);

} // namespace brx

// The rules of the Preferences pages that need no window: what the two
// number edits show, the trackbar arithmetic of the Driver and Capture
// pages, their "MB" texts and the Time page's samples.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brx {

// The recent-file count edit: 0..16, two typed digits.
inline constexpr uint32_t kPrefRecentFilesMax = 16;
inline constexpr int kPrefRecentFilesDigits = 2;
// The startup screen set edit: 1..4, one typed digit.
inline constexpr uint32_t kPrefScreensetMin = 1;
inline constexpr uint32_t kPrefScreensetMax = 4;
inline constexpr int kPrefScreensetDigits = 1;

// Kernel memory: the driver's step and maximum when it answers 0.
inline constexpr uint32_t kPrefDefaultKernelMemoryStep = 0x200000;
inline constexpr uint32_t kPrefDefaultKernelMemoryMax = 0x2000000;
// Temporary capture file: 8 MB per trackbar position, 1..128.
inline constexpr uint32_t kPrefTempFileStep = 8u << 20;
inline constexpr int kPrefTempFilePositionMin = 1;
inline constexpr int kPrefTempFilePositionMax = 128;

// Digits only (no sign, space or other character), at least one; the value
// saturates at UINT32_MAX. Empty or anything else: nothing.
std::optional<uint32_t> ParsePrefDigits(std::u16string_view text);

// What an edit's text becomes: nothing when it stays as it is.
// Recent files: text set above 16 becomes "16"; after a key is released an
// empty (or not a number) text becomes "0" and above 16 "16".
std::optional<std::u16string> RecentFilesTextOnSet(std::u16string_view text);
std::optional<std::u16string> RecentFilesTextOnKeyUp(std::u16string_view text);
// Screen set: text set above 4 becomes "4"; after a key is released an empty,
// non-positive (or not a number) text becomes "1" and above 4 "4".
std::optional<std::u16string> ScreensetTextOnSet(std::u16string_view text);
std::optional<std::u16string> ScreensetTextOnKeyUp(std::u16string_view text);

// The value an edit holds, clamped into its range (for applying).
uint32_t RecentFilesValue(std::u16string_view text);
uint32_t ScreensetValue(std::u16string_view text);

// Driver page.
struct KernelMemoryScale {
    uint32_t step;
    uint32_t max;
};
// The driver's answers with their defaults for 0; a step above the maximum
// is taken as the maximum.
KernelMemoryScale MakeKernelMemoryScale(uint32_t step, uint32_t max);
// The limit shown: raised to one step, lowered to the maximum.
uint32_t ClampKernelMemory(uint32_t limit, const KernelMemoryScale& scale);
int KernelMemoryRangeMax(const KernelMemoryScale& scale);   // max / step, at least 1
int KernelMemoryPosition(uint32_t limit, const KernelMemoryScale& scale);
uint32_t KernelMemoryOfPosition(int position, const KernelMemoryScale& scale);

// Capture page.
int TempFilePosition(uint32_t bytes);        // bytes / 8 MB within 1..128
uint32_t TempFileSizeOfPosition(int position); // position (1..128) x 8 MB

// "%d MB" texts: bytes / 1048576; free space is 64-bit and prints as such.
std::u16string MegabytesText(uint64_t bytes);

// Time page.
struct PrefLocalTime {
    int year, month, day, hour, minute, second, milliseconds;
};
// 0: "%04d-%02d-%02d %d:%02d:%02d.%03d", otherwise "%d:%02d:%02d.%03d".
std::u16string TimeSample(uint32_t format, const PrefLocalTime& time);
// "00:00:00.001234" (0), "0.001234" (1), "1.234 ms" (2); others as 1.
std::u16string ElapsedSample(uint32_t format);
// "0.005678" (0), "5.678 ms" (1); others as 1.
std::u16string DurationSample(uint32_t format);
// The radio button of a stored elapsed format: 0 and 2 their own, else 1.
uint32_t ElapsedFormatChoice(uint32_t format);

// Only fixed drives (drive type 3) hold the temporary capture file.
inline constexpr uint32_t kPrefFixedDriveType = 3;
inline bool IsTempDirectoryDriveType(uint32_t driveType) { return driveType == kPrefFixedDriveType; }

} // namespace brx

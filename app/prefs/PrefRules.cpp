#include "app/prefs/PrefRules.h"

#include <cinttypes>
#include <cstdio>

namespace brx {

namespace {

std::u16string Ascii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
    return out;
}

std::u16string Number(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return Ascii(text);
}

} // namespace

std::optional<uint32_t> ParsePrefDigits(std::u16string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - u'0');
        if (value > UINT32_MAX) value = UINT32_MAX + uint64_t{1}; // saturate, keep reading
    }
    return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
}

std::optional<std::u16string> RecentFilesTextOnSet(std::u16string_view text) {
    const std::optional<uint32_t> v = ParsePrefDigits(text);
    if (v && *v > kPrefRecentFilesMax) return Number(kPrefRecentFilesMax);
    return std::nullopt;
}

std::optional<std::u16string> RecentFilesTextOnKeyUp(std::u16string_view text) {
    const std::optional<uint32_t> v = ParsePrefDigits(text);
    if (!v) return u"0";
    if (*v > kPrefRecentFilesMax) return Number(kPrefRecentFilesMax);
    return std::nullopt;
}

std::optional<std::u16string> ScreensetTextOnSet(std::u16string_view text) {
    const std::optional<uint32_t> v = ParsePrefDigits(text);
    if (v && *v > kPrefScreensetMax) return Number(kPrefScreensetMax);
    return std::nullopt;
}

std::optional<std::u16string> ScreensetTextOnKeyUp(std::u16string_view text) {
    const std::optional<uint32_t> v = ParsePrefDigits(text);
    if (!v || *v < kPrefScreensetMin) return Number(kPrefScreensetMin);
    if (*v > kPrefScreensetMax) return Number(kPrefScreensetMax);
    return std::nullopt;
}

uint32_t RecentFilesValue(std::u16string_view text) {
    const std::optional<uint32_t> v = ParsePrefDigits(text);
    if (!v) return 0;
    return *v > kPrefRecentFilesMax ? kPrefRecentFilesMax : *v;
}

uint32_t ScreensetValue(std::u16string_view text) {
    const std::optional<uint32_t> v = ParsePrefDigits(text);
    if (!v || *v < kPrefScreensetMin) return kPrefScreensetMin;
    return *v > kPrefScreensetMax ? kPrefScreensetMax : *v;
}

KernelMemoryScale MakeKernelMemoryScale(uint32_t step, uint32_t max) {
    KernelMemoryScale scale{step ? step : kPrefDefaultKernelMemoryStep, max ? max : kPrefDefaultKernelMemoryMax};
    if (scale.step > scale.max) scale.step = scale.max;
    return scale;
}

uint32_t ClampKernelMemory(uint32_t limit, const KernelMemoryScale& scale) {
    if (limit < scale.step) return scale.step;
    if (limit > scale.max) return scale.max;
    return limit;
}

int KernelMemoryRangeMax(const KernelMemoryScale& scale) {
    const uint32_t n = scale.max / scale.step;
    return n < 1 ? 1 : static_cast<int>(n);
}

int KernelMemoryPosition(uint32_t limit, const KernelMemoryScale& scale) {
    return static_cast<int>(ClampKernelMemory(limit, scale) / scale.step);
}

uint32_t KernelMemoryOfPosition(int position, const KernelMemoryScale& scale) {
    const int max = KernelMemoryRangeMax(scale);
    if (position < 1) position = 1;
    if (position > max) position = max;
    return static_cast<uint32_t>(position) * scale.step;
}

int TempFilePosition(uint32_t bytes) {
    const uint32_t n = bytes / kPrefTempFileStep;
    if (n < static_cast<uint32_t>(kPrefTempFilePositionMin)) return kPrefTempFilePositionMin;
    if (n > static_cast<uint32_t>(kPrefTempFilePositionMax)) return kPrefTempFilePositionMax;
    return static_cast<int>(n);
}

uint32_t TempFileSizeOfPosition(int position) {
    if (position < kPrefTempFilePositionMin) position = kPrefTempFilePositionMin;
    if (position > kPrefTempFilePositionMax) position = kPrefTempFilePositionMax;
    return static_cast<uint32_t>(position) * kPrefTempFileStep;
}

std::u16string MegabytesText(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 " MB", bytes / 1048576u);
    return Ascii(text);
}

std::u16string TimeSample(uint32_t format, const PrefLocalTime& t) {
    char text[64];
    if (format == 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second, t.milliseconds);
    else
        std::snprintf(text, sizeof text, "%d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.milliseconds);
    return Ascii(text);
}

std::u16string ElapsedSample(uint32_t format) {
    switch (format) {
    case 0: return u"00:00:00.001234";
    case 2: return u"1.234 ms";
    default: return u"0.001234";
    }
}

std::u16string DurationSample(uint32_t format) { return format == 0 ? u"0.005678" : u"5.678 ms"; }

uint32_t ElapsedFormatChoice(uint32_t format) { return format == 0 || format == 2 ? format : 1; }

} // namespace brx

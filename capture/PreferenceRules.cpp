#include "capture/PreferenceRules.h"

#include <algorithm>

namespace brx {

bool AcceptTempFileSize(uint32_t requested, uint32_t& accepted) {
    if (requested < PREF_TEMP_FILE_SIZE_STEP)
        return false;
    uint32_t rounded = requested & ~(PREF_TEMP_FILE_SIZE_STEP - 1);
    if (rounded > PREF_TEMP_FILE_SIZE_MAX)
        return false;
    accepted = rounded;
    return true;
}

bool IsScreensetInRange(uint32_t screenset) { return screenset >= 1 && screenset <= 4; }

uint32_t ClampTimeFormat(uint32_t format) { return std::min<uint32_t>(format, 1); }
uint32_t ClampElapsedTimeFormat(uint32_t format) { return std::min<uint32_t>(format, 2); }
uint32_t ClampDurationFormat(uint32_t format) { return std::min<uint32_t>(format, 1); }

uint32_t ReadableShowCmd(uint32_t stored) {
    return stored > PREF_SHOW_CMD_MAX ? PREF_SHOW_NORMAL : stored;
}

uint32_t EncodeMostRecentScreenset(bool useMostRecent, uint32_t mostRecent) {
    return useMostRecent ? mostRecent : 0;
}

void DecodeMostRecentScreenset(uint32_t stored, bool& useMostRecent, uint32_t& mostRecent) {
    if (stored == 0) {
        useMostRecent = false;
        return;
    }
    useMostRecent = true;
    if (IsScreensetInRange(stored))
        mostRecent = stored;
}

PlacementRect NormalizeRect(PlacementRect r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

namespace {

// One axis of the fitting, in 64 bits: stored edges may be anything.
void FitSpan(int64_t& low, int64_t& high, int64_t areaLow, int64_t areaHigh) {
    if (low < areaLow) {
        int64_t d = areaLow - low;
        low += d;
        high += d;
    }
    if (high > areaHigh) {
        int64_t d = high - areaHigh;
        low -= d;
        high -= d;
    }
    if (low < areaLow)
        low = areaLow;
}

} // namespace

PlacementRect FitRectToWorkArea(PlacementRect r, const PlacementRect& workArea) {
    r = NormalizeRect(r);
    const PlacementRect& w = workArea;
    bool overlaps = r.left < w.right && w.left < r.right && r.top < w.bottom && w.top < r.bottom;
    bool inside = r.left >= w.left && r.right <= w.right && r.top >= w.top && r.bottom <= w.bottom;
    if (!overlaps || inside)
        return r;
    int64_t left = r.left, right = r.right, top = r.top, bottom = r.bottom;
    FitSpan(left, right, w.left, w.right);
    FitSpan(top, bottom, w.top, w.bottom);
    // After fitting each edge lies within the work area's span.
    return PlacementRect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                         static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
}

} // namespace brx

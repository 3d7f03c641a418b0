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

} // namespace brx

// The preferences' defaults and acceptance rules, and the fitting of the main
// window's saved position onto the desktop work area: plain arithmetic, kept
// apart from the registry and the window calls so that it is tested alone.
#pragma once
#include <cstdint>

#include "base/PlacementFit.h"

namespace brx {

// Defaults of the preferences.
constexpr uint32_t PREF_DEFAULT_TEMP_FILE_SIZE = 0x2000000;     // 32 MB
constexpr uint32_t PREF_DEFAULT_KERNEL_MEMORY_LIMIT = 0x400000; // 4 MB
constexpr uint32_t PREF_DEFAULT_SPLASH_AT_STARTUP = 1;
constexpr uint32_t PREF_DEFAULT_AUTO_SCROLL = 0;
constexpr uint32_t PREF_DEFAULT_STARTUP_SCREENSET = 1;
constexpr uint32_t PREF_DEFAULT_MOST_RECENT_SCREENSET = 1;
constexpr uint32_t PREF_DEFAULT_USE_MOST_RECENT_SCREENSET = 1;
constexpr uint32_t PREF_DEFAULT_TIME_FORMAT = 1;
constexpr uint32_t PREF_DEFAULT_ELAPSED_TIME_FORMAT = 2;
constexpr uint32_t PREF_DEFAULT_DURATION_FORMAT = 1;

// Temporary capture file size limits.
constexpr uint32_t PREF_TEMP_FILE_SIZE_STEP = 0x800000;  // 8 MB
constexpr uint32_t PREF_TEMP_FILE_SIZE_MAX = 0x40000000; // 1 GB

// The main window placement record: 44 bytes (length, flags, show command,
// minimised and maximised positions, normal rectangle).
constexpr uint32_t PREF_PLACEMENT_LENGTH = 44;
constexpr uint32_t PREF_SHOW_HIDE = 0;
constexpr uint32_t PREF_SHOW_NORMAL = 1;
constexpr uint32_t PREF_SHOW_MINIMIZED = 2;
constexpr uint32_t PREF_SHOW_CMD_MAX = 11;

// A size taken from 8 MB up, rounded down to a multiple of 8 MB, at most 1 GB:
// true and the size to keep, or false when the value is refused.
bool AcceptTempFileSize(uint32_t requested, uint32_t& accepted);

bool IsScreensetInRange(uint32_t screenset); // 1..4

// Out-of-range formats fall to the largest accepted one.
uint32_t ClampTimeFormat(uint32_t format);        // 0..1
uint32_t ClampElapsedTimeFormat(uint32_t format); // 0..2
uint32_t ClampDurationFormat(uint32_t format);    // 0..1

// The show command as the main frame reads it: values above 11 read as 1.
uint32_t ReadableShowCmd(uint32_t stored);

// "MostRecentScreenset" holds both the flag and the set: 0 when the flag is
// clear, else the most recent set.
uint32_t EncodeMostRecentScreenset(bool useMostRecent, uint32_t mostRecent);
// Decoding: 0 clears the flag and leaves the set; any other value sets the
// flag and is taken as the set when it lies in 1..4.
void DecodeMostRecentScreenset(uint32_t stored, bool& useMostRecent, uint32_t& mostRecent);

// PlacementRect, NormalizeRect and FitRectToWorkArea: base/PlacementFit.h.

} // namespace brx

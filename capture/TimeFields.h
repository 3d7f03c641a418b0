// Calendar and duration fields of 64-bit counts of 100-ns units.
#pragma once
#include <cstdint>

namespace brx {

struct TIME_FIELDS {
    uint16_t Year;
    uint16_t Month;         // 1-12
    uint16_t Day;           // 1-31 (a duration: whole days)
    uint16_t Hour;
    uint16_t Minute;
    uint16_t Second;
    uint16_t Milliseconds;
    uint16_t Weekday;       // 0 = Sunday
};
static_assert(sizeof(TIME_FIELDS) == 16);

constexpr uint64_t TICKS_PER_MILLISECOND = 10000;
constexpr uint64_t MILLISECONDS_PER_DAY = 86400000;

// Gregorian fields of an absolute time counted from 1601-01-01 00:00 UTC.
void TimeToTimeFields(uint64_t time, TIME_FIELDS& fields);
// A duration: Year and Month 0, Day = whole days (saturating at 65535),
// then Hour, Minute, Second and Milliseconds; Weekday is left as it was.
void TimeToDurationFields(uint64_t time, TIME_FIELDS& fields);

} // namespace brx

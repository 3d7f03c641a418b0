#include "capture/TimeFields.h"

namespace brx {
namespace {

constexpr uint32_t kDaysPer400Years = 146097;
constexpr uint32_t kDaysPer100Years = 36524;
constexpr uint32_t kDaysPer4Years = 1461;

// Days before the first of each month, common and leap years.
constexpr uint16_t kMonthStart[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

bool IsLeapYear(uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

void SplitTimeOfDay(uint32_t msOfDay, TIME_FIELDS& f) {
    f.Milliseconds = static_cast<uint16_t>(msOfDay % 1000);
    uint32_t seconds = msOfDay / 1000;
    f.Second = static_cast<uint16_t>(seconds % 60);
    f.Minute = static_cast<uint16_t>(seconds / 60 % 60);
    f.Hour = static_cast<uint16_t>(seconds / 3600);
}

} // namespace

void TimeToTimeFields(uint64_t time, TIME_FIELDS& f) {
    uint64_t ms = time / TICKS_PER_MILLISECOND;
    uint64_t days = ms / MILLISECONDS_PER_DAY;
    SplitTimeOfDay(static_cast<uint32_t>(ms % MILLISECONDS_PER_DAY), f);
    f.Weekday = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday

    // 1601 begins a 400-year cycle whose every 4-, 100- and 400-year group ends
    // with its leap day, so the last day of a group clamps into its last year.
    uint64_t cycles400 = days / kDaysPer400Years;
    uint32_t rest = static_cast<uint32_t>(days % kDaysPer400Years);
    uint32_t centuries = rest / kDaysPer100Years;
    if (centuries == 4) centuries = 3;
    rest -= centuries * kDaysPer100Years;
    uint32_t quads = rest / kDaysPer4Years;
    rest %= kDaysPer4Years;
    uint32_t years = rest / 365;
    if (years == 4) years = 3;
    uint32_t dayOfYear = rest - years * 365;

    uint64_t year = 1601 + cycles400 * 400 + centuries * 100 + quads * 4 + years;
    const uint16_t* start = kMonthStart[IsLeapYear(static_cast<uint32_t>(year)) ? 1 : 0];
    uint32_t month = 1;
    while (month < 12 && dayOfYear >= start[month]) ++month;
    f.Year = static_cast<uint16_t>(year);
    f.Month = static_cast<uint16_t>(month);
    f.Day = static_cast<uint16_t>(dayOfYear - start[month - 1] + 1);
}

void TimeToDurationFields(uint64_t time, TIME_FIELDS& f) {
    uint64_t ms = time / TICKS_PER_MILLISECOND;
    uint64_t days = ms / MILLISECONDS_PER_DAY;
    SplitTimeOfDay(static_cast<uint32_t>(ms % MILLISECONDS_PER_DAY), f);
    f.Year = 0;
    f.Month = 0;
    f.Day = static_cast<uint16_t>(days > 0xFFFF ? 0xFFFF : days);
}

} // namespace brx

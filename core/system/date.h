// CBK_Date: a moment broken down into calendar fields in the system time zone (TZ).
#pragma once

#include <cstdint>

#include "platform/files/fs_types.h"

class CBK_Date {
public:
    // Seconds from 2001-01-01 00:00:00 UTC to 1970-01-01 and to 1904-01-01.
    static constexpr double kUnixEpoch = -978307200.0;
    static constexpr double kMacEpoch = -3061152000.0;

    // The current moment.
    CBK_Date() { GetDate(); }

    // The current moment, broken down.
    void GetDate();
    // `time` in seconds since 2001-01-01 00:00:00 UTC.
    void SetDate(const double& time);
    void SetDate(const tbx::UTCDateTime& time);
    double GetAbsoluteTime() const { return _time; }

    int32_t GetYear() const { return _year; }
    int32_t GetYearShort() const { return _year % 100; }
    int32_t GetMonth() const { return _month; }
    int32_t GetDay() const { return _day; }
    int32_t GetHour() const { return _hour; }
    int32_t GetHour24() const { return _hour; }
    int32_t GetMinute() const { return _minute; }
    int32_t GetSecond() const { return _second; }
    // The ISO 8601 week of the year, 1 to 53.
    int32_t GetWeek() const { return _week; }

    // Copy the month's name, cut to size - 1 characters and always terminated; return the
    // characters copied (0 and nothing written for a month outside 1 to 12 or no room).
    int32_t GetMonthName(wchar_t* buffer, int32_t size) const;
    int32_t GetMonthNameShort(wchar_t* buffer, int32_t size) const;
    int32_t GetDayName(wchar_t*, int32_t) const { return 0; }
    int32_t GetDayNameShort(wchar_t*, int32_t) const { return 0; }

private:
    double _time = 0;
    int32_t _month = 1, _day = 1, _year = 2001, _hour = 0, _minute = 0, _second = 0;
    int32_t _week = 1;
};

// Replaces every `from` in the text by `to`.
void SwapChar(wchar_t* text, wchar_t from, wchar_t to);

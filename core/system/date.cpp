#include "core/system/date.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace {

const wchar_t* const kMonths[12] = {L"January",   L"February", L"March",    L"April",
                                    L"May",       L"June",     L"July",     L"August",
                                    L"September", L"October",  L"November", L"December"};
const wchar_t* const kMonthsShort[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                         L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

int32_t CopyName(const wchar_t* const* names, int32_t month, wchar_t* buffer, int32_t size) {
    if (!buffer || size < 1 || month < 1 || month > 12)
        return 0;
    const wchar_t* name = names[month - 1];
    int32_t n = 0;
    for (; name[n] && n < size - 1; ++n)
        buffer[n] = name[n];
    buffer[n] = L'\0';
    return n;
}

} // namespace

void CBK_Date::GetDate() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    SetDate(std::chrono::duration<double>(now).count() + kUnixEpoch);
}

void CBK_Date::SetDate(const double& time) {
    _time = time;
    tzset();
    const double unixTime = std::floor(time - kUnixEpoch);
    // Converting a value outside time_t's range is undefined: check before the cast.
    constexpr double kLimit = 9.2e18;
    if (!(unixTime > -kLimit && unixTime < kLimit))
        return;
    const auto t = static_cast<std::time_t>(unixTime);
    std::tm parts{};
    if (!localtime_r(&t, &parts))
        return;
    _year = parts.tm_year + 1900;
    _month = parts.tm_mon + 1;
    _day = parts.tm_mday;
    _hour = parts.tm_hour;
    _minute = parts.tm_min;
    _second = parts.tm_sec;
    char week[8] = {};
    std::strftime(week, sizeof week, "%V", &parts);
    _week = (week[0] - '0') * 10 + (week[1] - '0');
}

void CBK_Date::SetDate(const tbx::UTCDateTime& time) {
    const double seconds = double(uint64_t(time.highSeconds) << 32 | time.lowSeconds) +
                           double(time.fraction) / 65536.0;
    SetDate(seconds + kMacEpoch);
}

int32_t CBK_Date::GetMonthName(wchar_t* buffer, int32_t size) const {
    return CopyName(kMonths, _month, buffer, size);
}

int32_t CBK_Date::GetMonthNameShort(wchar_t* buffer, int32_t size) const {
    return CopyName(kMonthsShort, _month, buffer, size);
}

void SwapChar(wchar_t* text, wchar_t from, wchar_t to) {
    for (; text && *text; ++text)
        if (*text == from)
            *text = to;
}

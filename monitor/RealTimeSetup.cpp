#include "monitor/RealTimeSetup.h"

#include "common/TimeText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::string IntervalText(double interval)
{
    const double whole = std::trunc(interval);
    if (interval - 0.9 > 0.01 && std::trunc(interval * 10) == whole * 10 && std::abs(whole) < 1e9)
        return std::to_string(static_cast<int>(whole));
    return FormatFixed(interval, 1, 2);
}

int FindRateItem(std::string_view prefix, int startIndex)
{
    if (startIndex < 0 || startIndex >= kSamplingRateCount)
        startIndex = 0;
    for (int n = 0; n < kSamplingRateCount; ++n) {
        const int i = (startIndex + n) % kSamplingRateCount;
        if (std::string_view(kSamplingRateItems[i]).starts_with(prefix))
            return i;
    }
    return -1;
}

double RateItemValue(int index)
{
    if (index < 0 || index >= kSamplingRateCount)
        return 0.0;
    return TextToDouble(kSamplingRateItems[index]);
}

CRealTimeSetupLogic::CRealTimeSetupLogic(std::int64_t now)
{
    const LocalDate today = LocalDateOf(now);
    m_startYear = today.year;
    m_startMonth = today.month;
    m_startDay = today.day;
}

void CRealTimeSetupLogic::SetStart(int year, int month, int day, int hour, int minute, int second)
{
    m_startYear = year;
    m_startMonth = month;
    m_startDay = day;
    m_startHour = hour;
    m_startMinute = minute;
    m_startSecond = second;
}

void CRealTimeSetupLogic::SetParameters(double interval, int count)
{
    m_interval = interval;
    m_count = count;
}

int CRealTimeSetupLogic::Open()
{
    // Searching from item 1 lets "1" find "1" rather than "10".
    const int item = FindRateItem(IntervalText(m_interval), 1);
    ComputePeriod();
    return item;
}

CRealTimeSetupLogic::CountCheck CRealTimeSetupLogic::Update(int selectedIndex, std::string_view countText)
{
    // Without a selection there is no item text to take the interval from;
    // keep the interval rather than turn it into 0.
    m_choice = selectedIndex;
    if (selectedIndex >= 0 && selectedIndex < kSamplingRateCount)
        m_interval = RateItemValue(selectedIndex);
    else
        m_choice = -1;

    int count = 0;
    const CountCheck check = ParseCount(countText, count);
    if (check != CountCheck::NotInteger)
        m_count = count;
    ComputePeriod();
    return check;
}

void CRealTimeSetupLogic::GetParameters(double& interval, int& count, int& choice) const
{
    interval = m_interval;
    count = m_count;
    choice = m_choice;
}

std::string CRealTimeSetupLogic::CountRangeMessage()
{
    return "Please enter an integer between " + std::to_string(kMinCount) + " and " + std::to_string(kMaxCount) +
           ".";
}

CRealTimeSetupLogic::CountCheck CRealTimeSetupLogic::ParseCount(std::string_view text, int& count)
{
    // An optional sign and decimal digits, blanks allowed around them; nothing else.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::size_t end = text.size();
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    const std::string_view body = text.substr(i, end - i);
    std::size_t digits = (!body.empty() && (body[0] == '+' || body[0] == '-')) ? 1 : 0;
    if (digits == body.size())
        return CountCheck::NotInteger;
    for (std::size_t k = digits; k < body.size(); ++k)
        if (body[k] < '0' || body[k] > '9')
            return CountCheck::NotInteger;
    const std::string s(body);
    errno = 0;
    const long long value = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return CountCheck::NotInteger;
    count = static_cast<int>(value);
    return (count < kMinCount || count > kMaxCount) ? CountCheck::OutOfRange : CountCheck::Ok;
}

void CRealTimeSetupLogic::ComputePeriod()
{
    const std::int64_t start =
        MakeLocalTime(m_startYear, m_startMonth, m_startDay, m_startHour, m_startMinute, m_startSecond);
    const auto seconds = static_cast<std::int64_t>(std::trunc(m_count * m_interval));
    m_fromText = FormatLocalTime(start, "%Y-%m-%d %H:%M:%S");
    m_toText = FormatLocalTime(start + seconds, "%Y-%m-%d %H:%M:%S");
}

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The sampling intervals offered by the Real-Time Setup dialog (1033) and by the
// main form's sampling-rate box (1038), in the same order, so an index means
// the same in both.
inline constexpr int kSamplingRateCount = 10;
inline constexpr std::array<const char*, kSamplingRateCount> kSamplingRateItems = {
    "0.1", "0.2", "0.5", "1", "1.5", "2", "2.5", "3", "5", "10"};

// The item text of an interval: whole seconds above 0.9 as "%d", anything else
// as "%2.1f" (0.5 -> "0.5", 1 -> "1", 1.5 -> "1.5", 10 -> "10").
std::string IntervalText(double interval);

// The first item whose text begins with prefix, searching from startIndex to
// the end and then from item 0; -1 when none does.
int FindRateItem(std::string_view prefix, int startIndex);

// The numeric value of item index, or 0.0 outside the list.
double RateItemValue(int index);

// What the controller needs of the Setup dialog; the view implements it over
// the Qt dialog, tests answer it from a script.
class IRealTimeSetupDialog {
public:
    virtual ~IRealTimeSetupDialog() = default;
    virtual void SetStart(int year, int month, int day, int hour, int minute, int second) = 0;
    virtual void SetParameters(double interval, int count) = 0;
    // Runs the dialog modally; true when it was closed with "Start".
    virtual bool Run() = 0;
    virtual void GetParameters(double& interval, int& count, int& choice) const = 0;
};

// The Setup dialog's state and rules without any widget: the count, the
// interval and its list index, and the recording period they imply.
class CRealTimeSetupLogic {
public:
    static constexpr int kMinCount = 0;
    static constexpr int kMaxCount = 20000;

    enum class CountCheck { Ok, NotInteger, OutOfRange };

    // now gives today's date, the default start of the period.
    explicit CRealTimeSetupLogic(std::int64_t now);

    void SetStart(int year, int month, int day, int hour, int minute, int second);
    void SetParameters(double interval, int count);

    // Opening the dialog: recomputes the period texts and returns the list
    // item to select for the current interval (-1: none matches).
    int Open();

    // A selection change of the list, a text change of the count or "Start":
    // takes the selected item (-1 leaves the interval as it was) and the count
    // text, then recomputes the period. A count that is not an integer keeps the
    // previous count; one outside 0..20000 is taken but reported.
    CountCheck Update(int selectedIndex, std::string_view countText);

    void GetParameters(double& interval, int& count, int& choice) const;

    int Count() const { return m_count; }
    double Interval() const { return m_interval; }
    int Choice() const { return m_choice; }
    std::string CountText() const { return std::to_string(m_count); }
    const std::string& FromText() const { return m_fromText; }
    const std::string& ToText() const { return m_toText; }
    bool CountInRange() const { return m_count >= kMinCount && m_count <= kMaxCount; }

    static std::string CountRangeMessage();
    static std::string NotIntegerMessage() { return "Please enter an integer."; }
    static CountCheck ParseCount(std::string_view text, int& count);

private:
    void ComputePeriod();

    int m_count = 20000;
    std::string m_fromText;
    int m_startHour = 0;
    int m_startMinute = 0;
    int m_startSecond = 0;
    int m_startYear = 0;
    int m_startMonth = 0;
    int m_startDay = 0;
    double m_interval = 0.5;
    int m_choice = 2;
    std::string m_toText;
};

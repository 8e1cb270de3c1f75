#pragma once

#include "common/DataSample.h"
#include "common/LoggerRecordSet.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A record set as the meter's data logger stores it, from its marker byte on:
//   0      marker: 0xAA for dBA, anything else (the meter writes 0xCC) for dBC
//   1..3   year after 2000, month, day, each two BCD digits
//   4      hour on the 12-hour clock: bit 4 adds 10, bit 5 (afternoon) adds 12, low nibble the units
//   5, 6   minute, second (BCD)
//   7      seconds between readings (BCD); 0x0F stands for 1
//   8      not used
//   9..    the readings, two bytes each: hundreds|tens, units|tenths
// Reads past the end of the downloaded bytes give 0, so a set cut short reads
// safely.

// 10 * high nibble + low nibble, without any check.
int BcdValue(std::uint8_t byte);
// 0..23 from the meter's hour byte: 0x12 (12 a.m.) is 0, 0x32 (12 p.m.) is 12, 0x21 is 13.
int HourFromLoggerByte(std::uint8_t byte);
// (end - begin - 8) / 2, never below 0.
int DownloadedSampleCount(const LoggerRecordSet& set);

bool IsLeapYear(int year);
// Days of month 1..12 of year, February with 29 in a leap year.
int DaysInMonth(int year, int month);

// Fills unit, date, time and rate of a downloaded table entry from its header
// bytes. A rate byte of 0x0F gives the rate 1. A date or time that is no real
// one (month 13, 31 April, minute 75, from a damaged header) is carried over
// as the calendar does (month 13 is January of the next year, 31 April is 1
// May), so every later step sees a real date.
void DecodeSetHeader(std::span<const std::uint8_t> bytes, LoggerRecordSet& set);

// Readings of a downloaded set whose digits are all decimal: the ones that have a value.
int DownloadedValidCount(std::span<const std::uint8_t> bytes, const LoggerRecordSet& set);

// The readings of a downloaded set as samples with their statistics.
struct RebuiltSet {
    std::vector<DataSample> samples;
    int damaged = 0; // readings left out: a digit was not decimal
    double sum = 0.0;
    double maximum = 30.0; // the meter's range bounds are the starting points
    std::string maximumTime;
    double minimum = 130.0;
    std::string minimumTime;
};

// Reading k is taken rate * k seconds after the set's start; a reading whose
// digits are not all decimal has no value and is left out (the others keep
// their times). The seconds carry
// into the minutes, the minutes into the hours and the hours into the days,
// and the days run through the real calendar (29 February in a leap year, the
// year's end). Times are "%d:%d:%d" and dates "%d-%d-%d" (day, month, year),
// without leading zeros. Throws std::bad_alloc when there is no room.
RebuiltSet RebuildSamples(std::span<const std::uint8_t> bytes, const LoggerRecordSet& set);

// The list's and the title's forms: 2007-03-07 and 09:05:00.
std::string ListDateText(int year, int month, int day);
std::string ListTimeText(int hour, int minute, int second);

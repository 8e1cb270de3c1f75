#include "meter/LoggerReplyCheck.h"

#include "common/PackedBcd.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kMarkerA = 0xAA;
constexpr std::uint8_t kMarkerC = 0xCC;
constexpr std::uint8_t kStreamTag = 0xA5;
constexpr std::uint8_t kStreamPair = 0x0D;
constexpr std::size_t kStreamBlock = 20;
constexpr std::size_t kHeaderBytes = 9; // marker, seven header bytes, the unused byte
constexpr std::uint8_t kRateOneSecond = 0x0F;

bool IsMarker(std::uint8_t byte)
{
    return byte == kMarkerA || byte == kMarkerC;
}

// Two decimal digits whose value lies within low..high.
bool BcdWithin(std::uint8_t byte, int low, int high)
{
    if ((byte >> 4) > 9 || (byte & 0x0F) > 9)
        return false;
    const int value = 10 * (byte >> 4) + (byte & 0x0F);
    return value >= low && value <= high;
}

// Bit 5 afternoon, bit 4 the tens digit, low nibble the units of 1..12.
bool HourByteValid(std::uint8_t byte)
{
    if ((byte & 0xC0) != 0 || (byte & 0x0F) > 9)
        return false;
    const int hour12 = ((byte & 0x10) ? 10 : 0) + (byte & 0x0F);
    return hour12 >= 1 && hour12 <= 12;
}

std::string Bytes(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

std::string SkippedText(std::size_t n, const std::string& place)
{
    return Bytes(n) + " " + place +
           (n == 1 ? " belongs to no whole record set and was skipped." : " belong to no whole record set and were skipped.");
}

// Where the scan is, in the user's words.
std::string PlaceAfter(const LoggerReplyCheck& check)
{
    const int kept = static_cast<int>(check.sets.size()) - 1 + check.setsLeftOut;
    return kept == 0 ? std::string("before the first record set") : "after record set " + std::to_string(kept);
}

// The set of bytes begin..end (inclusive) with its damaged readings, or
// counted as left out when the table is full.
void KeepSet(LoggerReplyCheck& check, std::span<const std::uint8_t> reply, std::size_t begin, std::size_t end)
{
    if (static_cast<int>(check.sets.size()) == kRecordSetTableSize) {
        ++check.setsLeftOut;
        return;
    }
    if (check.sets.size() == 1)
        check.sets[0].end = static_cast<int>(begin) - 1;
    LoggerRecordSet set;
    set.begin = static_cast<int>(begin);
    set.end = static_cast<int>(end);
    int damaged = 0;
    for (std::size_t r = begin + kHeaderBytes; r + 1 <= end; r += 2)
        damaged += AllDecimal(UnpackBcd(reply[r], reply[r + 1])) ? 0 : 1;
    check.sets.push_back(set);
    check.damagedReadings.push_back(damaged);
}

} // namespace

int LoggerReplyCheck::DamagedReadings() const
{
    int total = 0;
    for (const int n : damagedReadings)
        total += n;
    return total;
}

bool LoggerSetStarts(std::span<const std::uint8_t> data, std::size_t at)
{
    if (at >= data.size() || data.size() - at < kHeaderBytes || !IsMarker(data[at]))
        return false;
    const std::uint8_t rate = data[at + 7];
    return BcdWithin(data[at + 1], 0, 99) && BcdWithin(data[at + 2], 1, 12) && BcdWithin(data[at + 3], 1, 31) &&
           HourByteValid(data[at + 4]) && BcdWithin(data[at + 5], 0, 59) && BcdWithin(data[at + 6], 0, 59) &&
           (rate == kRateOneSecond || BcdWithin(rate, 1, 99));
}

std::size_t FindStreamInReply(std::span<const std::uint8_t> data, bool endByteSeen)
{
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] != kStreamTag || data[i + 1] != kStreamPair)
            continue;
        if (i + kStreamBlock < data.size()) {
            if (data[i + kStreamBlock] == kStreamTag)
                return i;
            continue;
        }
        // Within the last block: a reply that ran to its announced length
        // (the end byte, if any, comes after it) holds a block's beginning
        // when another tag follows; a lone 0xA5 0x0D is a damaged reading.
        if (!endByteSeen && std::find(data.begin() + static_cast<long>(i) + 2, data.end(), kStreamTag) != data.end())
            return i;
    }
    return data.size();
}

LoggerReplyCheck CheckLoggerReply(std::span<const std::uint8_t> data, bool endByteSeen)
{
    LoggerReplyCheck check;
    check.dataEnd = FindStreamInReply(data, endByteSeen);
    check.streamFound = check.dataEnd < data.size();
    const std::span<const std::uint8_t> reply = data.first(check.dataEnd);
    const std::size_t size = reply.size();

    check.sets.emplace_back();
    check.damagedReadings.push_back(0);
    check.sets[0].end = -1;
    const auto placeOf = [&check]() { return PlaceAfter(check); };

    std::size_t p = 0;
    while (p < size) {
        if (!LoggerSetStarts(reply, p)) {
            std::size_t q = p + 1;
            while (q < size && !LoggerSetStarts(reply, q))
                ++q;
            check.skipped.push_back(SkippedText(q - p, placeOf()));
            p = q;
            continue;
        }
        std::size_t q = p + kHeaderBytes;
        while (q < size && !LoggerSetStarts(reply, q))
            ++q;
        std::size_t end = q - 1;
        // A lone marker after the set's last reading belongs to no set.
        const bool loneMarker = (q - p) % 2 == 0 && IsMarker(reply[end]);
        if (loneMarker)
            --end;
        if (!loneMarker && (q - p) % 2 == 0) {
            if (q < size) {
                check.skipped.push_back("A record set " + placeOf() + " was not whole (" + Bytes(q - p) +
                                        ", where a set is 9 + 2 per reading): bytes were lost, so it was left out.");
                p = q;
                continue;
            }
            --end; // the reply was cut in the middle of the last reading
            check.skipped.push_back("The last reading of the last record set was cut off.");
        }
        KeepSet(check, reply, p, end);
        if (loneMarker)
            check.skipped.push_back(SkippedText(1, placeOf()));
        p = q;
    }
    return check;
}

#include "logger/DataFileSummary.h"

#include "common/TimeText.h"
#include "logger/DataFileReader.h"

#include <algorithm>

namespace {

// At most 9 gets a leading zero, as in the DataLogger window's list.
std::string TwoDigits(int value)
{
    return (value <= 9 ? "0" : "") + std::to_string(value);
}

std::string Fixed2(double value)
{
    return FormatFixed(value, 2);
}

// A text from the file as the terminal may show it: control characters,
// bytes outside ASCII and the backslash itself become escapes (\x1b, \x00,
// \\), so a file cannot move the cursor, clear the screen or cut the line.
std::string Printable(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string Extreme(const char* label, double value, const std::string& time)
{
    return std::string(label) + Fixed2(value) + " @ " + (time.empty() ? std::string("(no time)") : PadTimeText(time));
}

std::string Samples(int n)
{
    return std::to_string(n) + (n == 1 ? " sample" : " samples");
}

} // namespace

std::vector<std::string> DataFileSummaryLines(const DataFileImport& data)
{
    std::vector<std::string> lines;
    lines.push_back("Sampling rate: " + FormatFixed(data.rate, 1, 2) + " s");
    lines.push_back("Samples: " + std::to_string(data.count));
    lines.push_back("Record sets: " + std::to_string(data.SetCount()));
    for (int i = 0; i < data.SetCount(); ++i) {
        const auto& set = data.sets[static_cast<std::size_t>(i)];
        lines.push_back("Set " + std::to_string(i + 1) + ": " + std::to_string(set.begin) + ".." +
                        std::to_string(set.end) + ", " + Printable(set.unit) + ", " + std::to_string(set.year) + "-" +
                        TwoDigits(set.month) + "-" + TwoDigits(set.day) + " " + TwoDigits(set.hour) + ":" +
                        TwoDigits(set.minute) + ":" + TwoDigits(set.second) + ", " +
                        Samples(set.end - set.begin + 1));
    }
    if (data.count > 0) {
        lines.push_back("Average: " + Fixed2(data.sum / data.count));
        lines.push_back(Extreme("Maximum: ", data.maximum, data.maximumTime));
        lines.push_back(Extreme("Minimum: ", data.minimum, data.minimumTime));
    } else {
        lines.emplace_back("Average: none");
        lines.emplace_back("Maximum: none");
        lines.emplace_back("Minimum: none");
    }
    // The reasons are the reader's own words, never the file's bytes.
    const std::string damage = DataFileDamageText(data);
    for (std::size_t from = 0; from < damage.size();) {
        const std::size_t end = std::min(damage.find('\n', from), damage.size());
        lines.push_back(damage.substr(from, end - from));
        from = end + 1;
    }
    const std::string truncation = DataFileTruncationText(data);
    if (!truncation.empty())
        lines.push_back(truncation);
    return lines;
}

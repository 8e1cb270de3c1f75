#include "common/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

// Takes an optional sign off the front; true when it was a minus.
bool TakeSign(std::string_view& text)
{
    if (text.empty() || (text.front() != '+' && text.front() != '-'))
        return false;
    const bool negative = text.front() == '-';
    text.remove_prefix(1);
    return negative;
}

// The longest number at the front of text, or nothing. A number too large
// for a double becomes an infinity and one too small 0, as strtod has it.
std::optional<double> LeadingNumber(std::string_view text, const char** end)
{
    const char* first = text.data();
    const char* last = first + text.size();
    double value = 0.0;
    const auto [ptr, error] = std::from_chars(first, last, value, std::chars_format::general);
    *end = ptr;
    if (error == std::errc())
        return value;
    if (error != std::errc::result_out_of_range)
        return std::nullopt;
    long double wide = 0.0L;
    const auto [widePtr, wideError] = std::from_chars(first, last, wide, std::chars_format::general);
    *end = widePtr;
    if (wideError != std::errc())
        return 0.0;
    return static_cast<double>(wide);
}

} // namespace

int TextToInt(std::string_view text)
{
    text = SkipBlanks(text);
    const bool negative = TakeSign(text);
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0)
        return 0;
    long long value = 0;
    const auto [ptr, error] = std::from_chars(text.data(), text.data() + digits, value);
    (void)ptr;
    if (error == std::errc::result_out_of_range)
        return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

double TextToDouble(std::string_view text)
{
    text = SkipBlanks(text);
    const bool negative = TakeSign(text);
    // from_chars takes no sign of its own after ours: "+-1" is no number.
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        return 0.0;
    const char* end = nullptr;
    const std::optional<double> value = LeadingNumber(text, &end);
    if (!value)
        return 0.0;
    return negative ? -*value : *value;
}

std::string FormatGeneral(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (error != std::errc())
        return {};
    return std::string(buffer, end);
}

std::string FormatFixed(double value, int decimals, int width)
{
    // Room for the 309 digits of the largest double before the point.
    char buffer[512];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return {};
    std::string text(buffer, end);
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::optional<double> ParseNumber(std::string_view text)
{
    std::string_view rest = text;
    const bool negative = TakeSign(rest);
    if (rest.empty() || !((rest.front() >= '0' && rest.front() <= '9') || rest.front() == '.'))
        return std::nullopt; // no "inf", "nan" or a second sign
    const char* end = nullptr;
    const std::optional<double> value = LeadingNumber(rest, &end);
    if (!value || end != rest.data() + rest.size() || !std::isfinite(*value))
        return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<long long> ParseInteger(std::string_view text)
{
    std::string_view rest = text;
    const bool negative = TakeSign(rest);
    if (rest.empty() || rest.front() < '0' || rest.front() > '9')
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size())
        return std::nullopt;
    return negative ? -value : value;
}

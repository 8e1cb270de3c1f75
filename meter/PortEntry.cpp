#include "meter/PortEntry.h"

#include "common/DialogSeam.h"

#include <charconv>
#include <optional>

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 100;
constexpr int kFallbackPort = 99;

// A whole decimal integer with optional blanks around it and an optional sign.
std::optional<long long> WholeInteger(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

int ParsePortEntry(std::string_view text, IDialogSeam& dialogs)
{
    const auto value = WholeInteger(text);
    if (value && *value >= kFirstPort && *value <= kLastPort)
        return static_cast<int>(*value);
    ShowMessage(dialogs, "Please insert an integer between 1 and 100");
    return kFallbackPort;
}

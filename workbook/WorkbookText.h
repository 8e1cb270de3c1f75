#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text helpers of the workbook driver and the sheet file. Everything here is
// independent of the user's locale: a workbook is a byte format.

// UTF-8 to UTF-16 code units. A byte that does not start a valid UTF-8
// sequence stands for itself (Latin-1), so no input is ever refused or lost.
std::u16string Utf8ToUtf16(std::string_view text);
std::size_t Utf16Length(std::string_view text);

// The shortest text that reads back as the same number ("65.3", "1e+20", "3").
std::string FormatNumber(double value);

#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers as the data file, the command line and the statistics fields write
// and read them: always the "C" way, a point before the decimals and no digit
// grouping, whatever the user's locale says. The C library's printf, atof and
// strtod follow the locale the program runs under (Qt installs the user's at
// start-up), so none of them is used for these texts.

// atoi: leading blanks, an optional sign, decimal digits; 0 when there are
// none. Values beyond int are clamped to it.
int TextToInt(std::string_view text);

// atof in the "C" locale: leading blanks, an optional sign and the longest
// decimal number that follows (inf and nan included); 0.0 when there is none.
double TextToDouble(std::string_view text);

// "%.15g": general notation with up to 15 significant digits and no trailing
// zeros: 85.3, 85.3333333333333, 30.
std::string FormatGeneral(double value);

// "%W.Df": decimals digits after the point, padded with blanks on the left to
// at least width characters ("%5.2f" of 9.5 is " 9.50").
std::string FormatFixed(double value, int decimals, int width = 0);

// The whole text as a finite decimal number, or nothing (no blanks, no
// trailing characters, no comma for the point).
std::optional<double> ParseNumber(std::string_view text);

// The whole text as a decimal integer with an optional sign, or nothing.
std::optional<long long> ParseInteger(std::string_view text);

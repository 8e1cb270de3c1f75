#pragma once

#include <string_view>

class IDialogSeam;

// The port number typed into the port dialog: an integer 1..100 is taken as
// it is; anything else (out of range, not a number) is refused with "Please
// insert an integer between 1 and 100" and gives kPortEntryFallback.
inline constexpr int kPortEntryFallback = 99;
int ParsePortEntry(std::string_view text, IDialogSeam& dialogs);

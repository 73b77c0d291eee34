// Whole numbers typed into edits: how the pages read them and what they say when a number
// is missing or out of range.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sendaro {

// A positive whole number of 32 bits, blanks around it allowed; nothing for an empty text,
// a sign, any other character or a number too large.
std::optional<unsigned> ParseUnsigned(std::string_view text);

// "Please enter an integer between 2 and 100." for 2 and 100.
std::string RangeMessage(int lowest, int highest);

} // namespace sendaro

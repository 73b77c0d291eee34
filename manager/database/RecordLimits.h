// Limits of the destination records and of the database, named where they are applied.
#pragma once

#include <cstddef>

namespace zordb {

// A printer name must stay below 32 characters: it is also the Windows printer's name.
constexpr std::size_t kPrinterNameLimit = 32;
// Group names may have 32 characters; longer than 31 draws a warning only.
constexpr std::size_t kGroupNameLength = 32;
constexpr std::size_t kGroupNameWarningLength = 31;
constexpr std::size_t kEmailMaxLength = 80;
// The shared check allows 256; the property page's own edit takes at most 10.
constexpr std::size_t kPasswordMaxLength = 256;
constexpr std::size_t kDescriptionMaxLength = 255;
// Text taken from a control is read through a 5000-byte buffer.
constexpr std::size_t kControlTextMaxLength = 4999;

constexpr std::size_t kGroupMemberLimit = 7; // printers, and separately sub-groups
constexpr std::size_t kPrinterCountLimit = 150;
constexpr std::size_t kGroupCountLimit = 50;

constexpr int kPacketSizeMinKb = 2;
constexpr int kPacketSizeMaxKb = 100;

} // namespace zordb

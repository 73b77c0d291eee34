// Section and key names of the destination database (Sendaro.Cfg) and of the
// configuration files that share its record layout.
#pragma once

#include "manager/database/NameCompare.h"

#include <string_view>

namespace zordb {

// The title section and the index. The index holds one line per section to be read, key
// and value both the section's name; other sections of the file are never read.
inline constexpr const char *kTitleSection = "TitleName";
inline constexpr const char *kIndexSection = "ChoosersDatabaseSectionNames";
inline constexpr const char *kGroupsTitleKey = "GroupsTitle";
inline constexpr const char *kPrintersTitleKey = "PrintersTitle";
inline constexpr const char *kDefaultItemKey = "DefaultItem";
inline constexpr const char *kItemTypeKey = "ItemType";

// A destination's record is the section of its name, so a destination named like one of
// the file's own sections would overwrite that section: such names are taken.
inline bool IsDatabaseSectionName(std::string_view name)
{
    return SameName(name, kTitleSection) || SameName(name, kIndexSection);
}

// Booleans are these words; on reading only the exact upper-case "TRUE" is true.
inline constexpr const char *kTrue = "TRUE";
inline constexpr const char *kFalse = "FALSE";

// Lists are names joined by this, without blanks.
inline constexpr char kListSeparator = ',';

} // namespace zordb

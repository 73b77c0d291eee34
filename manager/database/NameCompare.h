// Destination names are compared without regard to case (ASCII letters; other bytes of
// the ANSI code page compare as they are).
#pragma once

#include "platform/base/text.h"

#include <string_view>

namespace zordb {

inline bool SameName(std::string_view a, std::string_view b)
{
    return zorplat::EqualsIgnoringCase(a, b);
}

} // namespace zordb

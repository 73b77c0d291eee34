// Text helpers shared across the layer. Names, keys and paths of the original platform
// compare without regard to case in ASCII letters; other bytes compare as they are.
#pragma once

#include <string_view>

namespace zorplat {

inline char FoldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i]))
            return false;
    return true;
}

} // namespace zorplat

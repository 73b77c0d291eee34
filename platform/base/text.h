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

// The value of a hex digit of either case; -1 for any other character.
inline int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace zorplat

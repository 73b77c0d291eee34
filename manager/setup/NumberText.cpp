#include "manager/setup/NumberText.h"

#include "manager/database/ManagerStrings.h"
#include "manager/setup/SetupStrings.h"

#include <charconv>

namespace sendaro {

std::optional<unsigned> ParseUnsigned(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string RangeMessage(int lowest, int highest)
{
    std::string text = zordb::ManagerString(IDS_ENTER_INTEGER_RANGE);
    for (const auto &[mark, value] : {std::pair{"%1", lowest}, std::pair{"%2", highest}})
        if (const size_t at = text.find(mark); at != std::string::npos)
            text.replace(at, 2, std::to_string(value));
    return text;
}

} // namespace sendaro

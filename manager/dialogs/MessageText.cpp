#include "manager/dialogs/MessageText.h"

#include "manager/database/ManagerStrings.h"

#include <cstdio>

namespace sendaro {

std::string FormatMessageText(UINT id, const std::string &subject, DWORD error)
{
    const std::string format = zordb::ManagerString(id);
    const int length = std::snprintf(nullptr, 0, format.c_str(), subject.c_str(), static_cast<unsigned long>(error));
    if (length <= 0)
        return format;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), subject.c_str(), static_cast<unsigned long>(error));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string MessageNaming(UINT id, const std::string &subject)
{
    std::string text = zordb::ManagerString(id);
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, subject);
    return text;
}

} // namespace sendaro

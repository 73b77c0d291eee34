#include "manager/database/ConfigurationStrings.h"

#include "manager/database/ManagerStrings.h"

namespace zordb {

std::string FormatString(UINT id, std::initializer_list<std::string> arguments)
{
    std::string text = ManagerString(id);
    std::size_t from = 0;
    for (const std::string &argument : arguments) {
        const std::size_t at = text.find("%s", from);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, argument);
        // An argument that itself holds "%s" is not expanded again.
        from = at + argument.size();
    }
    return text;
}

} // namespace zordb

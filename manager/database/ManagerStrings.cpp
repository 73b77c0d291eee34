#include "manager/database/ManagerStrings.h"

#include "platform/kernel/stringtable.h"

namespace zordb {

// The table is the executable's own (resources/sendaro.strings, embedded by zor_use_zordb),
// as the texts of a program are its resources.
std::string ManagerString(UINT id)
{
    return zorplat::LoadStringText(nullptr, id).value_or(std::string());
}

} // namespace zordb

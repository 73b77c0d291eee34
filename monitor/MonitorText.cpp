#include "monitor/MonitorText.h"

#include "monitor/ModuleEntry.h"
#include "platform/kernel/stringtable.h"

namespace zormon {

std::string MonitorText(UINT id)
{
    return zorplat::LoadStringText(ModuleInstance(), id).value_or("");
}

} // namespace zormon

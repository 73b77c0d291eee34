#include "manager/database/WindowsPrinters.h"

#include "manager/database/NameCompare.h"
#include "platform/spooler/spooler.h"

namespace zordb {

namespace {
constexpr DWORD kEnumerationBufferSize = 2000;
}

bool WindowsPrinterExists(const std::string &name)
{
    alignas(PRINTER_INFO_5A) BYTE buffer[kEnumerationBufferSize];
    DWORD needed = 0;
    DWORD returned = 0;
    if (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 5, buffer, sizeof buffer, &needed, &returned))
        return false;
    const auto *printers = reinterpret_cast<const PRINTER_INFO_5A *>(buffer);
    for (DWORD i = 0; i < returned; ++i)
        if (printers[i].pPrinterName && SameName(printers[i].pPrinterName, name))
            return true;
    return false;
}

} // namespace zordb

#include "manager/database/WindowsPrinters.h"

#include "manager/database/NameCompare.h"
#include "platform/spooler/spooler.h"

namespace zordb {

namespace {

constexpr DWORD kEnumerationBufferSize = 2000;

thread_local WindowsPrinterSnapshot *t_snapshot = nullptr;

// The names the level-5 enumeration gives in 2000 bytes; none when it fails.
std::vector<std::string> enumerateNames()
{
    alignas(PRINTER_INFO_5A) BYTE buffer[kEnumerationBufferSize];
    DWORD needed = 0;
    DWORD returned = 0;
    std::vector<std::string> names;
    if (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 5, buffer, sizeof buffer, &needed, &returned))
        return names;
    const auto *printers = reinterpret_cast<const PRINTER_INFO_5A *>(buffer);
    for (DWORD i = 0; i < returned; ++i)
        if (printers[i].pPrinterName)
            names.emplace_back(printers[i].pPrinterName);
    return names;
}

} // namespace

bool WindowsPrinterExists(const std::string &name)
{
    const std::vector<std::string> enumerated = t_snapshot ? std::vector<std::string>() : enumerateNames();
    const std::vector<std::string> &names = t_snapshot ? t_snapshot->m_names : enumerated;
    for (const std::string &printer : names)
        if (SameName(printer, name))
            return true;
    return false;
}

WindowsPrinterSnapshot::WindowsPrinterSnapshot() : m_names(enumerateNames()), m_outer(t_snapshot)
{
    t_snapshot = this;
}

WindowsPrinterSnapshot::~WindowsPrinterSnapshot()
{
    t_snapshot = m_outer;
}

} // namespace zordb

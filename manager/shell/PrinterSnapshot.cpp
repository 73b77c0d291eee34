#include "manager/shell/PrinterSnapshot.h"

void PrinterSnapshot::Take(const std::string &name)
{
    HANDLE printer = nullptr;
    if (!OpenPrinter(const_cast<LPSTR>(name.c_str()), &printer, nullptr))
        return;
    valid = true;
    DWORD needed = 0;
    GetPrinter(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> filled(needed, 0);
    if (needed >= sizeof(PRINTER_INFO_2A) && GetPrinter(printer, 2, filled.data(), needed, &needed)) {
        buffer = std::move(filled);
        info = *reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
    }
    sourceName = name;
    ClosePrinter(printer);
}

void PrinterSnapshot::Clear()
{
    valid = false;
    info = PRINTER_INFO_2A{};
    buffer.clear();
}

PrinterSnapshot &PrinterSnapshot::Instance()
{
    static PrinterSnapshot snapshot;
    return snapshot;
}

#include "manager/shell/SpoolerPrinters.h"

#include "platform/spooler/spooler.h"

namespace sendaro {

HANDLE CreateDestinationPrinter(const std::string &driver, const std::string &name)
{
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<LPSTR>(name.c_str());
    info.pPortName = const_cast<LPSTR>(kInternetPort);
    info.pDriverName = const_cast<LPSTR>(driver.c_str());
    info.pComment = const_cast<LPSTR>(kPrinterComment);
    info.pPrintProcessor = const_cast<LPSTR>("WinPrint");
    info.pDatatype = const_cast<LPSTR>("RAW");
    info.Attributes = PRINTER_ATTRIBUTE_DIRECT;
    info.Priority = 1;
    return AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
}

void DeleteWindowsPrinter(const std::string &name)
{
    HANDLE printer = nullptr;
    if (!OpenPrinter(const_cast<LPSTR>(name.c_str()), &printer, nullptr))
        return;
    DeletePrinter(printer);
    ClosePrinter(printer);
}

} // namespace sendaro

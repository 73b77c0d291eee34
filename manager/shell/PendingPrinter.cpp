#include "manager/shell/PendingPrinter.h"

#include "manager/database/NameCompare.h"
#include "manager/database/PrinterRecord.h"

void CopyPendingPrinter(const PendingPrinter &pending, PrinterRecord &printer)
{
    printer.PrinterName = pending.PrinterName;
    printer.PrinterDescription = pending.PrinterDescription;
    printer.PrinterEmail = pending.PrinterEmail;
    printer.PrinterPassword = pending.PrinterPassword;
    printer.DefaultRecipient = pending.DefaultRecipient;
    printer.RecipientLocation = pending.RecipientLocation;
    printer.PrinterDriver = pending.PrinterDriver;
    printer.LimitPacketSize = zordb::SameName(pending.LimitPacketSize, "TRUE");
    printer.MaxPacketSizeInKb = pending.MaxPacketSizeInKb;
    printer.HeaderPage = pending.HeaderPage != 0;
    printer.TrailerPage = pending.TrailerPage != 0;
}

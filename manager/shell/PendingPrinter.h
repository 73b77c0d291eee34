// A printer's values on their way from the Add Printer wizard or the printer property sheet
// into the document and the spooler: one field per PrinterRecord field.
#pragma once

#include <string>

struct PendingPrinter {
    std::string PrinterName;
    std::string PrinterDescription;
    std::string PrinterEmail;
    std::string PrinterPassword;
    std::string DefaultRecipient;
    std::string RecipientLocation;
    std::string PrinterDriver;
    std::string LimitPacketSize = "FALSE"; // "TRUE" or "FALSE"
    int MaxPacketSizeInKb = 0;
    int HeaderPage = 0;
    int TrailerPage = 0;
};

struct PrinterRecord;

// Every field into the record; LimitPacketSize is true when the text is "TRUE" in any case.
void CopyPendingPrinter(const PendingPrinter &pending, PrinterRecord &printer);

// An Internet printer of the destination database. Field names are the keys of its section
// in the database file; the fields come in the order the save writes them, after the
// derived membership list.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct PrinterRecord {
    // Names of the groups whose Printers list holds this printer, each once. Derived from
    // the groups (CChooserDoc::LinkContainingGroups); never written to any file.
    std::vector<std::string> ContainingGroups;
    std::string PrinterName;        // 1 to 31 characters; the key of the record
    std::string PrinterDriver;      // the installed driver (the model); decides compatibility
    std::string PrinterDescription; // at most 255 characters
    std::string PrinterEmail;       // the mailbox jobs are sent to; 1 to 80 characters
    std::string PrinterPassword;    // plain text, sent only as a digest
    std::string DefaultRecipient;   // at most 255 characters
    std::string RecipientLocation;  // at most 255 characters
    bool LimitPacketSize = false;   // split each job mail into pieces of MaxPacketSizeInKb
    bool HeaderPage = false;        // a cover page before the job
    bool TrailerPage = false;       // a cover page after the job
    int MaxPacketSizeInKb = 0;      // 2 to 100 in the dialogs
};

using PrinterList = std::vector<std::unique_ptr<PrinterRecord>>;

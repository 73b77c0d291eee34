// Finding records by name. The destination tree answers these in the manager (a name may
// carry its default marker there); CChooserDoc answers them from its own lists until a
// tree is attached, so the document works without any widget.
#pragma once

#include "manager/database/GroupRecord.h"
#include "manager/database/PrinterRecord.h"

#include <string>

class DestinationLookup {
public:
    virtual ~DestinationLookup() = default;

    // The first record of that name, compared without regard to case, or null.
    virtual GroupRecord *FindGroup(const std::string &name) = 0;
    virtual PrinterRecord *FindPrinter(const std::string &name) = 0;
    // True when a printer or group of the database, or an installed Windows printer, bears
    // the name (without regard to case). printersFirst only changes the search order.
    virtual bool DestinationNameExists(const std::string &name, bool printersFirst) = 0;
};

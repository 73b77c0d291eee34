// Finding records by name in the lists the reader and the document own.
#pragma once

#include "manager/database/GroupRecord.h"
#include "manager/database/PrinterRecord.h"

#include <string>

namespace zordb {

// The first record of that name, compared without regard to case, or null.
GroupRecord *FindGroupIn(const GroupList &groups, const std::string &name);
PrinterRecord *FindPrinterIn(const PrinterList &printers, const std::string &name);

} // namespace zordb

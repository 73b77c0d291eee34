// What an import needs from its surroundings: the Windows printers it creates for the
// records it accepts, and a way to tell the user. The main window answers with the tree's
// spooler operation and message boxes; the command line with the spooler and standard error.
#pragma once

#include "manager/database/ImportErrorItem.h"
#include "platform/base/windef.h"

#include <string>
#include <vector>

class ImportHost {
public:
    virtual ~ImportHost() = default;

    // Creates the Windows printer `name` with `driver` on the Internet port: 1 on success,
    // 0 on failure with LastSpoolerError() set.
    virtual int AddWindowsPrinter(const std::string &driver, const std::string &name) = 0;
    virtual DWORD LastSpoolerError() const = 0;
    // A message for the user (a refused file, a count limit).
    virtual void ShowMessage(const std::string &text) = 0;
    // Every refused record, in the order of refusal; called only when there is one.
    virtual void ShowImportErrors(const std::vector<ImportErrorItem> &errors) = 0;
};

// Merging a configuration file into the document: every record whose name is taken, whose
// driver is not installed or whose group structure collides with the database is refused
// and reported; each accepted printer, and each accepted group with a driver, gets its
// Windows printer. CChooserDoc::ImportFile runs it.
#pragma once

#include "manager/database/GroupRecord.h"
#include "manager/database/ImportErrorItem.h"
#include "manager/database/PrinterRecord.h"
#include "platform/base/windef.h"

#include <string>
#include <vector>

class CChooserDoc;
class DestinationLookup;
class ImportHost;

enum class ImportOutcome {
    Corrupted,   // the file was refused as a whole; nothing changed
    AllImported, // every record of the file joined the document
    SomeRefused, // some records were refused (listed), or a count limit dropped a kind
};

class ConfigurationImport {
public:
    ConfigurationImport(CChooserDoc &doc, DestinationLookup &lookup, ImportHost &host);

    // The file is checked whole first (zordb::CheckConfigurationFile); a refused file is
    // told with "The file to be imported is corrupted." and what is wrong. Then printers,
    // then groups, in file order; a kind of which the file holds more than 150 printers or
    // 50 groups is not imported at all (with its message). The views get code 1, and the
    // refusals go to the host in order.
    ImportOutcome Run(const std::string &path);

    const std::vector<ImportErrorItem> &Errors() const { return m_errors; }

private:
    // Each returns false when the count limit dropped the whole kind.
    bool importPrinters(PrinterList printers);
    bool importGroups(GroupList groups);
    bool structureCollides(const GroupRecord &group, const GroupList &fileGroups);
    bool takenBeforeImport(const std::string &name, bool printersFirst);
    std::string spoolerFailure(const std::string &driver, UINT driverMissingId) const;

    CChooserDoc &m_doc;
    DestinationLookup &m_lookup;
    ImportHost &m_host;
    std::vector<ImportErrorItem> m_errors;
    std::vector<std::string> m_accepted; // names this import added
};

#include "manager/database/ConfigurationImport.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/CDatabaseReader.h"
#include "manager/database/ConfigurationFileCheck.h"
#include "manager/database/ConfigurationStrings.h"
#include "manager/database/DestinationLookup.h"
#include "manager/database/DocumentObserver.h"
#include "manager/database/GroupRules.h"
#include "manager/database/ImportHost.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLists.h"
#include "manager/database/WindowsPrinters.h"
#include "platform/base/lasterror.h"
#include "platform/registry/registry_batch.h"

#include <algorithm>

using namespace zordb;

namespace {

bool containsName(const std::vector<std::string> &names, const std::string &name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string &n) { return SameName(n, name); });
}

// The SubGroupClosure of `group` within the file, without the group itself: each name
// once (exact comparison); a name that names no group of the file is collected but not
// walked.
void collectFileSubGroups(const GroupRecord &group, const GroupList &fileGroups, std::vector<std::string> &collected)
{
    for (const std::string &name : group.SubGroups) {
        if (std::find(collected.begin(), collected.end(), name) != collected.end())
            continue;
        collected.push_back(name);
        if (const GroupRecord *subGroup = FindGroupIn(fileGroups, name))
            collectFileSubGroups(*subGroup, fileGroups, collected);
    }
}

} // namespace

ConfigurationImport::ConfigurationImport(CChooserDoc &doc, DestinationLookup &lookup, ImportHost &host)
    : m_doc(doc), m_lookup(lookup), m_host(host)
{
}

ImportOutcome ConfigurationImport::Run(const std::string &path)
{
    // 1. the file as a whole
    if (const CheckResult check = CheckConfigurationFile(path); !check.accepted) {
        m_host.ShowMessage(ManagerString(IDS_IMPORT_CORRUPTED) + "\n\n" + check.text);
        return ImportOutcome::Corrupted;
    }
    // 2. and 3. its records, in file order
    CDatabaseReader reader;
    reader.ReadIndex(path);
    reader.ReadRecords(path);
    GroupList groups = reader.TakeGroups();
    PrinterList printers = reader.TakePrinters();
    // 4. and 5. printers first, so the groups find them. The spooler keeps its printers
    // in the registry: one batch writes the file once for all of them, not once a printer.
    bool printersImported, groupsImported;
    {
        const WindowsPrinterSnapshot windowsPrinters;
        zorplat::RegistryBatch registry(HKEY_LOCAL_MACHINE);
        printersImported = importPrinters(std::move(printers));
        groupsImported = importGroups(std::move(groups));
        if (const LONG written = registry.commit(); written != ERROR_SUCCESS)
            m_host.ShowMessage(FormatString(IDS_IMPORT_SPOOLER_FAILED, {std::to_string(written)}));
    }
    // 6. the tree shows the new records
    m_doc.LinkContainingGroups();
    m_doc.UpdateAllViews(kRebuildAll);
    // 7.
    if (!m_errors.empty())
        m_host.ShowImportErrors(m_errors);
    return m_errors.empty() && printersImported && groupsImported ? ImportOutcome::AllImported
                                                                  : ImportOutcome::SomeRefused;
}

bool ConfigurationImport::importPrinters(PrinterList printers)
{
    if (const CheckResult count = CheckPrinterCount(printers.size()); !count.accepted) {
        m_host.ShowMessage(count.text);
        return false;
    }
    for (auto &printer : printers) {
        const std::string &name = printer->PrinterName;
        if (m_lookup.DestinationNameExists(name, true)) {
            m_errors.emplace_back(name, ManagerString(IDS_IMPORT_PRINTER_EXISTS), true);
        } else if (m_host.AddWindowsPrinter(printer->PrinterDriver, name)) {
            m_accepted.push_back(name);
            m_doc.Printers().push_back(std::move(printer));
        } else {
            m_errors.emplace_back(name, spoolerFailure(printer->PrinterDriver, IDS_IMPORT_PRINTER_DRIVER), true);
        }
    }
    return true;
}

bool ConfigurationImport::importGroups(GroupList groups)
{
    if (const CheckResult count = CheckGroupCount(groups.size()); !count.accepted) {
        m_host.ShowMessage(count.text);
        return false;
    }
    // The structure check walks the file's groups, also those already moved into the
    // document; it keeps its own copy of names and lists.
    GroupList fileGroups;
    for (const auto &group : groups)
        fileGroups.push_back(std::make_unique<GroupRecord>(*group));
    for (auto &group : groups) {
        const std::string &name = group->MainGroupName;
        if (m_lookup.DestinationNameExists(name, false)) {
            m_errors.emplace_back(name, ManagerString(IDS_IMPORT_GROUP_EXISTS), false);
        } else if (structureCollides(*group, fileGroups)) {
            m_errors.emplace_back(name, ManagerString(IDS_IMPORT_GROUP_STRUCTURE), false);
        } else if (group->GroupDriver.empty() || m_host.AddWindowsPrinter(group->GroupDriver, name)) {
            m_accepted.push_back(name);
            m_doc.Groups().push_back(std::move(group));
        } else {
            m_errors.emplace_back(name, spoolerFailure(group->GroupDriver, IDS_IMPORT_GROUP_DRIVER), false);
        }
    }
    return true;
}

// The group's sub-groups (through the file's groups) and their printers must not name a
// destination the database already had: the group would take over someone else's member.
// Records this import has just added are the file's own and do not collide.
bool ConfigurationImport::structureCollides(const GroupRecord &group, const GroupList &fileGroups)
{
    std::vector<std::string> subGroups;
    collectFileSubGroups(group, fileGroups, subGroups);
    std::vector<std::string> printers;
    for (const std::string &name : subGroups)
        if (const GroupRecord *subGroup = FindGroupIn(fileGroups, name))
            for (const std::string &printer : subGroup->Printers)
                if (std::find(printers.begin(), printers.end(), printer) == printers.end())
                    printers.push_back(printer);
    return std::any_of(subGroups.begin(), subGroups.end(), [&](const std::string &n) { return takenBeforeImport(n, false); }) ||
           std::any_of(printers.begin(), printers.end(), [&](const std::string &n) { return takenBeforeImport(n, true); });
}

bool ConfigurationImport::takenBeforeImport(const std::string &name, bool printersFirst)
{
    return !containsName(m_accepted, name) && m_lookup.DestinationNameExists(name, printersFirst);
}

// A driver the spooler does not know is named; any other spooler failure is reported with
// its code rather than dropping the record unseen.
std::string ConfigurationImport::spoolerFailure(const std::string &driver, UINT driverMissingId) const
{
    const DWORD error = m_host.LastSpoolerError();
    if (error == ERROR_UNKNOWN_PRINTER_DRIVER)
        return driver + ManagerString(driverMissingId);
    return FormatString(IDS_IMPORT_SPOOLER_FAILED, {std::to_string(error)});
}

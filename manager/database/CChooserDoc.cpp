#include "manager/database/CChooserDoc.h"

#include "manager/database/CMonitorSetup.h"
#include "manager/database/DatabaseLayout.h"
#include "manager/database/DatabaseWriter.h"
#include "manager/database/GroupRules.h"
#include "manager/database/InstallPaths.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLists.h"
#include "manager/database/WindowsPrinters.h"
#include "platform/files/atomicfile.h"
#include "platform/kernel/debug.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/profile/profile.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace zordb;

namespace {

void showMessage(UINT id)
{
    MessageBox(nullptr, ManagerString(id).c_str(), kManagerCaption, MB_OK | MB_ICONEXCLAMATION);
}

bool fileExists(const std::string &path)
{
    std::error_code ignored;
    return std::filesystem::exists(zorplat::ToLinuxPath(path), ignored);
}

bool fileReadable(const std::string &path)
{
    return std::ifstream(zorplat::ToLinuxPath(path)).is_open();
}

// Runs `write` on a batch over the file and commits it once. With replaceWhole the result
// does not start from the file's present content but from nothing, as if the file had
// been deleted first: the batch then works on a fresh file beside it, which is renamed
// over the target, so the target is still replaced in one step. Without lockTarget (a file
// of the user's, like an export) no lock file is left beside the target.
template <typename Write>
bool writeAtomically(const std::string &path, bool replaceWhole, Write write, bool lockTarget = true)
{
    if (!replaceWhole) {
        zorplat::ProfileBatch batch(path);
        BatchProfileSink sink(batch);
        write(sink);
        return batch.Commit();
    }
    const std::string target = zorplat::ToLinuxPath(path);
    const std::string fresh = target + ".saving";
    std::remove(fresh.c_str());
    bool written;
    {
        zorplat::ProfileBatch batch(fresh);
        BatchProfileSink sink(batch);
        write(sink);
        written = batch.Commit();
    }
    // Nobody else knows the fresh file's name, so its lock file can go.
    std::remove((fresh + ".lock").c_str());
    if (written) {
        // Under the target's lock, so that a profile write of another process cannot put
        // the old content back over the new.
        std::optional<zorplat::FileLock> lock;
        if (lockTarget)
            lock.emplace(target);
        written = std::rename(fresh.c_str(), target.c_str()) == 0;
        if (!written)
            SetLastError(zorplat::ErrorFromErrno(errno));
    }
    if (!written)
        std::remove(fresh.c_str());
    return written;
}

} // namespace

CChooserDoc::CChooserDoc()
    : m_groupsTitle(ManagerString(IDS_GROUPS_TITLE)), m_printersTitle(ManagerString(IDS_PRINTERS_TITLE))
{
}

bool CChooserDoc::OnNewDocument()
{
    // 1. the framework's new-document step
    DeleteContents();
    m_modified = false;
    m_pathName.clear();
    // 2. an empty document on every view
    m_printers.clear();
    m_groups.clear();
    DeleteContents();
    UpdateAllViews(kRebuildAll);
    // 3. the database file
    if (!openDatabaseAtStartup())
        return false;
    // 4.
    m_title.clear();
    return true;
}

bool CChooserDoc::openDatabaseAtStartup()
{
    if (!RegisterPortMonitor()) {
        showMessage(IDS_MONITOR_ADD_FAILED);
        return false;
    }
    const std::string path = InstallFilePath(kDatabaseFileName, kInstallDirectoryBufferAtOpen);
    if (!fileExists(path)) {
        const std::string groupsTitle = ManagerString(IDS_GROUPS_TITLE);
        const std::string printersTitle = ManagerString(IDS_PRINTERS_TITLE);
        if (!writeAtomically(path, false, [&](ProfileSink &sink) {
                WriteNewDatabase(sink, groupsTitle, printersTitle);
            }))
            OutputDebugString(("Sendaro: cannot create the database " + path).c_str());
    } else if (!m_reader.CheckDatabaseFile(path)) {
        showMessage(IDS_DATABASE_CORRUPTED);
        return false;
    }
    if (!OnOpenDocument(path))
        return false;
    SetPathName(path);
    if (!OnSaveDocument(path))
        OutputDebugString(("Sendaro: cannot rewrite the database " + path).c_str());
    return true;
}

bool CChooserDoc::OnOpenDocument(const std::string &path)
{
    m_databasePath = path;
    if (!fileReadable(path))
        return false;
    DeleteContents();
    Serialize();
    m_modified = false;
    m_title.clear();
    return true;
}

void CChooserDoc::Serialize()
{
    m_reader.ReadIndex(m_databasePath);
    m_reader.ReadRecords(m_databasePath);
    m_groupsTitle = m_reader.GroupsTitle();
    m_printersTitle = m_reader.PrintersTitle();
    m_defaultItem = m_reader.DefaultItem();
    m_itemType = m_reader.ItemType();
    for (auto &group : m_reader.TakeGroups())
        m_groups.push_back(std::move(group));
    for (auto &printer : m_reader.TakePrinters())
        m_printers.push_back(std::move(printer));
    LinkContainingGroups();
    UpdateAllViews(kRebuildAll);
}

bool CChooserDoc::OnSaveDocument(const std::string &path)
{
    m_databasePath = path;
    const bool replaceWhole = !SameName(path, m_pathName);
    const DatabaseTitle title{m_groupsTitle, m_printersTitle, m_defaultItem, m_itemType};
    const bool written = writeAtomically(path, replaceWhole, [&](ProfileSink &sink) {
        WriteDatabase(sink, title, m_groups, m_printers);
    });
    m_title.clear();
    return written;
}

void CChooserDoc::DeleteContents()
{
    m_currentGroup = nullptr;
    m_collectedPrinters.clear();
    m_groups.clear();
    m_printers.clear();
    m_closureNames.clear();
    m_collectedPrinterNames.clear();
}

void CChooserDoc::WriteRecord(const GroupRecord &group)
{
    FileProfileSink sink(m_databasePath);
    zordb::WriteRecord(sink, group);
}

void CChooserDoc::WriteRecord(const PrinterRecord &printer)
{
    FileProfileSink sink(m_databasePath);
    zordb::WriteRecord(sink, printer);
}

bool CChooserDoc::ExportTo(const std::string &path, bool complete, bool selectedIsPrinter,
                           const std::string &selectedName)
{
    std::vector<const GroupRecord *> groups;
    std::vector<const PrinterRecord *> printers;
    if (complete) {
        for (const auto &group : m_groups)
            groups.push_back(group.get());
        for (const auto &printer : m_printers)
            printers.push_back(printer.get());
    } else if (selectedIsPrinter) {
        if (const PrinterRecord *printer = m_lookup->FindPrinter(selectedName))
            printers.push_back(printer);
    } else {
        CollectSubGroups(selectedName);
        for (const std::string &name : m_closureNames)
            if (const GroupRecord *group = m_lookup->FindGroup(name))
                groups.push_back(group);
        CollectPrinters(false, selectedName);
        printers.assign(m_collectedPrinters.begin(), m_collectedPrinters.end());
    }
    return writeAtomically(path, true, [&](ProfileSink &sink) {
        for (const GroupRecord *group : groups)
            zordb::WriteRecord(sink, *group);
        for (const PrinterRecord *printer : printers)
            zordb::WriteRecord(sink, *printer);
    }, false);
}

ImportOutcome CChooserDoc::ImportFile(const std::string &path, ImportHost &host)
{
    return ConfigurationImport(*this, *m_lookup, host).Run(path);
}

void CChooserDoc::CollectSubGroups(const std::string &selectedGroup)
{
    m_closureNames = SubGroupClosure(selectedGroup, [this](const std::string &name) {
        return static_cast<const GroupRecord *>(m_lookup->FindGroup(name));
    });
}

void CChooserDoc::CollectPrinters(bool isPrinter, const std::string &name)
{
    m_collectedPrinters.clear();
    if (isPrinter) {
        if (PrinterRecord *printer = m_lookup->FindPrinter(name))
            m_collectedPrinters.push_back(printer);
        UpdateAllViews(kPrinterSelected);
        return;
    }
    const GroupRecord *group = m_lookup->FindGroup(name);
    if (!group)
        return;
    auto nameCollected = [this](const std::string &printerName) {
        return std::any_of(m_collectedPrinters.begin(), m_collectedPrinters.end(),
                           [&](const PrinterRecord *p) { return SameName(p->PrinterName, printerName); });
    };
    for (const std::string &subGroup : group->SubGroups)
        for (const auto &printer : m_printers) {
            const auto &containing = printer->ContainingGroups;
            if (std::find(containing.begin(), containing.end(), subGroup) != containing.end() &&
                !nameCollected(printer->PrinterName))
                m_collectedPrinters.push_back(printer.get());
        }
    for (const std::string &member : group->Printers) {
        PrinterRecord *printer = m_lookup->FindPrinter(member);
        if (printer && std::find(m_collectedPrinters.begin(), m_collectedPrinters.end(), printer) ==
                           m_collectedPrinters.end())
            m_collectedPrinters.push_back(printer);
    }
}

void CChooserDoc::CollectGroupPrinters(const std::string &selectedGroup)
{
    m_collectedPrinterNames.clear();
    CollectSubGroups(selectedGroup);
    for (const std::string &groupName : m_closureNames) {
        const GroupRecord *group = m_lookup->FindGroup(groupName);
        if (!group)
            continue;
        for (const std::string &printer : group->Printers)
            if (std::none_of(m_collectedPrinterNames.begin(), m_collectedPrinterNames.end(),
                             [&](const std::string &n) { return SameName(n, printer); }))
                m_collectedPrinterNames.push_back(printer);
    }
    UpdateAllViews(kGroupPrintersReady);
}

void CChooserDoc::SelectGroup(const std::string &name)
{
    m_currentGroup = m_lookup->FindGroup(name);
    UpdateAllViews(kGroupSelected);
}

void CChooserDoc::LinkContainingGroups()
{
    for (const auto &group : m_groups)
        for (const std::string &member : group->Printers) {
            PrinterRecord *printer = m_lookup->FindPrinter(member);
            if (!printer)
                continue;
            auto &containing = printer->ContainingGroups;
            if (std::find(containing.begin(), containing.end(), group->MainGroupName) == containing.end())
                containing.push_back(group->MainGroupName);
        }
}

void CChooserDoc::AddObserver(DocumentObserver *observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CChooserDoc::RemoveObserver(DocumentObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CChooserDoc::UpdateAllViews(int code)
{
    // A view may register or leave while it redraws; walk a copy.
    const std::vector<DocumentObserver *> observers = m_observers;
    for (DocumentObserver *observer : observers)
        observer->OnUpdate(code);
}

GroupRecord *CChooserDoc::FindGroup(const std::string &name)
{
    return FindGroupIn(m_groups, name);
}

PrinterRecord *CChooserDoc::FindPrinter(const std::string &name)
{
    return FindPrinterIn(m_printers, name);
}

// The search order the flag chooses cannot change a yes-or-no answer. The database file's
// own section names count as taken.
bool CChooserDoc::DestinationNameExists(const std::string &name, [[maybe_unused]] bool printersFirst)
{
    return IsDatabaseSectionName(name) || FindPrinter(name) || FindGroup(name) || WindowsPrinterExists(name);
}

void CChooserDoc::SetDefaultItem(const std::string &name, bool isPrinter)
{
    m_defaultItem = name;
    m_itemType = name.empty() ? std::string() : std::string(isPrinter ? "TRUE" : "FALSE");
}

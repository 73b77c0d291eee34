// The manager's one document: the destination database in memory. It loads the database
// at start-up, writes it back after every change, and collects the groups and printers
// that the views and the export show. It has no widget: views register as observers and
// get update codes (zordb::ViewUpdate); record lookups by name go through a
// DestinationLookup, the document's own lists until the tree attaches itself.
//
// Start-up, as the manager runs it:
//     CChooserDoc doc;
//     doc.AddObserver(&tree);
//     if (!doc.OnNewDocument()) ...;   // a message box was shown; no database is open
// After each change of the lists: doc.OnSaveDocument(doc.DatabasePath()).
#pragma once

#include "manager/database/CDatabaseReader.h"
#include "manager/database/ConfigurationImport.h"
#include "manager/database/DestinationLookup.h"
#include "manager/database/DocumentObserver.h"

#include <string>
#include <vector>

class CChooserDoc : public DestinationLookup {
public:
    // The captions start as the default root captions of the string table.
    CChooserDoc();

    // Framework hooks.

    // Start-up: clears the document (views get code 1), registers the port monitor, then
    // opens the database file of the installation (creating it when missing, checking it
    // when present), loads it and saves it at once. False, after a message box (32786
    // "Adding the Zorvaline Port Monitor failed" or 32856 "Configuration file is
    // corrupted"), leaves no database open.
    bool OnNewDocument();
    // Makes `path` the database path, clears the document and reads the file (Serialize).
    // False when the file cannot be opened for reading.
    bool OnOpenDocument(const std::string &path);
    // Reads the database path's file through the reader, takes over its captions, default
    // item, item type and records (appended to the lists), and sends code 1.
    void Serialize();
    // Writes the whole database to `path` in one atomic replacement: the bytes are those of
    // the key-by-key save sequence, and the file is at every instant the old one or the
    // new one. `path` becomes the database path; when it differs from PathName() the file
    // there is replaced as a whole. False, with the last error set, when the file could not
    // be written; the file is then unchanged.
    bool OnSaveDocument(const std::string &path);
    // Empties the record lists, the collected lists and the current group.
    void DeleteContents();
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    // Own operations. Names are looked up through the lookup (see SetLookup).

    // One record's index line and section, key by key, into the database path's file (the
    // export points the database path at its own file meanwhile).
    void WriteRecord(const GroupRecord &group);
    void WriteRecord(const PrinterRecord &printer);
    // ClosureNames() becomes the SubGroupClosure of the selected group.
    void CollectSubGroups(const std::string &selectedGroup);
    // For a printer: CollectedPrinters() holds the first printer of that name, or none;
    // views get code 2. For a group: the printers whose ContainingGroups holds one of its
    // direct sub-groups (document order, each name once), then its own Printers (each
    // record once); no code is sent.
    void CollectPrinters(bool isPrinter, const std::string &name);
    // ClosureNames() as CollectSubGroups, then CollectedPrinterNames() the Printers names of
    // each group of the closure, each once; views get code 4.
    void CollectGroupPrinters(const std::string &selectedGroup);
    // Writes a configuration file in one atomic replacement: the index, then the group
    // sections, then the printer sections. Complete: every group and every printer in list
    // order. Otherwise the selected printer alone; or the selected group's SubGroupClosure
    // followed by the printers CollectPrinters gathers for it. False, with the last error
    // set, when the file could not be written; it is then unchanged.
    bool ExportTo(const std::string &path, bool complete, bool selectedIsPrinter, const std::string &selectedName);
    // Merges the configuration file at `path` (ConfigurationImport); names are looked up
    // through the lookup. The caller saves afterwards.
    ImportOutcome ImportFile(const std::string &path, ImportHost &host);
    // The group of that name becomes CurrentGroup() (null when there is none); code 3.
    void SelectGroup(const std::string &name);
    // Adds each group's name to the ContainingGroups of each printer it lists, when not
    // there yet (what the tree's rebuild does; Serialize does it before code 1).
    void LinkContainingGroups();

    // Views.
    void AddObserver(DocumentObserver *observer);
    void RemoveObserver(DocumentObserver *observer);
    void UpdateAllViews(int code);

    // The lookups the walks use; null puts the document's own back.
    void SetLookup(DestinationLookup *lookup) { m_lookup = lookup ? lookup : this; }

    // DestinationLookup over the document's lists (and the installed Windows printers; the
    // database file's own section names, TitleName and ChoosersDatabaseSectionNames, count as
    // taken).
    GroupRecord *FindGroup(const std::string &name) override;
    PrinterRecord *FindPrinter(const std::string &name) override;
    bool DestinationNameExists(const std::string &name, bool printersFirst) override;

    // State.
    const std::string &GroupsTitle() const { return m_groupsTitle; }
    const std::string &PrintersTitle() const { return m_printersTitle; }
    void SetGroupsTitle(std::string title) { m_groupsTitle = std::move(title); }
    void SetPrintersTitle(std::string title) { m_printersTitle = std::move(title); }
    const std::string &DefaultItem() const { return m_defaultItem; }
    // "TRUE" when the default item is a printer, "FALSE" a group, empty when none.
    const std::string &ItemType() const { return m_itemType; }
    // An empty name clears the default item and its type.
    void SetDefaultItem(const std::string &name, bool isPrinter);
    const std::string &DatabasePath() const { return m_databasePath; }
    void SetDatabasePath(std::string path) { m_databasePath = std::move(path); }
    // The file the document was opened from (the framework's path name).
    const std::string &PathName() const { return m_pathName; }
    void SetPathName(std::string path) { m_pathName = std::move(path); }
    const std::string &Title() const { return m_title; }

    GroupList &Groups() { return m_groups; }
    PrinterList &Printers() { return m_printers; }
    const std::vector<PrinterRecord *> &CollectedPrinters() const { return m_collectedPrinters; }
    const std::vector<std::string> &ClosureNames() const { return m_closureNames; }
    const std::vector<std::string> &CollectedPrinterNames() const { return m_collectedPrinterNames; }
    GroupRecord *CurrentGroup() const { return m_currentGroup; }

private:
    bool openDatabaseAtStartup();

    std::string m_groupsTitle;
    std::string m_printersTitle;
    std::string m_defaultItem;
    std::string m_databasePath;
    std::string m_itemType;
    GroupList m_groups;
    PrinterList m_printers;
    std::vector<PrinterRecord *> m_collectedPrinters; // points into m_printers
    std::vector<std::string> m_closureNames;
    std::vector<std::string> m_collectedPrinterNames;
    GroupRecord *m_currentGroup = nullptr;             // points into m_groups
    CDatabaseReader m_reader;

    std::string m_pathName;
    std::string m_title;
    bool m_modified = false;
    DestinationLookup *m_lookup = this;
    std::vector<DocumentObserver *> m_observers;
};

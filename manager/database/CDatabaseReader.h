// Reads a destination database (or a configuration file in the same layout) through its
// index. Typical use, as the document and the chooser do it:
//     CDatabaseReader reader;
//     if (!reader.CheckDatabaseFile(path)) ...;   // "Configuration file is corrupted"
//     reader.ReadIndex(path);
//     reader.ReadRecords(path);
//     GroupList groups = reader.TakeGroups();     // records in index order
// The reader can be reused: each ReadIndex starts a new index, each ReadRecords new lists.
#pragma once

#include "manager/database/GroupRecord.h"
#include "manager/database/PrinterRecord.h"

#include <string>
#include <vector>

class CDatabaseReader {
public:
    // Fills the section list from the key names of [ChoosersDatabaseSectionNames], in file
    // order, skipping empty names. The whole index is read, however long.
    void ReadIndex(const std::string &path);

    // Reads every section of the index, in order: a section whose first key is
    // MainGroupName becomes a group, PrinterName a printer; a section with any other first
    // key is the title section, giving the captions, the default item and the item type;
    // a section without keys is skipped. Values are read through a 5000-byte buffer (at
    // most 4999 characters survive); list items are cut to 249 (SubGroups) or 255
    // (Printers) characters; booleans are true only for the exact "TRUE"; a
    // MaxPacketSizeInKb that is not a number reads as 0. Fields whose keys are missing keep
    // the record's defaults (empty, false, 0).
    void ReadRecords(const std::string &path);

    // True when the index holds at least one name and every indexed name is a section with
    // at least one key. Shows nothing.
    bool CheckDatabaseFile(const std::string &path);

    const std::vector<std::string> &SectionNames() const { return m_sectionNames; }
    const GroupList &Groups() const { return m_groups; }
    const PrinterList &Printers() const { return m_printers; }
    // The records read; the reader's lists are empty afterwards.
    GroupList TakeGroups() { return std::move(m_groups); }
    PrinterList TakePrinters() { return std::move(m_printers); }

    const std::string &GroupsTitle() const { return m_groupsTitle; }
    const std::string &PrintersTitle() const { return m_printersTitle; }
    const std::string &DefaultItem() const { return m_defaultItem; }
    const std::string &ItemType() const { return m_itemType; }

private:
    void readSectionKeys(const std::string &section, const std::string &path);
    const std::string &readValue(const std::string &key, const std::string &path);
    void readGroup(const std::string &path);
    void readPrinter(const std::string &path);
    void readTitle(const std::string &path);

    std::vector<std::string> m_sectionNames; // the index, in file order
    std::vector<std::string> m_keyNames;     // keys of the section being read
    std::string m_sectionName;               // the section being read
    std::string m_value;                     // the last value read
    GroupList m_groups;
    PrinterList m_printers;
    std::string m_groupsTitle;
    std::string m_printersTitle;
    std::string m_defaultItem;
    std::string m_itemType;
};

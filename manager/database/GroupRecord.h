// A group of printers and of other groups. Field names are the keys of its section in the
// database file, in the order the save writes them; Expanded is tree state only.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct GroupRecord {
    std::string MainGroupName;         // 1 to 32 characters; the key of the record
    std::string GroupDescription;      // at most 255 characters, may be empty
    std::vector<std::string> SubGroups; // direct sub-groups, insertion order, at most 7
    std::vector<std::string> Printers;  // direct member printers, insertion order, at most 7
    std::string GroupDriver;           // empty until the first printer joins, then its driver
    bool Expanded = false;             // the tree item was last expanded; never written
};

// The document and the reader own their records through these lists, in file order.
using GroupList = std::vector<std::unique_ptr<GroupRecord>>;

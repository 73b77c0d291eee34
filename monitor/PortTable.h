// The monitor's port table: a singly linked list of PortRecord blocks, appended at the tail,
// owned for the life of the process. Every function here expects the caller to hold the
// monitor lock (monitor/MonitorLock.h).
#pragma once

#include "monitor/PortRecord.h"

#include <string_view>

namespace zormon {

// The name of the port the monitor owns, on which every Internet printer sits.
constexpr std::string_view kInternetPortName = "ZORVALINE_INTERNET:";

// The first record, or null for an empty table; records follow through `next`.
PortRecord *FirstPort();

// The record whose name equals `name` without regard to case, first match winning. When none
// does and the name is not empty, looks once more with the trailing ':' removed, or with a
// ':' appended when it has none. Null when neither finds one.
PortRecord *FindPort(std::string_view name);

// The record whose name equals `name` without regard to case, with no ':' retry.
PortRecord *FindPortExactly(std::string_view name);

// Appends a record named `name` (kind derived from the name) with a copy of `description`
// (null: none) and the given PortFlag bits. Null when memory cannot be obtained.
PortRecord *AppendPort(std::string_view name, const char *description, DWORD flags);

// Replaces the record's remote name with a copy of `remoteName` (null: none). FALSE, the old
// name kept, when memory cannot be obtained.
bool SetRemoteName(PortRecord *record, const char *remoteName);

// Number of records.
DWORD PortCount();

// Unlinks the record and frees it with its description and remote name. Its signature is
// cleared first, so a port handle the spooler still holds is refused rather than used.
void RemovePort(PortRecord *record);

// Removes every record. Test programs start the monitor afresh with it; the monitor itself
// keeps its table for the life of the process.
void ClearPortTable();

} // namespace zormon

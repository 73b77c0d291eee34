// The settings of an existing Windows printer, taken just before a rename or a properties
// change so that the following AddWindowsPrinter updates that printer in place instead of
// creating another. One per process, used by one operation at a time.
#pragma once

#include "platform/spooler/spooler.h"

#include <string>
#include <vector>

struct PrinterSnapshot {
    bool valid = false;
    PRINTER_INFO_2A info{};
    // The buffer the level-2 query filled: info's texts point into it, so the snapshot owns
    // it until the update that uses it is done.
    std::vector<BYTE> buffer;
    std::string sourceName; // the name the Windows printer was opened under

    // Opens the Windows printer `name` and, when that works, takes its level-2 settings
    // (valid is set as soon as the printer opened, as the query may still fail).
    void Take(const std::string &name);
    void Clear();

    static PrinterSnapshot &Instance();
};

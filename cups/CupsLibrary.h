// libcups, loaded the first time a program asks the scheduler for its queues. The programs
// that can list queues (zorvaline, sendaro) then start without it and the thirty-odd
// libraries it pulls in, which a print job or a manager session without CUPS never needs.
#pragma once

#include <cups/cups.h>

#include <string>

struct CupsLibrary {
    decltype(&cupsGetDests2) getDests2 = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsGetOption) getOption = nullptr;
    decltype(&cupsLastError) lastError = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;
    decltype(&cupsServer) server = nullptr;

    // The library's functions, loaded once per process; null with `problem` set when the
    // library or one of the functions is missing.
    static const CupsLibrary *Get(std::string &problem);
};

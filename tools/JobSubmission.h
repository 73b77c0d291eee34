// One job handed to a printer of the spooler, as an application printing to it would, and
// what the monitor made of it. `zorvaline print` and the CUPS backend both print this way,
// so their jobs take exactly the same path to the mail server.
#pragma once

#include "tools/JobInput.h"
#include "tools/MessageBoxCounter.h"

#include "platform/base/windef.h"

#include <string>

enum class JobOutcome {
    Delivered = 0,      // handed over, and the monitor reported no failure
    NotDelivered = 1,   // the monitor failed a call or showed a stop box, or the destination
                        // chooser did not confirm the job
    SpoolerFailed = 2,  // the spooler itself failed, or the input could not be read
};

class JobSubmission {
public:
    // `printer` is open; `messagePrefix` starts every line this writes to standard error
    // ("zorvaline print: ", "ERROR: ").
    JobSubmission(HANDLE printer, std::string printerName, const MessageBoxCounter &ui,
                  std::string messagePrefix);

    // True when the printer prints to the port of the system's destinations, which mails
    // PostScript.
    bool internetPort() const { return m_internetPort; }

    // Spools the whole input as one job named `title` and ends it, which delivers it.
    JobOutcome print(const JobInput &input, const std::string &title);

private:
    JobOutcome reportFailure(const std::string &title, const char *stage);
    bool writeBytes(const char *data, size_t size, const std::string &title, JobOutcome &outcome);

    HANDLE m_printer;
    std::string m_printerName;
    const MessageBoxCounter &m_ui;
    std::string m_prefix;
    bool m_internetPort;
};

// Delivery of one spooled job to every address the chooser left in [Destination] Address:
// per address the job is encoded from the spool file between the cover pages asked for, and
// sent as one message or as message/partial pieces over one SMTP connection. The first
// failure ends the delivery; later addresses are not tried.
#pragma once

#include <string>

namespace zormon {

struct DeliveryJob {
    std::string spoolPath;   // Windows path of the spool file
    std::string printerName; // at most 63 characters
    std::string date;        // MM/DD/YY, taken at StartDocPort
    std::string time;        // HH:MM:SS
};

// True when every address was sent to. Each failure is shown once, by its own message box.
// The one-shot keys (Password, Notes, Subject) of every address handled are emptied, sent or
// not. The spool file is removed when the delivery is over.
bool DeliverJob(const DeliveryJob &job);

} // namespace zormon

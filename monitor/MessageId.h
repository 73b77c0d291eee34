// Message ids: "G" followed by decimal digits. A printer joins the pieces of a split job by
// the id of its first piece, so no two mails may share one: not the pieces of one job, not
// the addresses of one group, not two jobs of the same second, not the jobs of two spooler
// processes.
#pragma once

#include <string>

namespace zormon {

// "G" + the time in seconds + this process's id (7 digits) + a count of the ids this
// process has formed (6 digits, starting over after 999999). Two ids of one machine are
// equal only if one process formed a million of them within one second.
std::string NewMessageId();

} // namespace zormon

// A cancelled CUPS job: the scheduler sends the backend SIGTERM. From then on no new work
// starts, and every network connection of the process is shut down at once (and any opened
// later, until the process ends), so a mail being sent is cut off before its end-of-data
// line: the server drops it instead of delivering part of a job, and the monitor ends the
// job through its ordinary failure path, which removes its work files.
#pragma once

namespace JobCancel {

// Blocks SIGTERM in this thread (and so in every thread and none of the programs started
// later) and starts the thread that waits for it. Call before any other thread starts.
void Watch();

// True once SIGTERM came.
bool Requested();

} // namespace JobCancel

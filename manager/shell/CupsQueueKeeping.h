// Once a Windows root has CUPS queues, they follow its Windows printers: after every change
// the manager saves, the queues are synced as `zorvaline cups sync` does (same code), so a
// destination added, renamed or removed appears, is renamed or disappears in every
// application's print dialog.
#pragma once

namespace sendaro {

// Does nothing for a root without queues (or when no scheduler answers). A sync that fails
// is written to the diagnostic output; the manager's own change stands either way.
void KeepCupsQueuesInStep();

} // namespace sendaro

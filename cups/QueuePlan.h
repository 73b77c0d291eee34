// What keeping the CUPS queues of one Windows root in step takes: one queue per Windows
// printer on the destinations' port, none for a printer that is gone. Pure planning, so the
// rules are tested without a scheduler.
#pragma once

#include "cups/CupsQueues.h"

#include <string>
#include <vector>

struct QueueToAdd {
    std::string queue;
    std::string printer;
};

struct QueuePlan {
    std::vector<QueueToAdd> add;
    std::vector<std::string> remove;     // queues of this root whose printer is gone
    std::vector<std::string> conflicts;  // why a printer gets no queue (its name is taken)
    std::vector<std::string> upToDate;   // queues that stay
};

// `printers`: the Windows printers of the root on the destinations' port. `root`: the root's
// canonical folder. Printer names compare without regard to case, as the spooler's do.
QueuePlan PlanQueues(const std::vector<std::string> &printers, const std::vector<CupsQueue> &queues,
                     const std::string &root);

// True when a queue prints to a destination of `root`.
bool BelongsToRoot(const CupsQueue &queue, const std::string &root);

#include "manager/shell/CupsQueueKeeping.h"

#include "cups/QueueSync.h"
#include "platform/kernel/debug.h"

#include <string>
#include <vector>

namespace sendaro {

void KeepCupsQueuesInStep()
{
    std::string problem;
    const auto root = QueueSync::CurrentRoot(problem);
    if (!root)
        return;
    const QueueSync queues(*root);
    std::vector<std::string> report;
    // One listing of the scheduler's queues decides and plans: this runs after every save.
    if (!queues.SyncWhenItHasQueues(report, problem))
        OutputDebugString(("Sendaro: the CUPS queues of " + *root + " are not in step: " + problem).c_str());
    for (const std::string &line : report)
        OutputDebugString(("Sendaro: CUPS " + line).c_str());
}

} // namespace sendaro

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
    if (!queues.HasQueues(problem))
        return;
    std::vector<std::string> report;
    if (!queues.Sync(report, problem))
        OutputDebugString(("Sendaro: the CUPS queues of " + *root + " are not in step: " + problem).c_str());
    for (const std::string &line : report)
        OutputDebugString(("Sendaro: CUPS " + line).c_str());
}

} // namespace sendaro

#include "cups/QueuePlan.h"

#include "cups/QueueName.h"

#include <algorithm>
#include <strings.h>

namespace {

bool sameName(const std::string &a, const std::string &b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

} // namespace

bool BelongsToRoot(const CupsQueue &queue, const std::string &root)
{
    return queue.destination && queue.destination->root == root;
}

QueuePlan PlanQueues(const std::vector<std::string> &printers, const std::vector<CupsQueue> &queues,
                     const std::string &root)
{
    QueuePlan plan;
    auto hasPrinter = [&](const std::string &name) {
        return std::any_of(printers.begin(), printers.end(), [&](const std::string &p) { return sameName(p, name); });
    };
    for (const CupsQueue &queue : queues)
        if (BelongsToRoot(queue, root) && !hasPrinter(queue.destination->printer))
            plan.remove.push_back(queue.name);

    for (const std::string &printer : printers) {
        auto served = std::find_if(queues.begin(), queues.end(), [&](const CupsQueue &queue) {
            return BelongsToRoot(queue, root) && sameName(queue.destination->printer, printer);
        });
        if (served != queues.end()) {
            plan.upToDate.push_back(served->name);
            continue;
        }
        const std::string name = CupsQueueName(printer);
        // CUPS compares queue names without regard to case.
        auto taken = std::find_if(queues.begin(), queues.end(), [&](const CupsQueue &queue) {
            return sameName(queue.name, name) &&
                   std::find(plan.remove.begin(), plan.remove.end(), queue.name) == plan.remove.end();
        });
        auto planned = std::find_if(plan.add.begin(), plan.add.end(),
                                    [&](const QueueToAdd &add) { return sameName(add.queue, name); });
        if (taken != queues.end()) {
            plan.conflicts.push_back("printer " + printer + ": the queue name " + name + " is taken by a queue that prints to " +
                                     (taken->deviceUri.empty() ? std::string("no device") : taken->deviceUri));
        } else if (planned != plan.add.end()) {
            plan.conflicts.push_back("printer " + printer + ": the queue name " + name + " is that of printer " +
                                     planned->printer + " already");
        } else {
            plan.add.push_back({name, printer});
        }
    }
    return plan;
}

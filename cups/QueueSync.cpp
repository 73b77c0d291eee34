#include "cups/QueueSync.h"

#include "cups/CupsQueues.h"
#include "cups/QueuePlan.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"

#include <climits>
#include <cstdlib>
#include <strings.h>

namespace {

constexpr const char *kInternetPort = "ZORVALINE_INTERNET:";

} // namespace

std::optional<std::string> QueueSync::CurrentRoot(std::string &problem)
{
    const std::string root = zorplat::RootDirectory();
    char resolved[PATH_MAX];
    if (!realpath(root.c_str(), resolved)) {
        problem = "the Windows root " + root + " does not exist (run 'zorvaline setup')";
        return std::nullopt;
    }
    return std::string(resolved);
}

std::optional<std::vector<std::string>> QueueSync::DestinationPrinters(std::string &problem) const
{
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed && !EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
        problem = "cannot list the Windows printers of " + m_root + ": error " + std::to_string(GetLastError());
        return std::nullopt;
    }
    std::vector<std::string> printers;
    const auto *info = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
    for (DWORD i = 0; needed && i < count; ++i)
        if (info[i].pPortName && strcasecmp(info[i].pPortName, kInternetPort) == 0)
            printers.emplace_back(info[i].pPrinterName);
    return printers;
}

bool QueueSync::Add(const std::string &printer, std::vector<std::string> &report, std::string &problem) const
{
    const auto printers = DestinationPrinters(problem);
    if (!printers)
        return false;
    std::string known;
    for (const std::string &name : *printers)
        if (strcasecmp(name.c_str(), printer.c_str()) == 0)
            known = name;
    if (known.empty()) {
        problem = "no printer named " + printer + " on the port " + kInternetPort + " in the root " + m_root +
                  " (see 'zorvaline printers')";
        return false;
    }
    const auto queues = CupsQueues::List(problem);
    if (!queues)
        return false;
    const QueuePlan plan = PlanQueues({known}, *queues, m_root);
    if (!plan.conflicts.empty()) {
        problem = plan.conflicts.front();
        return false;
    }
    for (const std::string &queue : plan.upToDate)
        report.push_back("queue " + queue + " for printer " + known + ": up to date");
    for (const QueueToAdd &add : plan.add) {
        if (!CupsQueues::Add(add.queue, {add.printer, m_root}, problem))
            return false;
        report.push_back("queue " + add.queue + " for printer " + add.printer + ": made");
    }
    return true;
}

bool QueueSync::Remove(const std::string &name, std::vector<std::string> &report, std::string &problem) const
{
    const auto queues = CupsQueues::List(problem);
    if (!queues)
        return false;
    for (const CupsQueue &queue : *queues) {
        if (!BelongsToRoot(queue, m_root))
            continue;
        if (strcasecmp(queue.name.c_str(), name.c_str()) == 0 ||
            strcasecmp(queue.destination->printer.c_str(), name.c_str()) == 0) {
            if (!CupsQueues::Remove(queue.name, problem))
                return false;
            report.push_back("queue " + queue.name + " for printer " + queue.destination->printer + ": removed");
            return true;
        }
    }
    problem = "no CUPS queue prints to a printer or is named " + name + " in the root " + m_root +
              " (see 'zorvaline cups list')";
    return false;
}

bool QueueSync::Sync(std::vector<std::string> &report, std::string &problem) const
{
    const auto queues = CupsQueues::List(problem);
    return queues && syncWith(*queues, report, problem);
}

bool QueueSync::SyncWhenItHasQueues(std::vector<std::string> &report, std::string &problem) const
{
    std::string unreachable;
    const auto queues = CupsQueues::List(unreachable);
    if (!queues)
        return true;
    for (const CupsQueue &queue : *queues)
        if (BelongsToRoot(queue, m_root))
            return syncWith(*queues, report, problem);
    return true;
}

bool QueueSync::syncWith(const std::vector<CupsQueue> &queues, std::vector<std::string> &report,
                         std::string &problem) const
{
    const auto printers = DestinationPrinters(problem);
    if (!printers)
        return false;
    const QueuePlan plan = PlanQueues(*printers, queues, m_root);
    bool whole = true;
    // Removals first: a renamed printer's new queue may take the old one's name.
    for (const std::string &queue : plan.remove) {
        std::string failure;
        if (CupsQueues::Remove(queue, failure)) {
            report.push_back("queue " + queue + ": removed, its printer is gone");
        } else {
            problem = failure;
            whole = false;
        }
    }
    for (const QueueToAdd &add : plan.add) {
        std::string failure;
        if (CupsQueues::Add(add.queue, {add.printer, m_root}, failure)) {
            report.push_back("queue " + add.queue + " for printer " + add.printer + ": made");
        } else {
            problem = failure;
            whole = false;
        }
    }
    for (const std::string &queue : plan.upToDate)
        report.push_back("queue " + queue + ": up to date");
    for (const std::string &conflict : plan.conflicts) {
        problem = conflict;
        whole = false;
    }
    return whole;
}

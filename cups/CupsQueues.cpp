#include "cups/CupsQueues.h"

#include "cups/CupsLibrary.h"
#include "cups/CupsTool.h"

namespace {

// lpadmin's last line says why it failed.
std::string lastLine(const std::string &text)
{
    const size_t end = text.find_last_not_of("\r\n ");
    if (end == std::string::npos)
        return "no reason given";
    const size_t start = text.find_last_of('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start == std::string::npos ? 0 : start + 1));
}

} // namespace

std::optional<std::vector<CupsQueue>> CupsQueues::List(std::string &problem)
{
    const CupsLibrary *cups = CupsLibrary::Get(problem);
    if (!cups)
        return std::nullopt;
    cups_dest_t *dests = nullptr;
    const int count = cups->getDests2(CUPS_HTTP_DEFAULT, &dests);
    if (count == 0 && cups->lastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
        cups->lastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        problem = std::string("cannot list the CUPS queues of ") + cups->server() + ": " + cups->lastErrorString();
        return std::nullopt;
    }
    std::vector<CupsQueue> queues;
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance)
            continue; // a set of options for a queue listed already
        CupsQueue queue;
        queue.name = dests[i].name;
        const char *uri = cups->getOption("device-uri", dests[i].num_options, dests[i].options);
        queue.deviceUri = uri ? uri : "";
        std::string ignored;
        queue.destination = ParseDeviceUri(queue.deviceUri, ignored);
        queues.push_back(queue);
    }
    cups->freeDests(count, dests);
    return queues;
}

bool CupsQueues::Add(const std::string &name, const DeviceUri &destination, std::string &problem)
{
    const ToolRun run = RunCupsTool({"lpadmin", "-p", name, "-E", "-v", FormatDeviceUri(destination), "-m",
                                     kPostScriptModel, "-D", destination.printer, "-L",
                                     "Zorvaline destination (root " + destination.root + ")", "-o",
                                     "printer-error-policy=abort-job"});
    if (run.exitCode == 0)
        return true;
    problem = "lpadmin could not make the queue " + name + ": " + lastLine(run.output);
    return false;
}

bool CupsQueues::Remove(const std::string &name, std::string &problem)
{
    const ToolRun run = RunCupsTool({"lpadmin", "-x", name});
    if (run.exitCode == 0)
        return true;
    problem = "lpadmin could not remove the queue " + name + ": " + lastLine(run.output);
    return false;
}

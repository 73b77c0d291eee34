// The CUPS queues of the scheduler that CUPS_SERVER (or the client configuration) names:
// listed with libcups, made and removed with CUPS's own lpadmin.
#pragma once

#include "cups/DeviceUri.h"

#include <optional>
#include <string>
#include <vector>

struct CupsQueue {
    std::string name;
    std::string deviceUri;
    std::optional<DeviceUri> destination; // set when the queue prints through our backend
};

// The model every queue is made with: CUPS's generic PostScript printer, so CUPS's filters
// turn any document into PostScript before the backend gets it.
inline constexpr const char *kPostScriptModel = "drv:///sample.drv/generic.ppd";

class CupsQueues {
public:
    // Every queue of the scheduler; nullopt with `problem` set when it cannot be asked.
    static std::optional<std::vector<CupsQueue>> List(std::string &problem);
    // A queue `name` that prints to `destination`, enabled and accepting jobs; a job that
    // fails for good is aborted rather than stopping the queue. False with `problem`.
    static bool Add(const std::string &name, const DeviceUri &destination, std::string &problem);
    static bool Remove(const std::string &name, std::string &problem);
};

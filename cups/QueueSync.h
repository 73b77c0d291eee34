// The CUPS queues of one Windows root: one per Windows printer on the destinations' port,
// each printing through our backend. `zorvaline cups` and Sendaro both change them here.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CupsQueue;

class QueueSync {
public:
    // The root of the spooler calls (ZORVALINE_ROOT, else the default), as a canonical path;
    // nullopt with `problem` when that folder does not exist.
    static std::optional<std::string> CurrentRoot(std::string &problem);

    explicit QueueSync(std::string root) : m_root(std::move(root)) {}

    // The Windows printers on the port ZORVALINE_INTERNET:; nullopt with `problem`.
    std::optional<std::vector<std::string>> DestinationPrinters(std::string &problem) const;

    // Each returns false with `problem` set; `report` gets one line per queue made, removed
    // or left as it was.
    bool Add(const std::string &printer, std::vector<std::string> &report, std::string &problem) const;
    // `name`: the printer, or the name of its queue.
    bool Remove(const std::string &name, std::vector<std::string> &report, std::string &problem) const;
    bool Sync(std::vector<std::string> &report, std::string &problem) const;
    // Sync, but only when some queue already prints to a destination of this root (what
    // Sendaro does after each save); true with nothing done when no queue does or no
    // scheduler answers.
    bool SyncWhenItHasQueues(std::vector<std::string> &report, std::string &problem) const;

    const std::string &root() const { return m_root; }

private:
    bool syncWith(const std::vector<CupsQueue> &queues, std::vector<std::string> &report, std::string &problem) const;

    std::string m_root;
};

// `zorvaline cups`: the CUPS queues of the root's destinations, so every application can
// print to them.
#include "tools/commands.h"

#include "cups/CupsQueues.h"
#include "cups/QueueSync.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void printHelp()
{
    std::printf(
        "usage: zorvaline cups add PRINTER [--root DIR]\n"
        "       zorvaline cups remove NAME [--root DIR]\n"
        "       zorvaline cups sync [--root DIR]\n"
        "       zorvaline cups list\n\n"
        "Makes the destinations of a Windows root CUPS printers, so every application prints to\n"
        "them. Each queue is named after its Windows printer (characters other than letters,\n"
        "digits, '-', '.' and '_' become '_'), uses CUPS's generic PostScript driver, so CUPS\n"
        "turns any document into PostScript, and prints through the backend 'zorvaline' with\n"
        "the device URI zorvaline://PRINTER?root=DIR.\n\n"
        "  add PRINTER   a queue for the Windows printer PRINTER (on the port ZORVALINE_INTERNET:)\n"
        "  remove NAME   removes the queue of printer NAME (or the queue named NAME)\n"
        "  sync          one queue per Windows printer on ZORVALINE_INTERNET:; queues of the root\n"
        "                whose printer is gone are removed (jobs still waiting there are lost)\n"
        "  list          every queue that prints through the backend: queue, printer, root\n\n"
        "  --root DIR    the Windows root; default $ZORVALINE_ROOT, else\n"
        "                ${XDG_DATA_HOME:-~/.local/share}/zorvaline\n\n"
        "The scheduler is the one CUPS's own commands use (CUPS_SERVER, ~/.cups/client.conf);\n"
        "making and removing queues takes CUPS administrator rights (group lpadmin on Debian).\n"
        "Once a root has queues, Sendaro keeps them in step as destinations come and go.\n\n"
        "exit status: 0 done; 1 CUPS or the spooler failed (the reason on standard error);\n"
        "2 bad usage, unknown printer or queue\n");
}

int usage(const std::string &text)
{
    std::fprintf(stderr, "zorvaline cups: %s (try 'zorvaline cups --help')\n", text.c_str());
    return 2;
}

int list()
{
    std::string problem;
    const auto queues = CupsQueues::List(problem);
    if (!queues) {
        std::fprintf(stderr, "zorvaline cups: %s\n", problem.c_str());
        return 1;
    }
    for (const CupsQueue &queue : *queues)
        if (queue.destination)
            std::printf("%s\t%s\t%s\n", queue.name.c_str(), queue.destination->printer.c_str(),
                        queue.destination->root.c_str());
    return 0;
}

} // namespace

int RunCups(int argc, char **argv)
{
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--root") {
            if (i + 1 >= argc)
                return usage("--root needs a folder");
            setenv("ZORVALINE_ROOT", argv[++i], 1);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty())
        return usage("add, remove, sync or list?");
    const std::string action = words[0];
    if (action == "list")
        return words.size() == 1 ? list() : usage("list takes no name");
    const bool named = action == "add" || action == "remove";
    if (!named && action != "sync")
        return usage("unknown action " + action);
    if (words.size() != (named ? 2u : 1u))
        return usage(named ? action + " takes one name" : "sync takes no name");

    std::string problem;
    const auto root = QueueSync::CurrentRoot(problem);
    if (!root)
        return usage(problem);
    const QueueSync queues(*root);
    std::vector<std::string> report;
    bool done = false;
    if (action == "add")
        done = queues.Add(words[1], report, problem);
    else if (action == "remove")
        done = queues.Remove(words[1], report, problem);
    else
        done = queues.Sync(report, problem);
    for (const std::string &line : report)
        std::printf("%s\n", line.c_str());
    if (done)
        return 0;
    std::fprintf(stderr, "zorvaline cups: %s\n", problem.c_str());
    return problem.rfind("no ", 0) == 0 ? 2 : 1;
}

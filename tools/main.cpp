#include "tools/commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char *name;
    int (*run)(int argc, char **argv);
    const char *summary;
};

const Command kCommands[] = {
    {"setup", RunSetup, "create or update the Windows root (ZORVALINE_ROOT)"},
    {"print", RunPrint, "print files (or standard input) on a printer"},
    {"printers", RunPrinters, "list, add or delete printers; show or set the default one"},
    {"drivers", RunDrivers, "list or install printer drivers"},
    {"monitors", RunMonitors, "list or register port monitors"},
    {"status", RunStatus, "ask a printer for its status by mail"},
    {"cups", RunCups, "make the destinations CUPS printers, for every application"},

    {"smtp", RunSmtp, "show or set the SMTP server settings; 'smtp test' tries them"},
    {"journal", RunJournal, "list the delivery journal: what went where"},
};

void printUsage(FILE *out)
{
    std::fprintf(out, "usage: zorvaline COMMAND [ARGS...]\n\n"
                      "Zorvaline prints to printers reached by e-mail.\n\ncommands:\n");
    for (const Command &c : kCommands)
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(out, "\n'zorvaline COMMAND --help' tells more about one command; 'zorvaline --version'\n"
                      "prints the version.\n"
                      "The root is $ZORVALINE_ROOT, else ${XDG_DATA_HOME:-~/.local/share}/zorvaline.\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        printUsage(stdout);
        return 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("zorvaline %s\n", ZORVALINE_VERSION);
        return 0;
    }
    for (const Command &c : kCommands)
        if (!std::strcmp(argv[1], c.name))
            return c.run(argc - 2, argv + 2);
    std::fprintf(stderr, "zorvaline: unknown command '%s' (try 'zorvaline --help')\n", argv[1]);
    return 2;
}

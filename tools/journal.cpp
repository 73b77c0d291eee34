// `zorvaline journal`: the delivery journal of the root as a table (or its JSON lines),
// oldest first, newest last.
#include "tools/commands.h"

#include "monitor/DeliveryJournal.h"
#include "platform/base/text.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

enum JournalExit {
    kListed = 0, // listed (perhaps nothing)
    kUsage = 2,  // bad usage, or the journal cannot be read
};

void printHelp()
{
    std::printf("usage: zorvaline journal [--since DATE] [--printer NAME] [--json]\n\n"
                "Lists the delivery journal (%s): one line per address of every\n"
                "print job and per status request, oldest first, newest last.\n"
                "  --since DATE    only from DATE on: YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, in UTC\n"
                "  --printer NAME  only jobs of this Windows printer (any case)\n"
                "  --json          the journal's own JSON lines instead of a table\n"
                "RESULT is the monitor's result: 0 sent; see the reply column for what failed.\n"
                "\nexit status: 0 listed; 2 bad usage, or the journal cannot be read\n",
                zormon::JournalPath().c_str());
}

// YYYY-MM-DD, optionally followed by THH:MM:SS and an optional Z.
bool isDate(const std::string &text)
{
    const std::string shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != 10 && text.size() != 19 && !(text.size() == 20 && text.back() == 'Z'))
        return false;
    for (size_t i = 0; i < std::min(text.size(), shape.size()); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i])
            return false;
    return true;
}

std::string pieces(const zormon::JournalEntry &entry)
{
    if (entry.kind == "status")
        return "status";
    if (entry.pieces <= 1)
        return "whole";
    return std::to_string(entry.piece) + " of " + std::to_string(entry.pieces);
}

} // namespace

int RunJournal(int argc, char **argv)
{
    std::string since;
    std::string printer;
    bool json = false;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            printHelp();
            return kListed;
        }
        if (option == "--json") {
            json = true;
        } else if ((option == "--since" || option == "--printer") && i + 1 < argc) {
            (option == "--since" ? since : printer) = argv[++i];
        } else {
            std::fprintf(stderr, "zorvaline journal: unknown option or missing value '%s' (try 'zorvaline journal --help')\n",
                         option.c_str());
            return kUsage;
        }
    }
    if (!since.empty() && !isDate(since)) {
        std::fprintf(stderr, "zorvaline journal: --since %s: give YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS\n", since.c_str());
        return kUsage;
    }

    const std::string path = zormon::JournalPath();
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "zorvaline journal: nothing delivered yet (no %s)\n", path.c_str());
        return kListed;
    }
    if (!json)
        std::printf("%-20s %-6s %-16s %-20s %-32s %-8s %10s %6s  %s\n", "TIME", "JOB", "PRINTER", "DOCUMENT", "ADDRESS",
                    "PIECES", "BYTES", "RESULT", "REPLY");
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::optional<zormon::JournalEntry> entry = zormon::ParseJournalLine(line);
        if (!entry) {
            std::fprintf(stderr, "zorvaline journal: %s line %d is not a journal line; skipped\n", path.c_str(), number);
            continue;
        }
        if (!since.empty() && entry->time < since)
            continue;
        if (!printer.empty() && !zorplat::EqualsIgnoringCase(entry->printer, printer))
            continue;
        if (json)
            std::printf("%s\n", line.c_str());
        else
            std::printf("%-20s %-6s %-16s %-20s %-32s %-8s %10llu %6d  %s\n", entry->time.c_str(), entry->job.c_str(),
                        entry->printer.c_str(), entry->document.c_str(), entry->address.c_str(), pieces(*entry).c_str(),
                        static_cast<unsigned long long>(entry->bytes), entry->result, entry->reply.c_str());
    }
    return kListed;
}

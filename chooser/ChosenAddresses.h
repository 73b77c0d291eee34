// The addresses a job goes to when the chosen destinations are the given ones, with the
// settings each address gets for the job: one code for the chooser with and without a dialog.
#pragma once

#include "chooser/DestinationChoice.h"
#include "chooser/JobHandOver.h"

#include <string>
#include <vector>

namespace selvra {

// A printer whose e-mail address cannot be handed to the monitor.
struct LeftOutPrinter {
    std::string printer;
    std::string email;
    std::string fault; // why the address cannot be used
};

struct ChosenAddresses {
    // Each address once (sections are found without regard to case, so two spellings of one
    // address would share one section), in the order of the destinations and their
    // printers; the first printer that has an address gives its settings.
    std::vector<AddressSettings> addresses;
    std::vector<LeftOutPrinter> leftOut;
};

ChosenAddresses AddressesFor(const std::vector<ChosenDestination> &destinations, const JobFacts &job);

// "Printer "P" is left out: its e-mail address "x" cannot be used." and the fault on a line
// of its own; the values made printable and cut to a length a message can show.
std::string LeftOutText(const LeftOutPrinter &printer);

// A value read from the database as a message can show it: control characters as "?", and
// at most 100 characters of it.
std::string Printable(const std::string &value);

} // namespace selvra

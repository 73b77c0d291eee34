#include "chooser/HeadlessChooser.h"

#include "platform/ui/ui.h"

#include <optional>
#include <string>

namespace selvra {

namespace {

std::string quoted(const std::string &text)
{
    return "\"" + text + "\"";
}

std::string noDestinationReason(const JobFacts &job, const std::string &defaultItem)
{
    std::string why = job.printerName.empty() ? std::string("The job names no printer")
                                              : "No destination is named " + quoted(job.printerName);
    if (defaultItem.empty())
        return why + " and the database has no default item.";
    return why + ", and the default item " + quoted(defaultItem) + " is not in the database.";
}

} // namespace

ChooserResult RunHeadlessChooser()
{
    ChooserSession session;
    if (!session.Open())
        return session.Result();
    const DatabaseContents database = session.Database();
    const std::optional<ChosenDestination> destination = ChooseDestination(database, session.Job().printerName);
    if (!destination)
        return session.Decline(noDestinationReason(session.Job(), database.defaultItem));

    const ChosenAddresses addresses = AddressesFor({*destination}, session.Job());
    for (const LeftOutPrinter &printer : addresses.leftOut) {
        const std::string text = LeftOutText(printer);
        MessageBox(nullptr, text.c_str(), "Selvra", MB_OK | MB_ICONEXCLAMATION);
    }
    const std::string chosen = (destination->isPrinter ? "Printer " : "Group ") + quoted(destination->name) +
                               (destination->isDefaultItem ? " (the default item)" : "");
    return session.Confirm(addresses, chosen);
}

} // namespace selvra

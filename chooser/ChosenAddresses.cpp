#include "chooser/ChosenAddresses.h"

#include "manager/database/NameCompare.h"
#include "manager/database/RecordChecks.h"

#include <algorithm>
#include <optional>

namespace selvra {

namespace {

std::string quoted(const std::string &text)
{
    return "\"" + text + "\"";
}

// Why the monitor must not be handed this address, or nothing when it may. It must pass the
// manager's e-mail check (letters, digits, "@", "-", "_" and ".", 1 to 80 characters) and
// hold exactly one "@". The database reader cuts a value only far beyond 80 characters, so
// an address that passes was read whole; one cut at a NUL byte (where the profile functions
// end every value) keeps its "@" and domain only when the NUL came after them.
std::optional<std::string> addressFault(const std::string &address)
{
    std::string checked;
    const zordb::CheckResult check = zordb::ValidatePrinterEmail(address, checked);
    if (!check.accepted)
        return check.text;
    if (std::count(address.begin(), address.end(), '@') != 1)
        return "An e-mail address holds exactly one @.";
    return std::nullopt;
}

AddressSettings settingsFor(const PrinterRecord &printer, const JobFacts &job)
{
    AddressSettings settings;
    settings.address = printer.PrinterEmail;
    settings.printer = printer.PrinterName;
    settings.split = printer.LimitPacketSize ? std::to_string(printer.MaxPacketSizeInKb) : "0";
    settings.header = printer.HeaderPage;
    settings.trailer = printer.TrailerPage;
    settings.password = printer.PrinterPassword;
    settings.subject = job.defaultSubject.empty() ? job.documentName : "";
    settings.recipient = printer.DefaultRecipient;
    settings.recipientLocation = printer.RecipientLocation;
    return settings;
}

} // namespace

ChosenAddresses AddressesFor(const std::vector<ChosenDestination> &destinations, const JobFacts &job)
{
    ChosenAddresses chosen;
    std::vector<const PrinterRecord *> seen;
    for (const ChosenDestination &destination : destinations)
        for (const PrinterRecord *printer : destination.printers) {
            // A printer reached through two chosen destinations counts once, also when left out.
            if (std::find(seen.begin(), seen.end(), printer) != seen.end())
                continue;
            seen.push_back(printer);
            if (std::optional<std::string> fault = addressFault(printer->PrinterEmail)) {
                chosen.leftOut.push_back({printer->PrinterName, printer->PrinterEmail, *fault});
                continue;
            }
            const bool known = std::any_of(chosen.addresses.begin(), chosen.addresses.end(),
                                           [&](const AddressSettings &s) {
                                               return zordb::SameName(s.address, printer->PrinterEmail);
                                           });
            if (!known)
                chosen.addresses.push_back(settingsFor(*printer, job));
        }
    return chosen;
}

std::string Printable(const std::string &value)
{
    constexpr std::size_t kShownLength = 100;
    std::string shown = value.substr(0, kShownLength);
    for (char &c : shown)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            c = '?';
    return value.size() > kShownLength ? shown + "..." : shown;
}

std::string LeftOutText(const LeftOutPrinter &printer)
{
    return "Printer " + quoted(Printable(printer.printer)) + " is left out: its e-mail address " +
           quoted(Printable(printer.email)) + " cannot be used.\n" + printer.fault;
}

} // namespace selvra

#include "chooser/HeadlessChooser.h"

#include "chooser/DestinationChoice.h"
#include "chooser/JobHandOver.h"
#include "manager/database/CDatabaseReader.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordChecks.h"
#include "platform/files/files.h"
#include "platform/base/lasterror.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace selvra {

namespace {

constexpr const char *kCaption = "Selvra";

void showStop(const std::string &text)
{
    MessageBox(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONSTOP);
}

void showWarning(const std::string &text)
{
    MessageBox(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
}

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

// A value read from the database as a message can show it: control characters as "?", and
// at most kShownLength characters of it.
std::string printable(const std::string &value)
{
    constexpr std::size_t kShownLength = 100;
    std::string shown = value.substr(0, kShownLength);
    for (char &c : shown)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            c = '?';
    return value.size() > kShownLength ? shown + "..." : shown;
}

AddressSettings settingsFor(const PrinterRecord &printer, const JobFacts &job)
{
    AddressSettings settings;
    settings.address = printer.PrinterEmail;
    settings.split = printer.LimitPacketSize ? std::to_string(printer.MaxPacketSizeInKb) : "0";
    settings.header = printer.HeaderPage;
    settings.trailer = printer.TrailerPage;
    settings.password = printer.PrinterPassword;
    settings.subject = job.defaultSubject.empty() ? job.documentName : "";
    settings.recipient = printer.DefaultRecipient;
    settings.recipientLocation = printer.RecipientLocation;
    return settings;
}

// Each address once (sections are found without regard to case, so two spellings of one
// address would share one section): the first printer that has it gives its settings.
std::vector<AddressSettings> addressesFor(const ChosenDestination &destination, const JobFacts &job)
{
    std::vector<AddressSettings> addresses;
    for (const PrinterRecord *printer : destination.printers) {
        if (std::optional<std::string> fault = addressFault(printer->PrinterEmail)) {
            showWarning("Printer " + quoted(printable(printer->PrinterName)) + " is left out: its e-mail address " +
                        quoted(printable(printer->PrinterEmail)) + " cannot be used.\n" + *fault);
            continue;
        }
        const bool known = std::any_of(addresses.begin(), addresses.end(), [&](const AddressSettings &s) {
            return zordb::SameName(s.address, printer->PrinterEmail);
        });
        if (!known)
            addresses.push_back(settingsFor(*printer, job));
    }
    return addresses;
}

// The database named by [DefaultSetup] Database, or the reason it cannot be read.
std::optional<std::string> checkDatabase(const JobHandOver &files, const JobFacts &job, CDatabaseReader &reader)
{
    if (job.databasePath.empty())
        return "No destination database is set: [DefaultSetup] Database of " + files.VComDefPath() + " is empty.";
    const DWORD attributes = GetFileAttributes(job.databasePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "The destination database " + job.databasePath + " does not exist.";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "The destination database " + job.databasePath + " is a folder, not a file.";
    if (!reader.CheckDatabaseFile(job.databasePath))
        return zordb::ManagerString(zordb::IDS_DATABASE_CORRUPTED) + ": " + job.databasePath;
    return std::nullopt;
}

std::string noDestinationReason(const JobFacts &job, const std::string &defaultItem)
{
    std::string why = job.printerName.empty() ? std::string("The job names no printer")
                                              : "No destination is named " + quoted(job.printerName);
    if (defaultItem.empty())
        return why + " and the database has no default item.";
    return why + ", and the default item " + quoted(defaultItem) + " is not in the database.";
}

ChooserResult decline(const std::string &why)
{
    showStop(why + " The job is not sent.");
    return kJobDeclined;
}

ChooserResult answerNotWritten(const std::string &file)
{
    const DWORD error = GetLastError();
    showStop("Cannot write " + file + " (error " + std::to_string(error) + "). The job is not sent.");
    return kAnswerNotWritten;
}

} // namespace

ChooserResult RunHeadlessChooser()
{
    JobHandOver files;
    if (!files.Decline())
        return answerNotWritten(files.VComDefPath());

    const JobFacts job = files.ReadJobFacts();
    CDatabaseReader reader;
    if (std::optional<std::string> why = checkDatabase(files, job, reader))
        return decline(*why);
    reader.ReadIndex(job.databasePath);
    reader.ReadRecords(job.databasePath);

    const std::optional<ChosenDestination> destination = ChooseDestination(
        {reader.Groups(), reader.Printers(), reader.DefaultItem(), reader.ItemType()}, job.printerName);
    if (!destination)
        return decline(noDestinationReason(job, reader.DefaultItem()));

    const std::string kind = destination->isPrinter ? "Printer " : "Group ";
    const std::vector<AddressSettings> addresses = addressesFor(*destination, job);
    if (addresses.empty())
        return decline(kind + quoted(destination->name) + " stands for no printer with a usable e-mail address.");
    const std::string list = JoinAddresses(addresses);
    if (list.size() > kAddressListMaxLength)
        return decline(kind + quoted(destination->name) + " stands for too many addresses for one job (" +
                       std::to_string(list.size()) + " characters, at most " +
                       std::to_string(kAddressListMaxLength) + "); print to a smaller group.");

    if (!files.Confirm(addresses))
        return answerNotWritten(files.VComDefPath() + " or " + files.VTempPath());
    std::printf("Selvra: %s%s%s: %s\n", kind.c_str(), quoted(destination->name).c_str(),
                destination->isDefaultItem ? " (the default item)" : "", list.c_str());
    return kJobConfirmed;
}

} // namespace selvra

#include "manager/database/DatabaseWriter.h"

#include "manager/database/DatabaseLayout.h"

namespace zordb {

namespace {

const char *booleanWord(bool value)
{
    return value ? kTrue : kFalse;
}

void writeIndexLine(ProfileSink &sink, const std::string &section)
{
    sink.WriteString(kIndexSection, section.c_str(), section.c_str());
}

} // namespace

std::string JoinList(const std::vector<std::string> &names)
{
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            joined += kListSeparator;
        joined += names[i];
    }
    return joined;
}

void WriteRecord(ProfileSink &sink, const GroupRecord &group)
{
    const char *section = group.MainGroupName.c_str();
    writeIndexLine(sink, group.MainGroupName);
    sink.WriteString(section, "MainGroupName", section);
    sink.WriteString(section, "SubGroups", JoinList(group.SubGroups).c_str());
    sink.WriteString(section, "Printers", JoinList(group.Printers).c_str());
    sink.WriteString(section, "GroupDriver", group.GroupDriver.c_str());
    sink.WriteString(section, "GroupDescription", group.GroupDescription.c_str());
}

void WriteRecord(ProfileSink &sink, const PrinterRecord &printer)
{
    const char *section = printer.PrinterName.c_str();
    writeIndexLine(sink, printer.PrinterName);
    sink.WriteString(section, "PrinterName", section);
    sink.WriteString(section, "PrinterDescription", printer.PrinterDescription.c_str());
    sink.WriteString(section, "PrinterDriver", printer.PrinterDriver.c_str());
    sink.WriteString(section, "PrinterEmail", printer.PrinterEmail.c_str());
    sink.WriteString(section, "PrinterPassword", printer.PrinterPassword.c_str());
    sink.WriteString(section, "DefaultRecipient", printer.DefaultRecipient.c_str());
    sink.WriteString(section, "RecipientLocation", printer.RecipientLocation.c_str());
    sink.WriteString(section, "LimitPacketSize", booleanWord(printer.LimitPacketSize));
    sink.WriteString(section, "MaxPacketSizeInKb", std::to_string(printer.MaxPacketSizeInKb).c_str());
    sink.WriteString(section, "HeaderPage", booleanWord(printer.HeaderPage));
    sink.WriteString(section, "TrailerPage", booleanWord(printer.TrailerPage));
}

void WriteDatabase(ProfileSink &sink, const DatabaseTitle &title, const GroupList &groups,
                   const PrinterList &printers)
{
    sink.WriteString(kTitleSection, nullptr, nullptr);
    sink.WriteString(kIndexSection, nullptr, nullptr);
    sink.WriteString(kTitleSection, kGroupsTitleKey, title.groupsTitle.c_str());
    sink.WriteString(kTitleSection, kPrintersTitleKey, title.printersTitle.c_str());
    sink.WriteString(kTitleSection, kDefaultItemKey, title.defaultItem.c_str());
    sink.WriteString(kTitleSection, kItemTypeKey, title.itemType.c_str());
    writeIndexLine(sink, kTitleSection);
    for (const auto &group : groups)
        WriteRecord(sink, *group);
    for (const auto &printer : printers)
        WriteRecord(sink, *printer);
}

void WriteNewDatabase(ProfileSink &sink, const std::string &groupsTitle,
                      const std::string &printersTitle)
{
    sink.WriteString(kTitleSection, kGroupsTitleKey, groupsTitle.c_str());
    sink.WriteString(kTitleSection, kPrintersTitleKey, printersTitle.c_str());
    writeIndexLine(sink, kTitleSection);
}

} // namespace zordb

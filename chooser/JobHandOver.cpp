#include "chooser/JobHandOver.h"

#include "manager/database/DatabaseLayout.h"
#include "manager/database/InstallPaths.h"
#include "platform/profile/profile.h"

#include <vector>

namespace selvra {

namespace {

constexpr const char *kChooserSection = "Selvra";
constexpr const char *kAppKey = "App";

std::string readValue(const std::string &file, const char *section, const char *key)
{
    std::vector<char> buffer(zordb::kProfileValueBufferSize);
    GetPrivateProfileString(section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    return buffer.data();
}

const char *word(bool value)
{
    return value ? zordb::kTrue : zordb::kFalse;
}

} // namespace

std::string JoinAddresses(const std::vector<AddressSettings> &addresses)
{
    std::string list;
    for (const AddressSettings &settings : addresses)
        list += (list.empty() ? "" : ",") + settings.address;
    return list;
}

JobHandOver::JobHandOver()
    : m_vcomdefPath(zordb::InstallFilePath("VComDef.ini")),
      m_vtempPath(zordb::InstallFilePath(zordb::kHandOverFileName))
{
}

JobFacts JobHandOver::ReadJobFacts() const
{
    JobFacts facts;
    facts.printerName = readValue(m_vcomdefPath, "PrintJob", "PrinterName");
    facts.documentName = readValue(m_vcomdefPath, "PrintJob", "FileName");
    facts.databasePath = readValue(m_vcomdefPath, "DefaultSetup", "Database");
    facts.defaultSubject = readValue(m_vcomdefPath, "HeaderFooter", "Subject");
    return facts;
}

bool JobHandOver::Decline() const
{
    return WritePrivateProfileString(kChooserSection, kAppKey, zordb::kFalse, m_vcomdefPath.c_str());
}

bool JobHandOver::Confirm(const std::vector<AddressSettings> &addresses) const
{
    const std::string list = JoinAddresses(addresses);
    if (!WritePrivateProfileString("Destination", "Address", list.c_str(), m_vtempPath.c_str()))
        return false;

    zorplat::ProfileBatch vcomdef(m_vcomdefPath);
    for (const AddressSettings &settings : addresses) {
        const char *section = settings.address.c_str();
        vcomdef.WriteString(section, "Split", settings.split.c_str());
        vcomdef.WriteString(section, "Header", word(settings.header));
        vcomdef.WriteString(section, "Trailer", word(settings.trailer));
        vcomdef.WriteString(section, "Password", settings.password.c_str());
        vcomdef.WriteString(section, "Subject", settings.subject.c_str());
        vcomdef.WriteString(section, "Recipient", settings.recipient.c_str());
        vcomdef.WriteString(section, "RcptLocation", settings.recipientLocation.c_str());
    }
    vcomdef.WriteString(kChooserSection, kAppKey, zordb::kTrue);
    return vcomdef.Commit();
}

} // namespace selvra

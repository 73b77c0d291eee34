#include "monitor/JobSettings.h"

#include "platform/base/paths.h"
#include "platform/profile/profile.h"

#include <strings.h>
#include <utility>

namespace zormon {

namespace {

// One key, read now, through a buffer of `length` bytes: at most length - 1 characters.
std::string readValue(const char *section, const char *key, const char *defaultValue, unsigned length,
                      const std::string &file)
{
    std::string buffer(length, '\0');
    const DWORD copied = GetPrivateProfileString(section, key, defaultValue, buffer.data(), length, file.c_str());
    buffer.resize(copied < length ? copied : length - 1);
    return buffer;
}

std::string readAddressValue(std::string_view address, const char *key, const char *defaultValue, unsigned length)
{
    return readValue(std::string(address).c_str(), key, defaultValue, length, VComDefPath());
}

} // namespace

bool IsTrue(std::string_view value)
{
    return value.size() == 4 && strncasecmp(value.data(), "TRUE", 4) == 0;
}

std::string VarnelIniPath()
{
    char directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectory(directory, MAX_PATH);
    return std::string(directory, length < MAX_PATH ? length : 0) + "\\Varnel.ini";
}

std::string InstallDirectory()
{
    return readValue("Install", "Directory", "", kInstallDirectoryLength, VarnelIniPath());
}

std::string InstallPath(std::string_view name)
{
    return InstallDirectory() + "\\" + std::string(name);
}

std::string VComDefPath() { return InstallPath("VComDef.ini"); }
std::string VTempPath() { return InstallPath("VTemp.ini"); }
std::string ChooserPath() { return InstallPath("Selvra.exe"); }
std::string BannerTemplatePath() { return InstallPath("banner01.ps"); }

std::string SmtpServer() { return readValue("IntranetSetup", "SmtpServer", "", kShortValueLength, VComDefPath()); }
std::string SenderEmail() { return readValue("IntranetSetup", "SenderEmail", "", kShortValueLength, VComDefPath()); }
std::string SmtpPort() { return readValue("IntranetSetup", "SmtpPort", "", kSubmissionValueLength, VComDefPath()); }
std::string SmtpSecurity() { return readValue("IntranetSetup", "SmtpSecurity", "", kSubmissionValueLength, VComDefPath()); }
std::string SmtpUser() { return readValue("IntranetSetup", "SmtpUser", "", kSubmissionValueLength, VComDefPath()); }
std::string SmtpPassword() { return readValue("IntranetSetup", "SmtpPassword", "", kSubmissionValueLength, VComDefPath()); }
std::string SmtpCaFile() { return readValue("IntranetSetup", "SmtpCaFile", "", kSubmissionValueLength, VComDefPath()); }
std::string DatabasePath() { return readValue("DefaultSetup", "Database", "", kLongValueLength, VComDefPath()); }

bool ChooserConfirmed()
{
    return IsTrue(readValue("Selvra", "App", "", kLongValueLength, VComDefPath()));
}

std::string DestinationAddresses()
{
    return readValue("Destination", "Address", "", kAddressListLength, VTempPath());
}

std::string DefaultSubject() { return readValue("HeaderFooter", "Subject", "", kShortValueLength, VComDefPath()); }
std::string StatusRequired() { return readValue("HeaderFooter", "StatusRequired", "0", kShortValueLength, VComDefPath()); }

std::string Split(std::string_view address) { return readAddressValue(address, "Split", "0", kShortValueLength); }
bool HeaderWanted(std::string_view address) { return IsTrue(readAddressValue(address, "Header", "", kLongValueLength)); }
bool TrailerWanted(std::string_view address) { return IsTrue(readAddressValue(address, "Trailer", "", kLongValueLength)); }
std::string Password(std::string_view address) { return readAddressValue(address, "Password", "", kShortValueLength); }

std::string Subject(std::string_view address)
{
    std::string subject = readAddressValue(address, "Subject", "", kShortValueLength);
    return subject.empty() ? DefaultSubject() : subject;
}

std::string Recipient(std::string_view address) { return readAddressValue(address, "Recipient", "", kLongValueLength); }
std::string RcptLocation(std::string_view address) { return readAddressValue(address, "RcptLocation", " ", kLongValueLength); }

std::string JobUserName() { return readValue("PrintJob", "UserName", "", kLongValueLength, VComDefPath()); }
std::string JobDocumentName() { return readValue("PrintJob", "FileName", "", kLongValueLength, VComDefPath()); }
std::string JobComputerName() { return readValue("PrintJob", "ComputerName", "", kLongValueLength, VComDefPath()); }

bool WritePrintJob(const PrintJobFacts &facts)
{
    // One commit, so the chooser never sees the facts of two jobs mixed.
    zorplat::ProfileBatch batch(VComDefPath());
    const std::pair<const char *, const std::string *> values[] = {
        {"PrinterName", &facts.printerName}, {"FileName", &facts.fileName},
        {"UserName", &facts.userName},       {"ComputerName", &facts.computerName},
        {"Date", &facts.date},               {"Time", &facts.time},
    };
    // All or nothing: a value refused alone would leave the previous job's in its place.
    for (const auto &[key, value] : values)
        if (!batch.WriteString("PrintJob", key, value->c_str()))
            return false;
    // The facts matter only while this job runs: the file is still replaced whole (the
    // settings beside them survive a crash), but the folder is not synced for them.
    return batch.Commit(zorplat::Durability::Atomic) != FALSE;
}

bool WriteSpoolFilePath(std::string_view spoolPath)
{
    return WritePrivateProfileString("Destination", "File", std::string(spoolPath).c_str(), VTempPath().c_str()) != FALSE;
}

bool ClearDestinationAddresses()
{
    return WritePrivateProfileString("Destination", "Address", "", VTempPath().c_str()) != FALSE;
}

bool ClearOneShotKeys(std::string_view address)
{
    const std::string section(address);
    zorplat::ProfileBatch batch(VComDefPath());
    batch.WriteString(section.c_str(), "Password", "");
    batch.WriteString(section.c_str(), "Notes", "");
    batch.WriteString(section.c_str(), "Subject", "");
    return batch.Commit() != FALSE;
}

} // namespace zormon

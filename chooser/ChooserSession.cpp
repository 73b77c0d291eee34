#include "chooser/ChooserSession.h"

#include "manager/database/ManagerStrings.h"
#include "platform/base/lasterror.h"
#include "platform/files/files.h"
#include "platform/ui/ui.h"

#include <cstdio>
#include <optional>

namespace selvra {

namespace {

constexpr const char *kCaption = "Selvra";

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

} // namespace

bool ChooserSession::Open()
{
    if (!m_files.Decline()) {
        m_result = answerNotWritten(m_files.VComDefPath());
        return false;
    }
    m_job = m_files.ReadJobFacts();
    if (std::optional<std::string> why = checkDatabase(m_files, m_job, m_reader)) {
        m_result = Decline(*why);
        return false;
    }
    m_reader.ReadIndex(m_job.databasePath);
    m_reader.ReadRecords(m_job.databasePath);
    return true;
}

DatabaseContents ChooserSession::Database() const
{
    return {m_reader.Groups(), m_reader.Printers(), m_reader.DefaultItem(), m_reader.ItemType()};
}

ChooserResult ChooserSession::Decline(const std::string &why)
{
    const std::string text = why + " The job is not sent.";
    MessageBox(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONSTOP);
    return m_result = kJobDeclined;
}

ChooserResult ChooserSession::DeclineQuietly(const std::string &why)
{
    std::fprintf(stderr, "Selvra: %s The job is not sent.\n", why.c_str());
    return m_result = kJobDeclined;
}

ChooserResult ChooserSession::Confirm(const ChosenAddresses &addresses, const std::string &chosen)
{
    if (addresses.addresses.empty())
        return Decline(chosen + " stands for no printer with a usable e-mail address.");
    const std::string list = JoinAddresses(addresses.addresses);
    if (list.size() > kAddressListMaxLength)
        return Decline(chosen + " stands for too many addresses for one job (" + std::to_string(list.size()) +
                       " characters, at most " + std::to_string(kAddressListMaxLength) +
                       "); print to a smaller group.");
    if (!m_files.Confirm(addresses.addresses))
        return m_result = answerNotWritten(m_files.VComDefPath() + " or " + m_files.VTempPath());
    std::printf("Selvra: %s: %s\n", chosen.c_str(), list.c_str());
    return m_result = kJobConfirmed;
}

ChooserResult ChooserSession::answerNotWritten(const std::string &file)
{
    const DWORD error = GetLastError();
    const std::string text = "Cannot write " + file + " (error " + std::to_string(error) + "). The job is not sent.";
    MessageBox(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONSTOP);
    return kAnswerNotWritten;
}

} // namespace selvra

// One run of the chooser, with or without a dialog: the job is declined first of all, then
// the job's facts and the destination database are read; the answer is written at the end.
#pragma once

#include "chooser/ChosenAddresses.h"
#include "chooser/DestinationChoice.h"
#include "chooser/JobHandOver.h"
#include "manager/database/CDatabaseReader.h"

#include <string>

namespace selvra {

// Exit codes of a run, as `selvra --help` lists them.
enum ChooserResult {
    kJobConfirmed = 0,   // [Selvra] App = "TRUE", addresses and their settings written
    kJobDeclined = 1,    // [Selvra] App = "FALSE"; the reason was shown or written
    kAnswerNotWritten = 2, // VComDef.ini or VTemp.ini could not be written
};

class ChooserSession {
public:
    // Writes App = "FALSE", reads the job's facts and the database. False when there is
    // nothing to choose from: the reason was shown in a message box with the caption
    // "Selvra" and Result() is the exit code.
    bool Open();
    ChooserResult Result() const { return m_result; }

    const JobFacts &Job() const { return m_job; }
    DatabaseContents Database() const;
    const std::string &GroupsTitle() const { return m_reader.GroupsTitle(); }
    const std::string &PrintersTitle() const { return m_reader.PrintersTitle(); }

    // Declines the job with a message box (stop icon) saying why.
    ChooserResult Decline(const std::string &why);
    // Declines the job without a box (the user cancelled, or nobody answered): the reason
    // goes to standard error.
    ChooserResult DeclineQuietly(const std::string &why);

    // Hands the addresses to the monitor; `chosen` (what was chosen, for messages) and the
    // address list are printed on standard output. Declines the job, with a box, when there
    // is no address or the list is longer than the monitor reads.
    ChooserResult Confirm(const ChosenAddresses &addresses, const std::string &chosen);

private:
    ChooserResult answerNotWritten(const std::string &file);

    JobHandOver m_files;
    JobFacts m_job;
    CDatabaseReader m_reader;
    ChooserResult m_result = kJobDeclined;
};

} // namespace selvra

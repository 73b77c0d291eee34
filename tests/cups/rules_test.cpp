// The rules of the CUPS side without a scheduler: device URIs, queue names, the plan that
// keeps a root's queues in step, which failures are retried, what a job's bytes are.
#include "cups/BackendUi.h"
#include "cups/DeliveryClass.h"
#include "cups/DeviceUri.h"
#include "cups/QueueName.h"
#include "cups/QueuePlan.h"
#include "monitor/SmtpClient.h"
#include "tools/JobInput.h"

#include <gtest/gtest.h>

namespace {

using zormon::SmtpResult;

TEST(DeviceUri, AnyPrinterNameAndFolderSurviveTheRoundTrip)
{
    const DeviceUri uri{"Sales & Marketing #2 (O'Neil)", "/home/ann/my roots/zor?valine&co"};
    const std::string text = FormatDeviceUri(uri);
    EXPECT_EQ(text.find(' '), std::string::npos);
    EXPECT_EQ(text.find('#'), std::string::npos);
    std::string problem;
    const auto back = ParseDeviceUri(text, problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(back->printer, uri.printer);
    EXPECT_EQ(back->root, uri.root);
    EXPECT_EQ(FormatDeviceUri({"Front Desk", "/r"}), "zorvaline://Front%20Desk?root=/r");
}

TEST(DeviceUri, BrokenOnesAreRefusedWithTheUriNamed)
{
    for (const char *text : {"socket://printer:9100", "zorvaline://?root=/r", "zorvaline:///?root=/r",
                             "zorvaline://Sales", "zorvaline://Sales?root=relative", "zorvaline://Sa%4?root=/r",
                             "zorvaline://Sa%00les?root=/r", "zorvaline://Sales?root=/r%zz"}) {
        std::string problem;
        EXPECT_FALSE(ParseDeviceUri(text, problem)) << text;
        EXPECT_NE(problem.find(text), std::string::npos) << problem;
    }
    std::string problem;
    const auto withOption = ParseDeviceUri("zorvaline://Sales/?later=1&root=/srv/zor", problem);
    ASSERT_TRUE(withOption) << problem;
    EXPECT_EQ(withOption->printer, "Sales");
    EXPECT_EQ(withOption->root, "/srv/zor");
}

TEST(QueueName, CharactersCupsRefusesOrShellsMindBecomeUnderscores)
{
    EXPECT_EQ(CupsQueueName("Front Desk"), "Front_Desk");
    EXPECT_EQ(CupsQueueName("R&D #2 (O'Neil)"), "R_D__2__O_Neil_");
    EXPECT_EQ(CupsQueueName("plain-name_1.0"), "plain-name_1.0");
    EXPECT_EQ(CupsQueueName(std::string(200, 'a')).size(), kMaxQueueName);
}

CupsQueue queue(const std::string &name, const std::string &printer, const std::string &root)
{
    DeviceUri uri{printer, root};
    return {name, FormatDeviceUri(uri), uri};
}

TEST(QueuePlan, OneQueuePerPrinterOfTheRootAndNoneForAPrinterThatIsGone)
{
    const std::vector<CupsQueue> queues = {
        queue("Front_Desk", "Front Desk", "/r"),   // stays (names compare without case)
        queue("Old_Name", "Old Name", "/r"),       // its printer was renamed
        queue("Other", "Other", "/elsewhere"),     // another root's: left alone
        {"laser", "ipp://laser.local/ipp/print", std::nullopt},
    };
    const QueuePlan plan = PlanQueues({"front desk", "New Name"}, queues, "/r");
    EXPECT_EQ(plan.upToDate, std::vector<std::string>{"Front_Desk"});
    EXPECT_EQ(plan.remove, std::vector<std::string>{"Old_Name"});
    ASSERT_EQ(plan.add.size(), 1u);
    EXPECT_EQ(plan.add[0].queue, "New_Name");
    EXPECT_EQ(plan.add[0].printer, "New Name");
    EXPECT_TRUE(plan.conflicts.empty());
}

TEST(QueuePlan, ANameTakenByAnotherQueueIsAConflictNotATakeover)
{
    const std::vector<CupsQueue> queues = {
        {"LASER", "ipp://laser.local/ipp/print", std::nullopt},
        queue("Sales", "Sales", "/other-root"),
        queue("Gone", "Gone", "/r"),
    };
    const QueuePlan plan = PlanQueues({"laser", "Sales", "A B", "A_B"}, queues, "/r");
    EXPECT_EQ(plan.remove, std::vector<std::string>{"Gone"});
    ASSERT_EQ(plan.conflicts.size(), 3u);
    EXPECT_NE(plan.conflicts[0].find("ipp://laser.local"), std::string::npos);
    EXPECT_NE(plan.conflicts[1].find("/other-root"), std::string::npos);
    EXPECT_NE(plan.conflicts[2].find("printer A B already"), std::string::npos);
    ASSERT_EQ(plan.add.size(), 1u);
    EXPECT_EQ(plan.add[0].printer, "A B");
}

TEST(DeliveryClass, UnreachableSilentOr4xxIsTransientEverythingElsePermanent)
{
    auto transient = [](SmtpResult result, int code) { return IsTransientSendFailure(static_cast<int>(result), code); };
    EXPECT_TRUE(transient(SmtpResult::NotConnected, 0));
    EXPECT_TRUE(transient(SmtpResult::GreetingRefused, 421));
    EXPECT_TRUE(transient(SmtpResult::GreetingRefused, 0)); // hung up or fell silent
    EXPECT_TRUE(transient(SmtpResult::RcptRefused, 450));
    EXPECT_TRUE(transient(SmtpResult::EndOfDataRefused, 452));
    EXPECT_FALSE(transient(SmtpResult::RcptRefused, 550));
    EXPECT_FALSE(transient(SmtpResult::MailRefused, 553));
    EXPECT_FALSE(transient(SmtpResult::DataRefused, 250)); // an answer that makes no sense
    EXPECT_FALSE(transient(SmtpResult::NotPrepared, 0));
    EXPECT_FALSE(transient(SmtpResult::NotResolved, 0));
    EXPECT_FALSE(transient(SmtpResult::ShutdownFailed, 0)); // the mail was accepted
    EXPECT_FALSE(transient(SmtpResult::Sent, 0));
    EXPECT_TRUE(transient(SmtpResult::TlsNotStarted, 454));  // TLS not available for now
    EXPECT_FALSE(transient(SmtpResult::TlsNotStarted, 0));   // not offered, or the handshake failed
    EXPECT_TRUE(transient(SmtpResult::LoginRefused, 454));
    EXPECT_FALSE(transient(SmtpResult::LoginRefused, 535));
    EXPECT_FALSE(transient(SmtpResult::CertificateRejected, 0));
    EXPECT_FALSE(transient(SmtpResult::MessageTooLarge, 0));
    EXPECT_FALSE(IsTransientSendFailure(99, 421)); // a result added later: permanent unless known
}

TEST(JobFormat, PostScriptAndPdfAreKnownByTheirFirstBytes)
{
    EXPECT_EQ(RecognizeJobFormat("%!PS-Adobe-3.0\n"), JobFormat::PostScript);
    EXPECT_EQ(RecognizeJobFormat("\x04%!PS\n"), JobFormat::PostScript);
    EXPECT_EQ(RecognizeJobFormat("\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS\n"), JobFormat::PostScript);
    EXPECT_EQ(RecognizeJobFormat("\x1b%-12345X@PJL ENTER LANGUAGE = PCL\n\x1b" "E"), JobFormat::Unknown);
    EXPECT_EQ(RecognizeJobFormat("%PDF-1.7\n"), JobFormat::Pdf);
    EXPECT_EQ(RecognizeJobFormat(std::string(500, '\0') + "%PDF-1.4"), JobFormat::Pdf);
    EXPECT_EQ(RecognizeJobFormat(std::string(1100, ' ') + "%PDF-1.4"), JobFormat::Unknown);
    EXPECT_EQ(RecognizeJobFormat(""), JobFormat::Empty);
    EXPECT_EQ(RecognizeJobFormat("Hello"), JobFormat::Unknown);
    EXPECT_EQ(RecognizeJobFormat("PS%!"), JobFormat::Unknown);
}

TEST(BackendUi, TextsBecomeOneLineForCups)
{
    EXPECT_EQ(OneLine("The Print Job not sent\n"), "The Print Job not sent");
    EXPECT_EQ(OneLine("  a\r\nb\x01 "), "a  b?");
}

} // namespace

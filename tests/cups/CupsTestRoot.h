// A Windows root with one destination ("Front Desk") on the destinations' port, the real
// chooser and a destination database naming it, and a recording SMTP server on 127.0.0.1:
// what a CUPS queue prints to. Helpers make PDF jobs and count the pages of what arrives.
#pragma once

#include "tests/e2e/ProgramRun.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <memory>
#include <set>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace cupstest {

using zortest::ProgramResult;
using zortest::RunProgram;

inline const std::string kBinDir = ZORVALINE_BIN_DIR;
inline const std::string kPrinter = "Front Desk";
inline const std::string kAddress = "frontdesk@print.example";
inline const std::string kPython = "/usr/bin/python3";

inline std::string backendPath()
{
    return kBinDir + "/backend/zorvaline";
}

// Pages Ghostscript renders from a PostScript or PDF file; -1 when it cannot.
inline int pageCount(const std::string &file)
{
    ProgramResult run = RunProgram({"/usr/bin/gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", file});
    if (run.exitCode != 0)
        return -1;
    int pages = 0;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);)
        pages += line.rfind("%%BoundingBox:", 0) == 0;
    return pages;
}

// A PDF of `pages` pages with text in two fonts and a grey-scale image on each, made by
// Ghostscript from PostScript.
inline void makePdf(const std::string &path, int pages)
{
    const std::string source = path + ".ps";
    std::ofstream ps(source);
    ps << "%!PS-Adobe-3.0\n";
    for (int page = 1; page <= pages; ++page) {
        ps << "/Helvetica findfont 24 scalefont setfont 72 720 moveto (Page " << page << " of the report) show\n"
           << "/Times-Roman findfont 12 scalefont setfont 72 690 moveto (Total = 100% \\(control\\004bytes\\)) show\n"
           << "gsave 72 400 translate 200 200 scale 16 16 8 [16 0 0 16 0 0] {<";
        for (int i = 0; i < 256; ++i)
            ps << "0123456789abcdef"[i % 16] << "0123456789abcdef"[(i / 16) % 16];
        ps << ">} image grestore showpage\n";
    }
    ps.close();
    ProgramResult run = RunProgram({"/usr/bin/gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite",
                                    "-sOutputFile=" + path, source});
    ASSERT_EQ(run.exitCode, 0) << run.output;
}

struct ArrivedMail {
    std::string recipient;
    std::string file;
};

// The mails the recording server stored, in arrival order.
inline std::vector<ArrivedMail> arrivedMails(const std::string &folder)
{
    std::vector<ArrivedMail> mails;
    std::ifstream index(folder + "/index");
    for (std::string line; std::getline(index, line);) {
        std::istringstream fields(line);
        std::string name;
        int connection = 0;
        ArrivedMail mail;
        fields >> name >> connection >> mail.recipient;
        mail.file = folder + "/" + name;
        mails.push_back(mail);
    }
    return mails;
}

// The job a mail carries, decoded from quoted-printable into `out`.
inline void decodeJob(const std::string &mail, const std::string &out)
{
    ProgramResult run = RunProgram(
        {kPython, "-c",
         "import email,sys\nm=email.message_from_binary_file(open(sys.argv[1],'rb'))\n"
         "open(sys.argv[2],'wb').write(m.get_payload(decode=True))",
         mail, out});
    ASSERT_EQ(run.exitCode, 0) << run.output;
}

class CupsTestRoot {
public:
    // Sets the root up; the SMTP server starts with startMailServer().
    void prepare()
    {
        chmod(root.path().c_str(), 0700);
        run({"setup"});
        root.writeFile(root.driveC("WINDOWS/SYSTEM/LASER.DRV"), "driver");
        root.writeFile(root.driveC("WINDOWS/SYSTEM/LASER.PPD"), "*PPD-Adobe: \"4.3\"\n");
        run({"drivers", "add", "Laser H7", "--driver", "LASER.DRV", "--data", "LASER.PPD"});
        run({"printers", "add", kPrinter, "--driver", "Laser H7", "--port", "ZORVALINE_INTERNET:"});
        root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"),
                       "[TitleName]\r\nGroupsTitle=Groups\r\nPrintersTitle=Printers\r\nDefaultItem=" + kPrinter +
                           "\r\nItemType=TRUE\r\n\r\n[ChoosersDatabaseSectionNames]\r\nTitleName=TitleName\r\n" +
                           kPrinter + "=" + kPrinter + "\r\n\r\n[" + kPrinter + "]\r\nPrinterName=" + kPrinter +
                           "\r\nPrinterDescription=\r\nPrinterDriver=Laser H7\r\nPrinterEmail=" + kAddress +
                           "\r\nPrinterPassword=\r\nDefaultRecipient=\r\nRecipientLocation=\r\n"
                           "LimitPacketSize=FALSE\r\nMaxPacketSizeInKb=4\r\nHeaderPage=FALSE\r\nTrailerPage=FALSE\r\n");
        const std::string comdef = root.driveC("ZORVALINE/VComDef.ini");
        std::ofstream(comdef, std::ios::app) << "[IntranetSetup]\r\nSmtpServer=127.0.0.1\r\nSenderEmail=office@example.test\r\n";
        std::filesystem::create_directories(mailFolder);
    }

    // Starts the recording server and points the root's services file at it.
    void startMailServer()
    {
        server = std::make_unique<zortest::ServerProcess>(std::vector<std::string>{
            kPython, std::string(ZORVALINE_SOURCE_DIR) + "/tests/support/recording_smtp_server.py", mailFolder});
        ASSERT_GT(server->port(), 0) << "the SMTP server did not start";
        zortest::WriteSmtpServicesFile(root, static_cast<uint16_t>(server->port()));
    }

    void stopMailServer() { server.reset(); }

    void run(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> command = {kBinDir + "/zorvaline"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ProgramResult result = RunProgram(command);
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }

    // Files left in the install folder beside those the root always holds.
    std::vector<std::string> leftovers() const
    {
        static const std::set<std::string> kept = {"selvra.exe", "sendaro.cfg", "vcomdef.ini", "vcomdef.ini.lock",
                                                   "vtemp.ini", "vtemp.ini.lock", "banner01.ps", "drivers"};
        std::vector<std::string> files;
        for (const auto &entry : std::filesystem::directory_iterator(root.driveC("ZORVALINE"))) {
            std::string name = entry.path().filename().string();
            for (char &c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!kept.count(name))
                files.push_back(entry.path().filename().string());
        }
        return files;
    }

    zortest::TempRoot root;
    std::string mailFolder = root.path() + "/mail";
    std::unique_ptr<zortest::ServerProcess> server;
};

} // namespace cupstest

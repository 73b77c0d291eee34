#include "manager/shell/CommandLine.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/ConfigurationFileCheck.h"
#include "manager/database/ConfigurationStrings.h"
#include "manager/database/ImportHost.h"
#include "manager/database/InstallPaths.h"
#include "manager/database/ManagerStrings.h"
#include "manager/shell/DestinationListPrinter.h"
#include "manager/shell/ShellStrings.h"
#include "manager/shell/SingleInstance.h"
#include "manager/shell/SpoolerPrinters.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"

#include <QDir>
#include <QLockFile>
#include <QPrinter>

#include <cstdio>
#include <filesystem>

namespace sendaro {

const char kCommandLineUsage[] =
    "Usage: sendaro [DATABASE]\n"
    "       sendaro --import FILE.ZOR\n"
    "       sendaro --export FILE.ZOR [--printer NAME | --group NAME]\n"
    "       sendaro --print-listing FILE.pdf\n"
    "\n"
    "Sendaro keeps the destination database of Zorvaline (the Internet printers, with their\n"
    "e-mail addresses, drivers and settings, and the groups of printers) and one Windows\n"
    "printer per destination on the port ZORVALINE_INTERNET:. Every change is saved at once.\n"
    "\n"
    "Without options it opens the window on Sendaro.Cfg of the installation directory\n"
    "([Install] Directory of Varnel.ini), creating it when missing, or on DATABASE. Only one\n"
    "Sendaro window runs per Windows root; a second start brings the first one to the front.\n"
    "\n"
    "Without a window (no display needed), on the installation's database:\n"
    "  --import FILE.ZOR       merge a configuration file, as File > Import does: a printer\n"
    "                          or group whose name is taken, whose driver is not installed\n"
    "                          or whose sub-groups collide with the database is refused, and\n"
    "                          printed on standard error as \"name: message\"; every accepted\n"
    "                          printer, and every accepted group with members, gets its\n"
    "                          Windows printer; a file of more than 150 printers (50 groups)\n"
    "                          imports none of them. A damaged file is refused whole. The\n"
    "                          database is saved at the end. Not while a Sendaro window is\n"
    "                          open on the root (it would overwrite the import).\n"
    "  --export FILE.ZOR       write the whole database as a configuration file, replacing\n"
    "                          FILE.ZOR in one step\n"
    "    --printer NAME        only that printer\n"
    "    --group NAME          only that group, its sub-groups (all levels) and the printers\n"
    "                          of the group and of its direct sub-groups\n"
    "  --print-listing FILE.pdf  write the printed listing (groups 8 a page, then printers\n"
    "                          5 a page) to a PDF file\n"
    "Export and listing only read the database, also while a window is open.\n"
    "\n"
    "Exit status of these forms: 0 done (every record imported); 1 the import refused some\n"
    "records; 2 bad usage, a corrupted file, a database that cannot be opened or saved, a\n"
    "window holding the root (import), nothing to export, or a file that cannot be written.\n"
    "\n"
    "Environment:\n"
    "  ZORVALINE_ROOT    the Windows root (default ${XDG_DATA_HOME:-$HOME/.local/share}/zorvaline)\n"
    "  ZORVALINE_UI      headless: message boxes answer with their default button\n"
    "  ZORVALINE_UI_LOG  a file that gets one JSON line per message box\n"
    "\n"
    "Options:\n"
    "  -h, --help        show this text\n"
    "      --version     show the version\n";

namespace {

CommandLine invalid(std::string error)
{
    CommandLine command;
    command.mode = CommandLine::Mode::Invalid;
    command.error = std::move(error);
    return command;
}

// The spooler straight, for an import without a tree.
class ConsoleImportHost : public ImportHost {
public:
    explicit ConsoleImportHost(std::ostream &err) : m_err(err) {}

    int AddWindowsPrinter(const std::string &driver, const std::string &name) override
    {
        if (driver.empty())
            return 0;
        HANDLE printer = CreateDestinationPrinter(driver, name);
        if (!printer) {
            m_lastError = GetLastError();
            return 0;
        }
        ClosePrinter(printer);
        return 1;
    }
    DWORD LastSpoolerError() const override { return m_lastError; }
    void ShowMessage(const std::string &text) override { m_err << "sendaro: " << text << '\n'; }
    void ShowImportErrors(const std::vector<ImportErrorItem> &errors) override
    {
        for (const ImportErrorItem &error : errors)
            m_err << error.itemName << ": " << error.message << '\n';
    }

private:
    std::ostream &m_err;
    DWORD m_lastError = 0;
};

std::string databasePath()
{
    return zordb::InstallFilePath(zordb::kDatabaseFileName, zordb::kInstallDirectoryBufferAtOpen);
}

// The database read as it is, without registering the monitor or rewriting the file, so a
// window open on the root keeps its saves. A missing database reads as an empty one.
bool openForReading(CChooserDoc &doc, std::ostream &err)
{
    const std::string path = databasePath();
    const std::string file = zorplat::ToLinuxPath(path);
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored)) {
        CDatabaseReader reader;
        if (!reader.CheckDatabaseFile(path)) {
            err << "sendaro: " << file << ": " << zordb::ManagerString(zordb::IDS_DATABASE_CORRUPTED) << '\n';
            return false;
        }
        if (!doc.OnOpenDocument(path)) {
            err << "sendaro: " << file << " cannot be read\n";
            return false;
        }
    }
    doc.SetDatabasePath(path);
    doc.SetPathName(path);
    return true;
}

int runImport(const CommandLine &command, std::ostream &err)
{
    // The window's lock: a window would write its own copy of the database over the import
    // at its next save, and none may start while the import runs.
    const QString root = QString::fromStdString(zorplat::RootDirectory());
    QDir().mkpath(root);
    QLockFile lock(SingleInstance::LockFilePath(root));
    if (!lock.tryLock(0)) {
        err << "sendaro: a Sendaro window is open on the Windows root " << root.toStdString()
            << "; close it, then import again\n";
        return kCommandFailed;
    }
    // A damaged file is refused before the database is even opened, so its file stays
    // exactly as it was.
    if (const zordb::CheckResult check = zordb::CheckConfigurationFile(command.file); !check.accepted) {
        err << "sendaro: " << zordb::ManagerString(zordb::IDS_IMPORT_CORRUPTED) << ' ' << check.text << '\n';
        return kCommandFailed;
    }
    CChooserDoc doc;
    if (!doc.OnNewDocument()) {
        err << "sendaro: the database " << zorplat::ToLinuxPath(databasePath()) << " cannot be opened\n";
        return kCommandFailed;
    }
    ConsoleImportHost host(err);
    const ImportOutcome outcome = doc.ImportFile(command.file, host);
    if (outcome == ImportOutcome::Corrupted)
        return kCommandFailed;
    if (!doc.OnSaveDocument(doc.DatabasePath())) {
        err << "sendaro: " << zordb::ManagerString(IDS_IMPORT_FAILED) << ": the database "
            << zorplat::ToLinuxPath(doc.DatabasePath()) << " cannot be written (error " << GetLastError() << ")\n";
        return kCommandFailed;
    }
    return outcome == ImportOutcome::AllImported ? kCommandDone : kCommandRefused;
}

int runExport(const CommandLine &command, std::ostream &err)
{
    CChooserDoc doc;
    if (!openForReading(doc, err))
        return kCommandFailed;
    if (doc.Printers().empty() && doc.Groups().empty()) {
        err << "sendaro: " << zordb::ManagerString(zordb::IDS_EXPORT_EMPTY) << '\n';
        return kCommandFailed;
    }
    const bool complete = command.printer.empty() && command.group.empty();
    const bool isPrinter = !command.printer.empty();
    const std::string &name = isPrinter ? command.printer : command.group;
    if (!complete && !(isPrinter ? static_cast<bool>(doc.FindPrinter(name)) : static_cast<bool>(doc.FindGroup(name)))) {
        err << "sendaro: the database has no " << (isPrinter ? "printer" : "group") << " named \"" << name << "\"\n";
        return kCommandFailed;
    }
    if (!doc.ExportTo(command.file, complete, isPrinter, name)) {
        err << "sendaro: " << zordb::FormatString(zordb::IDS_EXPORT_NOT_WRITTEN, {command.file, "error " + std::to_string(GetLastError())})
            << '\n';
        return kCommandFailed;
    }
    return kCommandDone;
}

int runPrintListing(const CommandLine &command, std::ostream &err)
{
    CChooserDoc doc;
    if (!openForReading(doc, err))
        return kCommandFailed;
    // Written beside the target and renamed over it, so a failed run leaves no half PDF.
    const std::string partial = command.file + ".part";
    bool printed;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(partial));
        printer.setDocName(QString::fromStdString(zordb::ManagerString(zordb::IDS_PRINT_JOB_TITLE)));
        printed = DestinationListPrinter(doc).Print(printer);
    }
    if (!printed || std::rename(partial.c_str(), command.file.c_str()) != 0) {
        std::remove(partial.c_str());
        err << "sendaro: the listing cannot be written to " << command.file << '\n';
        return kCommandFailed;
    }
    return kCommandDone;
}

} // namespace

CommandLine CommandLine::Parse(const std::vector<std::string> &arguments)
{
    CommandLine command;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        auto value = [&](std::string &into) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return false;
            into = arguments[++i];
            return true;
        };
        auto setMode = [&](Mode mode) {
            if (command.mode != Mode::Window)
                return false;
            command.mode = mode;
            return value(command.file);
        };
        if (argument == "-h" || argument == "--help") {
            CommandLine help;
            help.mode = Mode::Help;
            return help;
        }
        if (argument == "--import" || argument == "--export" || argument == "--print-listing") {
            const Mode mode = argument == "--import" ? Mode::Import
                              : argument == "--export" ? Mode::Export
                                                       : Mode::PrintListing;
            if (!setMode(mode))
                return invalid(command.mode == mode ? argument + " needs a file name"
                                                    : "one of --import, --export and --print-listing at a time");
        } else if (argument == "--printer" || argument == "--group") {
            if (!command.printer.empty() || !command.group.empty())
                return invalid("--printer and --group: one of them, once");
            if (!value(argument == "--printer" ? command.printer : command.group))
                return invalid(argument + " needs a name");
        } else if (!argument.empty() && argument[0] == '-') {
            return invalid("unknown option " + argument);
        } else if (command.database.empty()) {
            command.database = argument;
        } else {
            return invalid("one database at most");
        }
    }
    if ((!command.printer.empty() || !command.group.empty()) && command.mode != Mode::Export)
        return invalid("--printer and --group go with --export");
    if (command.Headless() && !command.database.empty())
        return invalid("--import, --export and --print-listing work on the installation's database; "
                       "no DATABASE argument");
    return command;
}

int RunHeadless(const CommandLine &command, std::ostream &err)
{
    switch (command.mode) {
    case CommandLine::Mode::Import:
        return runImport(command, err);
    case CommandLine::Mode::Export:
        return runExport(command, err);
    case CommandLine::Mode::PrintListing:
        return runPrintListing(command, err);
    default:
        return kCommandFailed;
    }
}

} // namespace sendaro

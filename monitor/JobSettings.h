// The settings the monitor reads (and the few it writes) for every job. The monitor keeps no
// configuration of its own: each value is read fresh through the profile functions at the
// moment it is used, with its default and through a buffer of its fixed length, so a longer
// value is cut to length - 1 characters exactly as the manager and the chooser expect.
//
// Paths are Windows paths ("C:\ZORVALINE\VComDef.ini"); the install directory is looked up in
// Varnel.ini again every time a path is formed, and is used exactly as stored (no separator
// added or removed). With no install directory every file is "\" + name, on the current drive.
#pragma once

#include <string>
#include <string_view>

namespace zormon {

// Buffer lengths the values are read through (the value is cut to length - 1 characters).
constexpr unsigned kInstallDirectoryLength = 100;
constexpr unsigned kShortValueLength = 100;   // SmtpServer, SenderEmail, Split, Password, Subject, StatusRequired
constexpr unsigned kLongValueLength = 120;    // Database, App, Header, Trailer, Recipient, RcptLocation, PrintJob
constexpr unsigned kAddressListLength = 10000;
// The submission settings (port, security, login, CA file): the manager's edits take 255
// characters, and a password or a path cut short would fail in a way nobody could see.
constexpr unsigned kSubmissionValueLength = 256;

// --- files -------------------------------------------------------------------------------
std::string VarnelIniPath();                    // system directory + "\Varnel.ini"
std::string InstallDirectory();                 // [Install] Directory of Varnel.ini, default ""
std::string InstallPath(std::string_view name); // install directory + "\" + name
std::string VComDefPath();                      // ... "\VComDef.ini"
std::string VTempPath();                        // ... "\VTemp.ini"
std::string ChooserPath();                      // ... "\Selvra.exe"
std::string BannerTemplatePath();               // ... "\banner01.ps"

// --- communication setup and job options -------------------------------------------------
std::string SmtpServer();          // [IntranetSetup] SmtpServer
std::string SenderEmail();         // [IntranetSetup] SenderEmail
std::string SmtpPort();            // [IntranetSetup] SmtpPort, "" for the services file's smtp entry
std::string SmtpSecurity();        // [IntranetSetup] SmtpSecurity, "" (none), "none", "starttls" or "tls"
std::string SmtpUser();            // [IntranetSetup] SmtpUser, "" for no login
std::string SmtpPassword();        // [IntranetSetup] SmtpPassword
std::string SmtpCaFile();          // [IntranetSetup] SmtpCaFile, an extra CA bundle (Windows or Linux path)
std::string DatabasePath();        // [DefaultSetup] Database
bool ChooserConfirmed();           // [Selvra] App is "TRUE" (any case)
std::string DestinationAddresses();// [Destination] Address of VTemp.ini
std::string DefaultSubject();      // [HeaderFooter] Subject
std::string StatusRequired();      // [HeaderFooter] StatusRequired, default "0"

// --- per destination address (section = the address itself) ------------------------------
std::string Split(std::string_view address);        // default "0"
bool HeaderWanted(std::string_view address);        // Header is "TRUE" (any case)
bool TrailerWanted(std::string_view address);       // Trailer is "TRUE" (any case)
std::string Password(std::string_view address);
std::string Subject(std::string_view address);      // the address's Subject, else DefaultSubject()
std::string Recipient(std::string_view address);
std::string RcptLocation(std::string_view address); // default " "

// --- the job's facts, as StartDocPort wrote them --------------------------------------------
std::string JobUserName();         // [PrintJob] UserName
std::string JobDocumentName();     // [PrintJob] FileName
std::string JobComputerName();     // [PrintJob] ComputerName

struct PrintJobFacts {
    std::string printerName;
    std::string fileName;
    std::string userName;
    std::string computerName;
    std::string date; // MM/DD/YY
    std::string time; // HH:MM:SS
};

// --- writes --------------------------------------------------------------------------------
// Section PrintJob of VComDef.ini, every StartDocPort, in one commit. False, with nothing
// written, when a value is refused (a line break) or the file cannot be written.
bool WritePrintJob(const PrintJobFacts &facts);
// [Destination] File of VTemp.ini, before the chooser starts.
bool WriteSpoolFilePath(std::string_view spoolPath);
// Empties [Destination] Address of VTemp.ini, so nothing is sent.
bool ClearDestinationAddresses();
// Password, Notes and Subject of the address become empty (the keys stay): they are
// one-shot values, set by whoever wants them used for one job.
bool ClearOneShotKeys(std::string_view address);

// "TRUE" in any case; every other value means no.
bool IsTrue(std::string_view value);

} // namespace zormon

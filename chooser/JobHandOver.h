// The chooser's side of the exchange with the monitor: what the monitor wrote for the job
// (VComDef.ini [PrintJob], [DefaultSetup], [HeaderFooter]) and what the chooser answers
// (VTemp.ini [Destination] Address, the per-address sections of VComDef.ini, [Selvra] App).
// Both files lie in the install directory of Varnel.ini.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace selvra {

// One address's settings for this job, as the monitor reads them from the address's section.
struct AddressSettings {
    std::string address;
    std::string printer;  // the printer that gave the settings; not written
    std::string split;    // kilobytes per piece; "0" for whole mails
    bool header = false;
    bool trailer = false;
    std::string password;
    std::string subject;  // empty: the monitor takes [HeaderFooter] Subject
    std::string recipient;
    std::string recipientLocation;
};

struct JobFacts {
    std::string printerName;    // [PrintJob] PrinterName
    std::string documentName;   // [PrintJob] FileName
    std::string databasePath;   // [DefaultSetup] Database
    std::string defaultSubject; // [HeaderFooter] Subject
};

// The monitor reads [Destination] Address through 10000 bytes; a longer list would be cut
// inside an address, and the job mailed to a mangled one.
constexpr std::size_t kAddressListMaxLength = 9999;

// The addresses joined by commas, without blanks: the value of [Destination] Address.
std::string JoinAddresses(const std::vector<AddressSettings> &addresses);

class JobHandOver {
public:
    // Locates VComDef.ini and VTemp.ini through Varnel.ini.
    JobHandOver();

    const std::string &VComDefPath() const { return m_vcomdefPath; }
    const std::string &VTempPath() const { return m_vtempPath; }

    JobFacts ReadJobFacts() const;

    // [Selvra] App = "FALSE": the job is dropped. Written first of all, so that a chooser
    // that stops half-way never leaves an earlier job's "TRUE" behind. False when the file
    // cannot be written (the last error says why).
    bool Decline() const;

    // Writes the addresses, comma-joined, into VTemp.ini, then each address's settings and
    // [Selvra] App = "TRUE" into VComDef.ini in one atomic replacement: the monitor sees
    // either the whole answer or App still "FALSE". False when a file cannot be written.
    bool Confirm(const std::vector<AddressSettings> &addresses) const;

private:
    std::string m_vcomdefPath;
    std::string m_vtempPath;
};

} // namespace selvra

// Ids of the monitor's string table (resources/zormon.strings), named after their use. The
// numbers are the original ones, so a text can be found by the id in a log or a report.
#pragma once

#include "platform/base/windef.h"

namespace MonitorString {

// Captions.
constexpr UINT MonitorCaption = 500;    // "Zorvaline Internet Port Monitor"
constexpr UINT InternetPort = 506;      // "Zorvaline Internet Port" (caption and port description)
constexpr UINT PrintManager = 700;      // "Print Manager"
constexpr UINT PrintSuccess = 321;      // "Print Success"

// Port operations.
constexpr UINT PortExists = 502;          // "Port %s already exists."
constexpr UINT NothingToConfigure = 503;  // "There is nothing to configure for this port."
constexpr UINT UnknownPort = 504;         // "Unknown Port"
constexpr UINT FileOnDisk = 505;          // "Creates a File on Disk"

// Job and delivery.
constexpr UINT CannotLaunch = 306;         // chooser could not be started
constexpr UINT SocketsError = 307;         // "Windows Sockets Error: Could not send printjob."
constexpr UINT CannotConnect = 308;        // "... Could not connect to SMTP Server - %s."
constexpr UINT NoRecipient = 309;          // "No Recipient Specified: Printjob not sent."
constexpr UINT NoSender = 310;             // sender missing or without '@'
constexpr UINT NoSmtpServer = 311;         // "No SMTP Server Specified ..."
constexpr UINT CannotResolvePort = 312;    // "Network Error: Could not resolve SMTP Port."
constexpr UINT CannotResolveHost = 313;    // "... Could not resolve SMTP Hostname - %s."
constexpr UINT CannotReadBody = 315;       // "System Error: Could not retrieve printjob."
constexpr UINT NoMemory = 316;             // "System Error: Cannot allocate space."
constexpr UINT CannotOpenSpool = 317;      // "Cannot open swap files,please close some files."
constexpr UINT CannotOpenDatabase = 318;   // "Cannot open the configuration Database."
constexpr UINT JobSent = 319;              // "The Print Job was successfully sent"
constexpr UINT JobNotSent = 320;           // "The Print Job not sent"

// SMTP conversation.
constexpr UINT ConnectionLost = 1000;      // greeting not 220
constexpr UINT HandshakeFailed = 1001;     // HELO not accepted
constexpr UINT FromRefused = 1002;         // MAIL not accepted
constexpr UINT ToRefused = 1003;           // RCPT not accepted
constexpr UINT DataBeginRefused = 1004;    // DATA not accepted
constexpr UINT DataEndRefused = 1005;      // end of data not accepted
constexpr UINT TlsNotStarted = 1006;       // STARTTLS refused or not offered, TLS handshake failed
constexpr UINT CertificateRejected = 1007; // certificate not trusted, or for another host
constexpr UINT LoginFailed = 1008;         // AUTH refused, impossible, or not safe to send
constexpr UINT MessageTooLarge = 1009;     // larger than the server's SIZE
constexpr UINT SettingInvalid = 1010;      // SmtpPort or SmtpSecurity not understood

// Work files.
constexpr UINT TrailerNotFound = 2000;     // "Trailer File not Found"
constexpr UINT CannotAppendTrailer = 2002; // "Could not append Trailer to file"
constexpr UINT CannotReadHeader = 2003;    // "Could not read from the header file"
constexpr UINT CannotReadPrintFile = 2004; // "Could not read from print file"
constexpr UINT CannotWritePrintFile = 2005;// "Could not write to print file"
constexpr UINT CannotCopyToTemp = 2006;    // "Could not copy print job to temp file"
constexpr UINT CannotCreateTemp = 2007;    // "Could not create temp file"
constexpr UINT CannotOpenHeader = 2008;    // "Could not open Header file"
constexpr UINT CannotOpenTrailer = 2009;   // "Could not open Trailer file"
constexpr UINT CannotCreateEncoded = 2010; // "Could not create encoded file"
constexpr UINT JobSizeZero = 2011;         // "Print Job size Zero"
constexpr UINT CannotCreateJob = 2012;     // "Cannot create print Job"
constexpr UINT CannotReadTrailer = 2013;   // "could not read from trailer"

} // namespace MonitorString

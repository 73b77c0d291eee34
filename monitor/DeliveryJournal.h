// The delivery journal: one JSON line per address of every job, and per status request,
// in the root (delivery-journal.jsonl), so a user can see what went where. Owner-only, and
// appended with one write under a lock, so lines of two processes never mix. It never
// holds a password or anything of the login.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zormon {

struct JournalEntry {
    std::string time;      // UTC, "2026-12-08T15:10:49Z"
    std::string kind;      // "job" or "status"
    std::string job;       // the spool file's number; "" for a status request
    std::string messageId; // "G12345"
    std::string document;  // the document name the application gave; "" for a status request
    std::string printer;   // the Windows printer; "" for a status request
    std::string address;
    int piece = 1;         // the last piece tried (k)
    int pieces = 1;        // N; 1 when the job went whole
    uint64_t bytes = 0;    // mail text on the wire
    int result = 0;        // the SMTP client's result, 0 sent
    std::string reply;     // on failure: what went wrong and the server's reply line
};

// <root>/delivery-journal.jsonl
std::string JournalPath();

// The time now, as the journal writes it.
std::string JournalTime();

// Appends the entry as one line. False when the journal cannot be written (a diagnostic
// line says why); a delivery goes on regardless.
bool AppendJournal(const JournalEntry &entry);

// The entry of one line; nullopt when the line is not one the journal writes.
std::optional<JournalEntry> ParseJournalLine(const std::string &line);
std::string JournalLine(const JournalEntry &entry);

} // namespace zormon

// An SMTP server on 127.0.0.1 for the fault cases a real server will not produce on demand:
// replies chosen per stage (refusals, multi-line replies, replies cut into single bytes with
// pauses), a server that never answers, and one that hangs up mid-conversation or
// mid-DATA. It serves one connection at a time on a thread of its own, records every
// command and every mail text, and stops (closing any connection) when destroyed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace zortest {

class TempRoot;

enum class SmtpStage { Greeting, Helo, Mail, Rcpt, Data, EndOfData, Quit };

// What the server does on one connection. Stages without an entry get the usual
// acceptance (220, 250, 354, 250, 221).
struct SmtpScript {
    std::map<SmtpStage, std::string> replies; // raw reply text with its CR LF; may be several lines
    std::set<SmtpStage> silent;               // no answer at all at these stages
    std::optional<SmtpStage> hangUpAt;        // the connection is closed instead of answering
    std::optional<size_t> hangUpAfterDataBytes; // closed once this much mail text has arrived
    std::chrono::milliseconds byteDelay{0};   // > 0: replies go out one byte at a time, this far apart

    SmtpScript &reply(SmtpStage stage, std::string text);
    SmtpScript &silentAt(SmtpStage stage);
    SmtpScript &hangUp(SmtpStage stage);
    SmtpScript &hangUpAfterData(size_t bytes);
    SmtpScript &bytesApart(std::chrono::milliseconds delay);
};

class ScriptedSmtpServer {
public:
    ScriptedSmtpServer();
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer &) = delete;
    ScriptedSmtpServer &operator=(const ScriptedSmtpServer &) = delete;

    uint16_t port() const { return m_port; }

    // Each new connection takes the next queued script; when none is queued, the default
    // script (initially: accept everything).
    void queueScript(SmtpScript script);
    void setDefaultScript(SmtpScript script);

    // Every command line received (without CR LF), in order, over all connections.
    std::vector<std::string> commands() const;
    // The commands that begin with `verb` (any case), e.g. "MAIL".
    std::vector<std::string> commandsStartingWith(const std::string &verb) const;
    // The mail text of every DATA that was ended, with the dot transparency undone (RFC 5321,
    // section 4.5.2); the CR LF that ends its last line is part of it.
    std::vector<std::string> messages() const;
    // Connections accepted so far.
    int connections() const;
    // True once no connection is open (the client has closed its end, or the server hung
    // up), waiting at most `limit`.
    bool waitUntilIdle(std::chrono::milliseconds limit) const;

private:
    void run();
    void serve(int connection, const SmtpScript &script);
    // Answers for `stage` as the script says; false when the connection is over.
    bool answer(int connection, const SmtpScript &script, SmtpStage stage);
    bool stopping() const;

    int m_listener = -1;
    int m_stopPipe[2] = {-1, -1};
    uint16_t m_port = 0;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<SmtpScript> m_queued;
    SmtpScript m_default;
    std::vector<std::string> m_commands;
    std::vector<std::string> m_messages;
    int m_connections = 0;
    bool m_connected = false;
};

// Writes the root's Windows Sockets services file (C:\WINDOWS\SERVICES) so that the service
// "smtp" is `port`/tcp.
void WriteSmtpServicesFile(const TempRoot &root, uint16_t port);

} // namespace zortest

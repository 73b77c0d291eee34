#include "tests/support/ScriptedSmtpServer.h"

#include "tests/support/TempRoot.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zortest {

namespace {

const std::map<SmtpStage, std::string> kAcceptance = {
    {SmtpStage::Greeting, "220 scripted.test ESMTP ready\r\n"},
    {SmtpStage::Helo, "250 scripted.test\r\n"},
    {SmtpStage::Mail, "250 2.1.0 Ok\r\n"},
    {SmtpStage::Rcpt, "250 2.1.5 Ok\r\n"},
    {SmtpStage::Data, "354 End data with <CR><LF>.<CR><LF>\r\n"},
    {SmtpStage::EndOfData, "250 2.0.0 Ok: queued\r\n"},
    {SmtpStage::Quit, "221 2.0.0 Bye\r\n"},
};

bool startsWithVerb(const std::string &line, const char *verb)
{
    size_t length = std::char_traits<char>::length(verb);
    return line.size() >= length && strncasecmp(line.c_str(), verb, length) == 0 &&
           (line.size() == length || line[length] == ' ' || line[length] == ':');
}

std::optional<SmtpStage> stageOf(const std::string &command)
{
    if (startsWithVerb(command, "HELO") || startsWithVerb(command, "EHLO"))
        return SmtpStage::Helo;
    if (startsWithVerb(command, "MAIL"))
        return SmtpStage::Mail;
    if (startsWithVerb(command, "RCPT"))
        return SmtpStage::Rcpt;
    if (startsWithVerb(command, "DATA"))
        return SmtpStage::Data;
    if (startsWithVerb(command, "QUIT"))
        return SmtpStage::Quit;
    return std::nullopt;
}

bool sendAll(int connection, const std::string &text)
{
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = ::send(connection, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

SmtpScript &SmtpScript::reply(SmtpStage stage, std::string text)
{
    replies[stage] = std::move(text);
    return *this;
}

SmtpScript &SmtpScript::silentAt(SmtpStage stage)
{
    silent.insert(stage);
    return *this;
}

SmtpScript &SmtpScript::hangUp(SmtpStage stage)
{
    hangUpAt = stage;
    return *this;
}

SmtpScript &SmtpScript::hangUpAfterData(size_t bytes)
{
    hangUpAfterDataBytes = bytes;
    return *this;
}

SmtpScript &SmtpScript::bytesApart(std::chrono::milliseconds delay)
{
    byteDelay = delay;
    return *this;
}

ScriptedSmtpServer::ScriptedSmtpServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0 || ::pipe2(m_stopPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("scripted SMTP server: no socket");
    int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("scripted SMTP server: cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedSmtpServer::~ScriptedSmtpServer()
{
    char stop = 's';
    (void)!::write(m_stopPipe[1], &stop, 1);
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listener);
    ::close(m_stopPipe[0]);
    ::close(m_stopPipe[1]);
}

void ScriptedSmtpServer::queueScript(SmtpScript script)
{
    std::lock_guard lock(m_mutex);
    m_queued.push_back(std::move(script));
}

void ScriptedSmtpServer::setDefaultScript(SmtpScript script)
{
    std::lock_guard lock(m_mutex);
    m_default = std::move(script);
}

std::vector<std::string> ScriptedSmtpServer::commands() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<std::string> ScriptedSmtpServer::commandsStartingWith(const std::string &verb) const
{
    std::vector<std::string> found;
    for (const std::string &command : commands())
        if (startsWithVerb(command, verb.c_str()))
            found.push_back(command);
    return found;
}

std::vector<std::string> ScriptedSmtpServer::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

int ScriptedSmtpServer::connections() const
{
    std::lock_guard lock(m_mutex);
    return m_connections;
}

bool ScriptedSmtpServer::waitUntilIdle(std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [this] { return !m_connected; });
}

bool ScriptedSmtpServer::stopping() const
{
    pollfd stop{m_stopPipe[0], POLLIN, 0};
    return ::poll(&stop, 1, 0) > 0;
}

void ScriptedSmtpServer::run()
{
    for (;;) {
        pollfd waits[2] = {{m_listener, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents)
            return;
        if (!(waits[0].revents & POLLIN))
            continue;
        int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        int on = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        SmtpScript script;
        {
            std::lock_guard lock(m_mutex);
            ++m_connections;
            m_connected = true;
            if (m_queued.empty()) {
                script = m_default;
            } else {
                script = std::move(m_queued.front());
                m_queued.pop_front();
            }
        }
        serve(connection, script);
        ::close(connection);
        {
            std::lock_guard lock(m_mutex);
            m_connected = false;
        }
        m_changed.notify_all();
    }
}

bool ScriptedSmtpServer::answer(int connection, const SmtpScript &script, SmtpStage stage)
{
    if (script.hangUpAt == stage)
        return false;
    if (script.silent.count(stage))
        return true;
    auto scripted = script.replies.find(stage);
    const std::string &text = scripted != script.replies.end() ? scripted->second : kAcceptance.at(stage);
    if (script.byteDelay.count() == 0)
        return sendAll(connection, text);
    for (char byte : text) {
        if (stopping() || !sendAll(connection, std::string(1, byte)))
            return false;
        std::this_thread::sleep_for(script.byteDelay);
    }
    return true;
}

void ScriptedSmtpServer::serve(int connection, const SmtpScript &script)
{
    if (!answer(connection, script, SmtpStage::Greeting))
        return;
    std::string received;
    bool inData = false;
    std::string message;
    size_t dataBytes = 0;
    for (;;) {
        pollfd waits[2] = {{connection, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents)
            return;
        if (!waits[0].revents)
            continue;
        char chunk[65536];
        ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        received.append(chunk, static_cast<size_t>(n));
        if (inData) {
            dataBytes += static_cast<size_t>(n);
            if (script.hangUpAfterDataBytes && dataBytes >= *script.hangUpAfterDataBytes)
                return;
        }

        size_t start = 0;
        for (size_t end; (end = received.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = received.substr(start, end + 1 - start);
            if (inData) {
                if (line == ".\r\n" || line == ".\n") {
                    inData = false;
                    {
                        std::lock_guard lock(m_mutex);
                        m_messages.push_back(message);
                    }
                    message.clear();
                    if (!answer(connection, script, SmtpStage::EndOfData))
                        return;
                    continue;
                }
                message.append(line, line[0] == '.' ? 1 : 0); // RFC 5321, section 4.5.2
                continue;
            }
            std::string command = line.substr(0, line.find_last_not_of("\r\n") + 1);
            {
                std::lock_guard lock(m_mutex);
                m_commands.push_back(command);
            }
            std::optional<SmtpStage> stage = stageOf(command);
            if (!stage) {
                if (!sendAll(connection, "500 5.5.2 Error: command not recognized\r\n"))
                    return;
                continue;
            }
            if (!answer(connection, script, *stage) || *stage == SmtpStage::Quit)
                return;
            if (*stage == SmtpStage::Data) {
                auto scripted = script.replies.find(SmtpStage::Data);
                inData = !script.silent.count(SmtpStage::Data) &&
                         (scripted == script.replies.end() || scripted->second.rfind("354", 0) == 0);
                dataBytes = received.size() - (end + 1);
            }
        }
        received.erase(0, start);
    }
}

void WriteSmtpServicesFile(const TempRoot &root, uint16_t port)
{
    root.writeFile(root.driveC("WINDOWS/SERVICES"),
                   "# Windows Sockets services file of the test root\r\n"
                   "echo 7/tcp\r\n"
                   "smtp " + std::to_string(port) + "/tcp mail\r\n");
}

} // namespace zortest

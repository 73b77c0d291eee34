// A minimal SMTP responder on 127.0.0.1 for delivery benchmarks: it answers every command at
// once (220, 250, 354, 221), discards the mail text, and notes when each connection began
// and when its last end of data was acknowledged, so that a sender's transfer time is seen
// from the server's side, the same way for every sender. Given a certificate and its key it
// offers STARTTLS (RFC 3207) too, and after it reads and answers through TLS.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

struct ssl_ctx_st;

class SinkSmtpServer {
public:
    SinkSmtpServer(const std::string &certificateFile = "", const std::string &keyFile = "");
    ~SinkSmtpServer();
    SinkSmtpServer(const SinkSmtpServer &) = delete;
    SinkSmtpServer &operator=(const SinkSmtpServer &) = delete;

    uint16_t port() const { return m_port; }

    // Forgets the figures of earlier transfers.
    void reset();
    // Seconds from the first connection accepted since reset() to the last end of data acknowledged.
    double transferSeconds() const;
    // Mail text bytes received since reset(), the end-of-data lines not counted.
    uint64_t dataBytes() const;
    int messages() const;

private:
    void run();
    void serve(int connection);

    ssl_ctx_st *m_tls = nullptr;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    bool m_started = false;
    std::chrono::steady_clock::time_point m_firstAccept;
    std::chrono::steady_clock::time_point m_lastDataEnd;
    uint64_t m_dataBytes = 0;
    int m_messages = 0;
};

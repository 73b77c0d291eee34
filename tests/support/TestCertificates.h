// A test CA and server certificates made with the openssl command, for TLS servers on
// loopback: one certificate for "localhost" and 127.0.0.1, one for another host name, both
// signed by the test CA (which no system store trusts). The folder is removed with the
// object.
#pragma once

#include <string>

namespace zortest {

class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates &) = delete;
    TestCertificates &operator=(const TestCertificates &) = delete;

    bool made() const { return m_made; }
    std::string caFile() const { return m_folder + "/ca.pem"; }
    std::string serverCertificate() const { return m_folder + "/localhost.pem"; }
    std::string serverKey() const { return m_folder + "/localhost.key"; }
    std::string otherHostCertificate() const { return m_folder + "/other.pem"; }
    std::string otherHostKey() const { return m_folder + "/other.key"; }

private:
    bool issue(const std::string &name, const std::string &subjectAltName);

    std::string m_folder;
    bool m_made = false;
};

} // namespace zortest

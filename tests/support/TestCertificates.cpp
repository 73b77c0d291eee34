#include "tests/support/TestCertificates.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zortest {

namespace {

bool run(const std::string &command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Elliptic-curve keys: quick to make, so every test program can have its own.
const std::string kNewKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

} // namespace

TestCertificates::TestCertificates()
{
    char pattern[] = "/tmp/zorvaline-certs-XXXXXX";
    if (!mkdtemp(pattern))
        return;
    m_folder = pattern;
    m_made = run("openssl req -x509 " + kNewKey + " -keyout " + m_folder + "/ca.key -out " + caFile() +
                 " -days 2 -subj '/CN=Zorvaline Test CA' -addext basicConstraints=critical,CA:TRUE"
                 " -addext keyUsage=critical,keyCertSign,cRLSign") &&
             issue("localhost", "DNS:localhost,IP:127.0.0.1") && issue("other", "DNS:other.test");
}

TestCertificates::~TestCertificates()
{
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder);
}

bool TestCertificates::issue(const std::string &name, const std::string &subjectAltName)
{
    const std::string base = m_folder + "/" + name;
    std::ofstream(base + ".ext") << "subjectAltName=" << subjectAltName
                                 << "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n";
    return run("openssl req " + kNewKey + " -keyout " + base + ".key -out " + base + ".csr -subj /CN=" + name) &&
           run("openssl x509 -req -in " + base + ".csr -CA " + caFile() + " -CAkey " + m_folder +
               "/ca.key -CAcreateserial -days 2 -out " + base + ".pem -extfile " + base + ".ext");
}

} // namespace zortest

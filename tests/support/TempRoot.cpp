#include "tests/support/TempRoot.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zortest {

TempRoot::TempRoot()
{
    std::string pattern = (fs::temp_directory_path() / "zorvaline-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary root under " + pattern);
    m_path = pattern;
    if (const char *old = std::getenv("ZORVALINE_ROOT")) {
        m_hadRoot = true;
        m_oldRoot = old;
    }
    setenv("ZORVALINE_ROOT", m_path.c_str(), 1);
    fs::create_directories(driveC("WINDOWS/SYSTEM"));
}

TempRoot::~TempRoot()
{
    if (m_hadRoot)
        setenv("ZORVALINE_ROOT", m_oldRoot.c_str(), 1);
    else
        unsetenv("ZORVALINE_ROOT");
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempRoot::driveC(const std::string &relative) const
{
    return relative.empty() ? m_path + "/drive_c" : m_path + "/drive_c/" + relative;
}

void TempRoot::writeFile(const std::string &linuxPath, const std::string &content) const
{
    fs::create_directories(fs::path(linuxPath).parent_path());
    std::ofstream out(linuxPath, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + linuxPath);
}

std::string TempRoot::readFile(const std::string &linuxPath)
{
    std::ifstream in(linuxPath, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

} // namespace zortest

// A fresh Windows root in a temporary folder for one test: sets ZORVALINE_ROOT (and points
// the UI journal and debug log into it), restores the previous environment and removes the
// folder when it goes out of scope.
#pragma once

#include <string>

namespace zortest {

class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot &) = delete;
    TempRoot &operator=(const TempRoot &) = delete;

    const std::string &path() const { return m_path; }
    // Linux path of <root>/drive_c/<relative>, with '/' separators.
    std::string driveC(const std::string &relative = "") const;
    // Creates the parent folders and writes the file.
    void writeFile(const std::string &linuxPath, const std::string &content) const;
    static std::string readFile(const std::string &linuxPath);

private:
    std::string m_path;
    std::string m_oldRoot;
    bool m_hadRoot = false;
};

} // namespace zortest

// VComdef.ini as the settings dialogs use it: the communication setup and the job options
// live only as keys of this file, which the port monitor reads for every job.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sendaro {

class VComDefFile {
public:
    // The file in the installation directory ([Install] Directory of Varnel.ini).
    VComDefFile();

    const std::string &path() const { return m_path; }

    // The key's value (empty when missing), at most 4999 characters.
    std::string read(const char *section, const char *key) const;
    // The key's value as a decimal number; missing or not a number gives 0.
    unsigned readNumber(const char *section, const char *key) const;

    using Values = std::vector<std::pair<const char *, std::string>>;
    // Writes the keys, in this order, into `section` in one atomic replacement, so the
    // monitor never reads half of a change. A new file is readable by its owner only, like
    // every profile the platform creates: the file also carries printer passwords. False,
    // with the last error set, when the file could not be written; it is then unchanged.
    bool write(const char *section, const Values &values) const;

    // The message that says the file could not be written, with the last error.
    std::string writeFailure() const;

private:
    std::string m_path;
};

} // namespace sendaro

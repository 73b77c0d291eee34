// The Windows printers installed on the machine, as the name checks see them.
#pragma once

#include <string>
#include <vector>

namespace zordb {

// True when a local Windows printer bears the name (without regard to case). The printers
// are enumerated at level 5 into 2000 bytes; when the enumeration fails, also because its
// results need more room, no Windows printer is considered.
bool WindowsPrinterExists(const std::string &name);

// While one lives, WindowsPrinterExists answers from a single enumeration made when it was
// created: an import asks about hundreds of names, and each enumeration reads every printer
// of the spooler. Only for spans in which the only Windows printers created are those of
// destinations the document then holds (their names are taken anyway).
class WindowsPrinterSnapshot {
public:
    WindowsPrinterSnapshot();
    ~WindowsPrinterSnapshot();
    WindowsPrinterSnapshot(const WindowsPrinterSnapshot &) = delete;
    WindowsPrinterSnapshot &operator=(const WindowsPrinterSnapshot &) = delete;

private:
    std::vector<std::string> m_names;
    WindowsPrinterSnapshot *m_outer;
    friend bool WindowsPrinterExists(const std::string &name);
};

} // namespace zordb

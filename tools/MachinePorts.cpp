#include "tools/MachinePorts.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <optional>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Highest port number we list; more would only be nodes without hardware.
constexpr int kMaxPortNumber = 256;

// n of "<prefix><n>", when name is exactly that.
std::optional<int> deviceNumber(std::string_view name, std::string_view prefix)
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int number = std::atoi(std::string(digits).c_str());
    if (number >= kMaxPortNumber)
        return std::nullopt;
    return number;
}

// The type the kernel publishes for every tty, readable without access to the device.
std::optional<int> sysfsPortType(const std::string &name)
{
    std::ifstream in("/sys/class/tty/" + name + "/type");
    int type = 0;
    if (in >> type)
        return type;
    return std::nullopt;
}

bool serialPortAnswers(const std::string &path, const std::string &name)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    if (S_ISREG(info.st_mode)) {
        std::ifstream in(path);
        std::string first;
        in >> first;
        return first != "unknown";
    }
    if (!S_ISCHR(info.st_mode))
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // Without access to the device (not in its group), the kernel's published type
        // tells the same thing.
        if ((errno == EACCES || errno == EPERM) && std::string_view(path).substr(0, 5) == "/dev/") {
            const std::optional<int> type = sysfsPortType(name);
            return type && *type != PORT_UNKNOWN;
        }
        return false;
    }
    serial_struct serial {};
    const bool known = ::ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

std::string deviceFolder()
{
    const char *folder = std::getenv("ZORVALINE_DEV_DIR");
    return (folder && *folder) ? folder : "/dev";
}

} // namespace

std::string MachinePort::name() const
{
    return (kind == Kind::Serial ? "COM" : "LPT") + std::to_string(number);
}

std::vector<MachinePort> DiscoverMachinePorts()
{
    std::vector<MachinePort> ports;
    const std::string folder = deviceFolder();
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return ports;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        std::optional<MachinePort> port;
        if (auto n = deviceNumber(name, "parport"); n)
            port = MachinePort{MachinePort::Kind::Parallel, *n + 1};
        else if (auto n = deviceNumber(name, "lp"); n)
            port = MachinePort{MachinePort::Kind::Parallel, *n + 1};
        else if (auto n = deviceNumber(name, "ttyS"); n && serialPortAnswers(folder + '/' + name, name))
            port = MachinePort{MachinePort::Kind::Serial, *n + 1};
        if (port && std::find(ports.begin(), ports.end(), *port) == ports.end())
            ports.push_back(*port);
    }
    ::closedir(dir);
    std::sort(ports.begin(), ports.end(), [](const MachinePort &a, const MachinePort &b) {
        return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
    });
    return ports;
}

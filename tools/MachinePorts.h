// The serial and parallel ports this machine really has, found in the device folder.
#pragma once

#include <string>
#include <vector>

struct MachinePort {
    enum class Kind { Parallel, Serial };
    Kind kind;
    int number;  // 1 for LPT1 / COM1

    std::string name() const;  // "LPT1", "COM1"
    bool operator==(const MachinePort &) const = default;
};

// Ports found in $ZORVALINE_DEV_DIR (default /dev): parport<n> or lp<n> gives LPT<n+1>;
// ttyS<n> gives COM<n+1> when the port answers and its type is known (the kernel keeps a
// ttyS node for every possible port, most with no hardware behind them). A regular file
// named like a device stands for one that answers, unless its content starts with
// "unknown"; this lets a folder of plain files stand in for /dev. Sorted: LPT, then COM.
std::vector<MachinePort> DiscoverMachinePorts();

// szddpack FILE...: writes beside each FILE its compressed form, the name's last character
// replaced by '_' ("adobeps4.drv" -> "adobeps4.dr_"). Made the compressed files of the
// sample driver disk; driver_disk_test checks they are still what it writes.
#include "tests/support/SzddWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: szddpack FILE...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        std::ifstream in(name, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "szddpack: cannot read %s\n", name.c_str());
            return 1;
        }
        std::ostringstream content;
        content << in.rdbuf();
        const std::string packed = name.substr(0, name.size() - 1) + "_";
        std::ofstream out(packed, std::ios::binary);
        out << zortest::SzddStored(content.str(), name.back());
        if (!out.flush()) {
            std::fprintf(stderr, "szddpack: cannot write %s\n", packed.c_str());
            return 1;
        }
    }
    return 0;
}

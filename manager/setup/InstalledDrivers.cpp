#include "manager/setup/InstalledDrivers.h"

#include "platform/spooler/spooler.h"

#include <algorithm>

namespace sendaro {

std::string UpperCase(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    return upper;
}

std::vector<std::string> InstalledFamilyDrivers()
{
    std::vector<std::string> drivers;
    DWORD needed = 0, count = 0;
    EnumPrinterDrivers(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    if (needed == 0)
        return drivers;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDrivers(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count))
        return drivers;
    const auto *info = reinterpret_cast<const DRIVER_INFO_1A *>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        std::string name = UpperCase(info[i].pName ? info[i].pName : "");
        if (name.find("ZOR") != std::string::npos)
            drivers.push_back(std::move(name));
    }
    return drivers;
}

bool IsOfferedModel(std::string_view upperCaseName)
{
    static constexpr std::string_view kModels[] = {"ORLAN H3", "ORLAN H7", "ORLAN J7", "ORLAN J8", "ORLAN K7", "ORLAN K8"};
    return std::any_of(std::begin(kModels), std::end(kModels),
                       [&](std::string_view model) { return upperCaseName.find(model) != std::string_view::npos; });
}

} // namespace sendaro

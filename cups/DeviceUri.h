// The device URI of a CUPS queue that prints to a destination:
//   zorvaline://<Windows printer>?root=<Windows root>
// both parts percent-encoded (RFC 3986, section 2.1), so any printer name and any folder fit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view kDeviceScheme = "zorvaline";

struct DeviceUri {
    std::string printer; // the Windows printer, as the spooler names it
    std::string root;    // the Windows root's folder, an absolute path
};

std::string FormatDeviceUri(const DeviceUri &uri);

// Nullopt with `problem` set (naming the URI) when it is not of our scheme, names no printer,
// has no root or one that is not an absolute path, or holds a broken %-escape.
std::optional<DeviceUri> ParseDeviceUri(std::string_view text, std::string &problem);

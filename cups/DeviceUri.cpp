#include "cups/DeviceUri.h"

#include "platform/base/text.h"

#include <cctype>

namespace {

// RFC 3986, section 2.3: unreserved characters need no escape; '/' keeps a path readable.
std::string encode(std::string_view text, bool keepSlash)
{
    static const char *kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || (keepSlash && c == '/')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// False on a '%' that is not followed by two hex digits, or that would make a NUL.
bool decode(std::string_view text, std::string &out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = zorplat::HexDigitValue(text[i + 1]);
        const int low = zorplat::HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

} // namespace

std::string FormatDeviceUri(const DeviceUri &uri)
{
    return std::string(kDeviceScheme) + "://" + encode(uri.printer, false) + "?root=" + encode(uri.root, true);
}

std::optional<DeviceUri> ParseDeviceUri(std::string_view text, std::string &problem)
{
    const std::string shown(text);
    const std::string prefix = std::string(kDeviceScheme) + "://";
    if (text.substr(0, prefix.size()) != prefix) {
        problem = "device URI " + shown + " is not of the form " + prefix + "PRINTER?root=FOLDER";
        return std::nullopt;
    }
    text.remove_prefix(prefix.size());
    const size_t query = text.find('?');
    std::string_view printer = text.substr(0, query);
    if (!printer.empty() && printer.back() == '/')
        printer.remove_suffix(1);
    DeviceUri uri;
    if (!decode(printer, uri.printer) || uri.printer.empty()) {
        problem = "device URI " + shown + " names no printer";
        return std::nullopt;
    }
    std::string_view parameters = query == std::string_view::npos ? std::string_view() : text.substr(query + 1);
    bool haveRoot = false;
    while (!parameters.empty()) {
        const size_t amp = parameters.find('&');
        const std::string_view parameter = parameters.substr(0, amp);
        parameters = amp == std::string_view::npos ? std::string_view() : parameters.substr(amp + 1);
        if (parameter.substr(0, 5) != "root=")
            continue; // room for options of later versions
        haveRoot = decode(parameter.substr(5), uri.root);
        if (!haveRoot) {
            problem = "device URI " + shown + " has a broken %-escape in its root";
            return std::nullopt;
        }
    }
    if (!haveRoot || uri.root.empty() || uri.root[0] != '/') {
        problem = "device URI " + shown + " names no Windows root (root=/absolute/folder)";
        return std::nullopt;
    }
    return uri;
}

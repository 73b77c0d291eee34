#include "monitor/SmtpExtensions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>
#include <vector>

namespace zormon {

namespace {

std::string upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

std::vector<std::string> words(std::string_view text)
{
    std::vector<std::string> found;
    std::istringstream stream{std::string(text)};
    for (std::string word; stream >> word;)
        found.push_back(word);
    return found;
}

} // namespace

bool SmtpExtensions::offers(std::string_view keyword) const
{
    return keywords.count(upper(keyword)) != 0;
}

std::string SmtpExtensions::describe() const
{
    std::string line;
    for (const std::string &keyword : keywords) {
        if (!line.empty())
            line += ' ';
        line += keyword;
        if (keyword == "SIZE" && sizeLimit)
            line.append("=").append(std::to_string(*sizeLimit));
        if (keyword == "AUTH") {
            char separator = '=';
            for (const std::string &mechanism : authMechanisms) {
                line += separator + mechanism;
                separator = ',';
            }
        }
    }
    return line;
}

SmtpExtensions ParseExtensions(std::string_view ehloReply)
{
    SmtpExtensions extensions;
    bool first = true;
    while (!ehloReply.empty()) {
        size_t end = ehloReply.find('\n');
        std::string_view line = ehloReply.substr(0, end);
        ehloReply.remove_prefix(end == std::string_view::npos ? ehloReply.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first || line.size() < 4) { // "250-" or "250 " before the keyword
            first = false;
            continue;
        }
        // Some servers of old announce "AUTH=PLAIN LOGIN" beside the standard form.
        std::string text(line.substr(4));
        std::replace(text.begin(), text.end(), '=', ' ');
        std::vector<std::string> parts = words(text);
        if (parts.empty())
            continue;
        const std::string keyword = upper(parts[0]);
        extensions.keywords.insert(keyword);
        if (keyword == "AUTH") {
            for (size_t i = 1; i < parts.size(); ++i)
                extensions.authMechanisms.insert(upper(parts[i]));
        } else if (keyword == "SIZE" && parts.size() > 1) {
            uint64_t limit = 0;
            const std::string &value = parts[1];
            auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), limit);
            if (error == std::errc() && end == value.data() + value.size() && limit > 0)
                extensions.sizeLimit = limit;
        }
    }
    return extensions;
}

} // namespace zormon

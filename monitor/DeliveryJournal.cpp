#include "monitor/DeliveryJournal.h"

#include "monitor/DebugLine.h"
#include "platform/base/paths.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zormon {

namespace {

// Texts from outside (document names, server replies) are cut here, so a line stays a few
// kilobytes at most even when every byte needs an escape; the lock keeps it whole.
constexpr size_t kMaxTextLength = 300;

// Bytes that are not UTF-8 (a document name in the job's own code page, a server's reply)
// are kept as Latin-1, so every line is valid JSON and nothing is dropped.
std::string utf8(const std::string &text)
{
    std::string cut = text.substr(0, kMaxTextLength);
    std::string result;
    size_t i = 0;
    while (i < cut.size()) {
        const auto byte = static_cast<unsigned char>(cut[i]);
        size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
        bool valid = length > 0 && i + length <= cut.size();
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(cut[i + k]) & 0xC0) == 0x80;
        if (valid) {
            result.append(cut, i, length);
            i += length;
        } else {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
            ++i;
        }
    }
    return result;
}

} // namespace

std::string JournalPath()
{
    return zorplat::RootDirectory() + "/delivery-journal.jsonl";
}

std::string JournalTime()
{
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string JournalLine(const JournalEntry &entry)
{
    nlohmann::ordered_json line = {
        {"time", entry.time},         {"kind", entry.kind},
        {"job", utf8(entry.job)},     {"message_id", utf8(entry.messageId)},
        {"document", utf8(entry.document)}, {"printer", utf8(entry.printer)},
        {"address", utf8(entry.address)},   {"piece", entry.piece},
        {"pieces", entry.pieces},     {"bytes", entry.bytes},
        {"result", entry.result},     {"reply", utf8(entry.reply)},
    };
    return line.dump() + "\n";
}

std::optional<JournalEntry> ParseJournalLine(const std::string &line)
{
    const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
    if (!parsed.is_object())
        return std::nullopt;
    try {
        JournalEntry entry;
        entry.time = parsed.at("time").get<std::string>();
        entry.kind = parsed.at("kind").get<std::string>();
        entry.job = parsed.value("job", "");
        entry.messageId = parsed.value("message_id", "");
        entry.document = parsed.value("document", "");
        entry.printer = parsed.value("printer", "");
        entry.address = parsed.at("address").get<std::string>();
        entry.piece = parsed.value("piece", 1);
        entry.pieces = parsed.value("pieces", 1);
        entry.bytes = parsed.value("bytes", uint64_t{0});
        entry.result = parsed.at("result").get<int>();
        entry.reply = parsed.value("reply", "");
        return entry;
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
}

bool AppendJournal(const JournalEntry &entry)
{
    const std::string path = JournalPath();
    const std::string line = JournalLine(entry);
    // Owner-only from its creation: the journal tells where a user's documents went.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        DebugLine("zormon!AppendJournal %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    // One write of the whole line, under a lock against every other writer of the root.
    bool written = ::flock(fd, LOCK_EX) == 0 &&
                   ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (!written)
        DebugLine("zormon!AppendJournal %s: %s", path.c_str(), std::strerror(errno));
    ::close(fd);
    return written;
}

} // namespace zormon

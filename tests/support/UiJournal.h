// Reads the user-interface journal (the file ZORVALINE_UI_LOG names): one JSON object per
// line, one line per message box, progress change or foreground request.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zortest {

// One journal line: each member's value as text (strings unescaped, numbers and literals as
// written).
using UiEvent = std::map<std::string, std::string>;

class UiJournal {
public:
    // Sets ZORVALINE_UI_LOG to `path` (emptied first) while the object lives.
    explicit UiJournal(std::string path);
    ~UiJournal();
    UiJournal(const UiJournal &) = delete;
    UiJournal &operator=(const UiJournal &) = delete;

    std::vector<UiEvent> events() const;
    // The events whose "event" member is `kind` ("messagebox", "progress", "title" ...).
    std::vector<UiEvent> events(const std::string &kind) const;
    // Forgets what was journalled so far.
    void clear() const;

private:
    std::string m_path;
    std::string m_oldValue;
    bool m_hadValue = false;
};

// Parses one line holding a flat JSON object; members whose value is an object or an array
// are skipped. Throws std::runtime_error on text that is not such an object.
UiEvent ParseUiEvent(const std::string &line);

} // namespace zortest

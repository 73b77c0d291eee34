#include "tests/support/UiJournal.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zortest {

namespace {

class Parser {
public:
    explicit Parser(const std::string &text) : m_text(text) {}

    UiEvent object()
    {
        UiEvent event;
        expect('{');
        if (peek() == '}') {
            ++m_at;
            return event;
        }
        for (;;) {
            std::string key = string();
            expect(':');
            skipBlanks();
            if (peek() == '{' || peek() == '[')
                skipNested();
            else
                event[key] = peek() == '"' ? string() : literal();
            skipBlanks();
            if (peek() == '}') {
                ++m_at;
                return event;
            }
            expect(',');
        }
    }

private:
    char peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }

    void skipBlanks()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r'))
            ++m_at;
    }

    void expect(char c)
    {
        skipBlanks();
        if (peek() != c)
            throw std::runtime_error(std::string("journal line: expected '") + c + "' in " + m_text);
        ++m_at;
    }

    std::string string()
    {
        expect('"');
        std::string value;
        for (;;) {
            if (m_at >= m_text.size())
                throw std::runtime_error("journal line: unterminated string in " + m_text);
            char c = m_text[m_at++];
            if (c == '"')
                return value;
            if (c != '\\') {
                value += c;
                continue;
            }
            char escaped = peek();
            ++m_at;
            switch (escaped) {
            case 'n': value += '\n'; break;
            case 'r': value += '\r'; break;
            case 't': value += '\t'; break;
            case 'b': value += '\b'; break;
            case 'f': value += '\f'; break;
            case 'u': {
                unsigned code = std::stoul(m_text.substr(m_at, 4), nullptr, 16);
                m_at += 4;
                if (code < 0x80) {
                    value += static_cast<char>(code);
                } else if (code < 0x800) {
                    value += static_cast<char>(0xC0 | (code >> 6));
                    value += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    value += static_cast<char>(0xE0 | (code >> 12));
                    value += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    value += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default: value += escaped; break;
            }
        }
    }

    std::string literal()
    {
        size_t start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != ',' && m_text[m_at] != '}' && m_text[m_at] != ' ')
            ++m_at;
        if (m_at == start)
            throw std::runtime_error("journal line: missing value in " + m_text);
        return m_text.substr(start, m_at - start);
    }

    void skipNested()
    {
        int depth = 0;
        bool inString = false;
        for (; m_at < m_text.size(); ++m_at) {
            char c = m_text[m_at];
            if (inString) {
                if (c == '\\')
                    ++m_at;
                else if (c == '"')
                    inString = false;
            } else if (c == '"') {
                inString = true;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                ++m_at;
                return;
            }
        }
        throw std::runtime_error("journal line: unterminated value in " + m_text);
    }

    const std::string &m_text;
    size_t m_at = 0;
};

} // namespace

UiEvent ParseUiEvent(const std::string &line)
{
    return Parser(line).object();
}

UiJournal::UiJournal(std::string path) : m_path(std::move(path))
{
    if (const char *old = std::getenv("ZORVALINE_UI_LOG")) {
        m_hadValue = true;
        m_oldValue = old;
    }
    clear();
    setenv("ZORVALINE_UI_LOG", m_path.c_str(), 1);
}

UiJournal::~UiJournal()
{
    if (m_hadValue)
        setenv("ZORVALINE_UI_LOG", m_oldValue.c_str(), 1);
    else
        unsetenv("ZORVALINE_UI_LOG");
}

std::vector<UiEvent> UiJournal::events() const
{
    std::vector<UiEvent> found;
    std::ifstream in(m_path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            found.push_back(ParseUiEvent(line));
    return found;
}

std::vector<UiEvent> UiJournal::events(const std::string &kind) const
{
    std::vector<UiEvent> found;
    for (UiEvent &event : events())
        if (event["event"] == kind)
            found.push_back(std::move(event));
    return found;
}

void UiJournal::clear() const
{
    std::ofstream(m_path, std::ios::trunc);
}

} // namespace zortest

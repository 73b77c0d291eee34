#include "monitor/PortTable.h"

#include <cstring>
#include <new>
#include <string>
#include <strings.h>

namespace zormon {

namespace {

PortRecord *g_firstPort = nullptr;

bool namesEqual(std::string_view a, const char *b)
{
    return std::strlen(b) == a.size() && strncasecmp(a.data(), b, a.size()) == 0;
}

char *copyText(const char *text)
{
    if (!text)
        return nullptr;
    size_t size = std::strlen(text) + 1;
    char *copy = new (std::nothrow) char[size];
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

bool isDeviceName(std::string_view name, std::string_view prefix)
{
    bool shapeFits = name.size() == 4 || (name.size() == 5 && name[4] == ':');
    return shapeFits && strncasecmp(name.data(), prefix.data(), 3) == 0 && name[3] >= '1' &&
           name[3] <= '9';
}

} // namespace

PortKind PortKindOf(std::string_view name)
{
    if (isDeviceName(name, "LPT"))
        return PortKindParallel;
    if (isDeviceName(name, "COM"))
        return PortKindSerial;
    if (name.size() == 5 && strncasecmp(name.data(), "FILE:", 5) == 0)
        return PortKindFile;
    if (name.size() == kInternetPortName.size() &&
        strncasecmp(name.data(), kInternetPortName.data(), name.size()) == 0)
        return PortKindInternet;
    return PortKindOther;
}

PortRecord *PortFromHandle(HANDLE handle)
{
    auto *record = static_cast<PortRecord *>(handle);
    if (!record || record->signature != kPortRecordSignature)
        return nullptr;
    return record;
}

PortRecord *FirstPort()
{
    return g_firstPort;
}

PortRecord *FindPortExactly(std::string_view name)
{
    for (PortRecord *record = g_firstPort; record; record = record->next)
        if (namesEqual(name, record->name))
            return record;
    return nullptr;
}

PortRecord *FindPort(std::string_view name)
{
    if (PortRecord *record = FindPortExactly(name))
        return record;
    if (name.empty())
        return nullptr;
    if (name.back() == ':')
        return FindPortExactly(name.substr(0, name.size() - 1));
    std::string withColon(name);
    withColon += ':';
    return FindPortExactly(withColon);
}

PortRecord *AppendPort(std::string_view name, const char *description, DWORD flags)
{
    // One block: the record, then the name's text and its NUL.
    const size_t blockSize = sizeof(PortRecord) + name.size() + 1;
    void *block = ::operator new(blockSize, std::nothrow);
    if (!block)
        return nullptr;
    std::memset(block, 0, blockSize);
    auto *record = static_cast<PortRecord *>(block);
    record->signature = kPortRecordSignature;
    record->size = static_cast<DWORD>(blockSize);
    record->name = reinterpret_cast<char *>(record + 1);
    std::memcpy(record->name, name.data(), name.size());
    if (description) {
        record->description = copyText(description);
        if (!record->description) {
            ::operator delete(block);
            return nullptr;
        }
    }
    record->kindAndFlags = PortKindOf(name) | flags;

    PortRecord **link = &g_firstPort;
    while (*link)
        link = &(*link)->next;
    *link = record;
    return record;
}

bool SetRemoteName(PortRecord *record, const char *remoteName)
{
    char *copy = copyText(remoteName);
    if (remoteName && !copy)
        return false;
    delete[] record->remoteName;
    record->remoteName = copy;
    return true;
}

DWORD PortCount()
{
    DWORD count = 0;
    for (PortRecord *record = g_firstPort; record; record = record->next)
        ++count;
    return count;
}

void RemovePort(PortRecord *record)
{
    for (PortRecord **link = &g_firstPort; *link; link = &(*link)->next) {
        if (*link != record)
            continue;
        *link = record->next;
        record->signature = 0;
        delete[] record->description;
        delete[] record->remoteName;
        ::operator delete(record);
        return;
    }
}

void ClearPortTable()
{
    while (g_firstPort)
        RemovePort(g_firstPort);
}

} // namespace zormon

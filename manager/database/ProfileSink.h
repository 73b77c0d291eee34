// Where a sequence of profile writes goes: straight into a file, key by key, or into a
// batch that is committed once. The database layout is written through this, so the
// save and the export produce the same bytes whichever way they write.
#pragma once

#include "platform/profile/profile.h"
#include "platform/base/windef.h"

#include <string>

namespace zordb {

class ProfileSink {
public:
    virtual ~ProfileSink() = default;
    // WritePrivateProfileString's contract: a null value deletes the key, a null key the
    // whole section.
    virtual BOOL WriteString(LPCSTR section, LPCSTR key, LPCSTR value) = 0;
};

// Each write goes to the file at once.
class FileProfileSink : public ProfileSink {
public:
    explicit FileProfileSink(std::string fileName) : m_fileName(std::move(fileName)) {}
    BOOL WriteString(LPCSTR section, LPCSTR key, LPCSTR value) override
    {
        return WritePrivateProfileString(section, key, value, m_fileName.c_str());
    }

private:
    std::string m_fileName;
};

// The writes pile up in the batch; nothing reaches the file before its Commit.
class BatchProfileSink : public ProfileSink {
public:
    explicit BatchProfileSink(zorplat::ProfileBatch &batch) : m_batch(batch) {}
    BOOL WriteString(LPCSTR section, LPCSTR key, LPCSTR value) override
    {
        return m_batch.WriteString(section, key, value);
    }

private:
    zorplat::ProfileBatch &m_batch;
};

} // namespace zordb

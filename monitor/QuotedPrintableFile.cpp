// Streams a file, and the texts that go before and after it, through one encoder in large
// blocks: one read and one write per megabyte of input, whatever the job holds.
#include "monitor/QuotedPrintable.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/files/freshfile.h"
#include "platform/files/fullio.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace zormon {

namespace {

constexpr std::size_t kInputBlock = 1 << 20;

DWORD windowsError(int error)
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    default: return ERROR_GEN_FAILURE;
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a failure to flush is seen; false with errno set on failure.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

class StreamEncoder {
public:
    explicit StreamEncoder(int output)
        : m_output(output), m_out(new char[kInputBlock * QuotedPrintableEncoder::kMaxOutputPerByte])
    {
    }

    // Encodes and writes the bytes; false with errno set when the write fails.
    bool put(const uint8_t *data, std::size_t size)
    {
        while (size > 0) {
            const std::size_t length = std::min(size, kInputBlock);
            if (!zorplat::WriteFully(m_output, m_out.get(), m_encoder.encode(data, length, m_out.get())))
                return false;
            data += length;
            size -= length;
        }
        return true;
    }

    bool put(std::string_view text) { return put(reinterpret_cast<const uint8_t *>(text.data()), text.size()); }

    // The whole file from its current position.
    bool putFile(int input)
    {
        std::unique_ptr<uint8_t[]> in(new uint8_t[kInputBlock]);
        for (;;) {
            const ssize_t n = zorplat::ReadFully(input, in.get(), kInputBlock);
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            if (!put(in.get(), static_cast<std::size_t>(n)))
                return false;
        }
    }

private:
    int m_output;
    std::unique_ptr<char[]> m_out;
    QuotedPrintableEncoder m_encoder;
};

} // namespace

bool EncodeQuotedPrintable(const std::string &inputPath, const std::string &outputPath)
{
    return EncodeQuotedPrintable({}, inputPath, {}, outputPath);
}

bool EncodeQuotedPrintable(std::string_view before, const std::string &inputPath, std::string_view after,
                           const std::string &outputPath)
{
    const std::string outputFile = zorplat::ToLinuxPath(outputPath);
    FileDescriptor input(::open(zorplat::ToLinuxPath(inputPath).c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0) {
        SetLastError(windowsError(errno));
        return false;
    }
    // The encoded job is as private as the job, and a link planted at its name is not followed.
    FileDescriptor output(zorplat::OpenFreshFile(outputFile, O_WRONLY));
    if (output.get() < 0) {
        // With O_CREAT only a missing folder gives ENOENT.
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : windowsError(errno));
        return false;
    }
    bool encoded = false;
    try {
        StreamEncoder encoder(output.get());
        encoded = encoder.put(before) && encoder.putFile(input.get()) && encoder.put(after);
    } catch (const std::bad_alloc &) {
        errno = ENOMEM;
    }
    if (encoded && output.close())
        return true;
    // A half-written encoding would be mailed as if it were the whole job.
    const int error = errno;
    ::unlink(outputFile.c_str());
    SetLastError(windowsError(error));
    return false;
}

} // namespace zormon

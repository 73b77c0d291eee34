// Internal to the spooler: the answer of an enumeration or query, laid out as the Windows
// calls lay it out: the fixed structures from the start of the caller's buffer, their
// strings (and device settings) packed after them. One walk over the data serves both the
// measuring pass and the filling pass, so the size reported and the bytes written agree.
#pragma once

#include "platform/base/lasterror.h"
#include "platform/base/windef.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace zorplat::spooler {

class PackedBuffer {
public:
    // buffer null: measure only.
    PackedBuffer(LPBYTE buffer, size_t fixedBytes) : m_buffer(buffer), m_position(fixedBytes) {}

    size_t used() const { return m_position; }

    template <typename T>
    void put(size_t index, const T &entry)
    {
        if (m_buffer)
            std::memcpy(m_buffer + index * sizeof(T), &entry, sizeof(T));
    }

    // None stays a null pointer; text is copied with its NUL.
    LPSTR string(const std::optional<std::string> &text)
    {
        if (!text)
            return nullptr;
        return static_cast<LPSTR>(place(text->c_str(), text->size() + 1, 1));
    }

    // Each string with its NUL, then an empty one.
    LPSTR multiString(const std::vector<std::string> &texts)
    {
        std::string joined;
        for (const std::string &text : texts)
            joined += text + '\0';
        joined += '\0';
        return static_cast<LPSTR>(place(joined.data(), joined.size(), 1));
    }

    // Binary data that a structure is read through, aligned for it.
    void *bytes(const std::optional<std::string> &data)
    {
        if (!data)
            return nullptr;
        return place(data->data(), data->size(), alignof(DWORD));
    }

private:
    void *place(const void *data, size_t size, size_t alignment)
    {
        m_position = (m_position + alignment - 1) / alignment * alignment;
        void *target = m_buffer ? m_buffer + m_position : nullptr;
        if (target)
            std::memcpy(target, data, size);
        m_position += size;
        return target;
    }

    LPBYTE m_buffer;
    size_t m_position;
};

// Runs `walk(PackedBuffer&)` once to measure and, when the caller's buffer is large enough,
// once more to fill it. Stores the size needed in every case; fails with
// ERROR_INSUFFICIENT_BUFFER when the buffer is short. An empty answer needs no buffer.
template <typename Walk>
BOOL PackAnswer(size_t fixedBytes, LPBYTE buffer, DWORD bufferSize, LPDWORD needed, Walk walk)
{
    PackedBuffer measure(nullptr, fixedBytes);
    walk(measure);
    *needed = static_cast<DWORD>(measure.used());
    if (measure.used() == 0)
        return TRUE;
    if (!buffer || bufferSize < measure.used()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    PackedBuffer fill(buffer, fixedBytes);
    walk(fill);
    return TRUE;
}

} // namespace zorplat::spooler

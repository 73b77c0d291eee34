// Whole reads and writes on a descriptor: the loops every caller would otherwise write
// again around short transfers and interrupted calls.
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace zorplat {

// Reads until `size` bytes are in or the file ends; the count read, or -1 with errno set.
ssize_t ReadFully(int fd, void *buffer, std::size_t size);

// Writes all `size` bytes; false with errno set (ENOSPC when the file takes no more).
bool WriteFully(int fd, const void *data, std::size_t size);

} // namespace zorplat

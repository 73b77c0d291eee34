// Several registry changes written as one: while a batch on a root's file lives, the
// changes the creating thread makes to that file stay in memory and commit() (or the
// batch's end) writes them in one atomic replacement. The file's lock is held throughout,
// so the changes apply on top of everything other processes wrote, none of theirs is lost,
// and the batch's own reads see the file as it is. Until the write, other processes read the
// old file and other threads of this process wait. A failing change stays a failing call as
// without a batch (ERROR_BADDB for a damaged file, which is never written); write errors
// (ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ...) come from commit(). Keep a batch to one short
// call that does not wait for other threads.
#pragma once

#include "platform/registry/registry.h"

namespace zorplat {

class RegistryStore;

class RegistryBatch {
public:
    // A root that is not kept makes a batch that does nothing.
    explicit RegistryBatch(HKEY root);
    // Writes what commit() did not; its error is dropped and the last error kept.
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch &) = delete;
    RegistryBatch &operator=(const RegistryBatch &) = delete;

    // Writes the changes and ends the batch: later changes are written one by one. Returns
    // ERROR_SUCCESS or the write's error, which also becomes the last error.
    LONG commit();

private:
    RegistryStore *m_store = nullptr; // null once committed
};

} // namespace zorplat

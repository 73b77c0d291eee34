// Several registry reads from one state of the file: while a snapshot of a root's file
// lives, the creating thread's reads of that file check it once, at the first read, and the
// rest are served from the same parsed tree. A record read value by value (a printer, the
// monitors) is then consistent even when another process rewrites the file meanwhile, and
// costs one check of the file instead of one per value. Other threads of this process wait
// for the snapshot's end; other processes are not held up. Changes made under a snapshot are
// written as ever and seen by its later reads. Keep a snapshot to a short run of reads, and
// fork no child that uses the registry while one lives (the child would find the store held).
#pragma once

#include "platform/registry/registry.h"

namespace zorplat {

class RegistryStore;

class RegistrySnapshot {
public:
    // A root that is not kept makes a snapshot that does nothing.
    explicit RegistrySnapshot(HKEY root);
    ~RegistrySnapshot();
    RegistrySnapshot(const RegistrySnapshot &) = delete;
    RegistrySnapshot &operator=(const RegistrySnapshot &) = delete;

private:
    RegistryStore *m_store = nullptr;
};

} // namespace zorplat

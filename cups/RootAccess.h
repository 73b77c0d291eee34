// Who the backend works as. CUPS runs a backend that only root may execute as root; the
// backend then becomes the owner of the Windows root it prints from, so it reads the
// owner-only INI files and writes the job's work files as that user, and nothing else.
#pragma once

#include <string>

struct RootAccessResult {
    bool ok = false;
    std::string problem; // a sentence naming the root, when not ok
};

// Checks `root` (an absolute folder): it must exist, be a folder and not be writable by its
// group or by others (else anybody could change what the backend reads and runs). When this
// process runs as root and the folder belongs to another user, becomes that user (groups,
// group, user; for good). Then the folder must be readable, writable and searchable.
RootAccessResult EnterRoot(const std::string &root);

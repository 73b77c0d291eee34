// One port of the monitor's port table. The record is one zero-initialised block with the
// port name's text stored at its end; the port handle the spooler holds is the record's
// address, checked by its signature before use.
#pragma once

#include "platform/base/windef.h"

#include <string_view>

namespace zormon {

constexpr DWORD kPortRecordSignature = 0x4F50;

// The kind of a port, derived from its name when the record is created. Kinds are bit sets:
// the value-2 bit marks ports that can also be read (parallel ports and the Internet port).
enum PortKind : DWORD {
    PortKindOther = 0,
    PortKindParallel = 2, // LPT1 to LPT9, with or without ':'
    PortKindSerial = 4,   // COM1 to COM9, with or without ':'
    PortKindInternet = 6, // "ZORVALINE_INTERNET:"
    PortKindFile = 8,     // "FILE:"
};
constexpr DWORD kPortKindMask = 0xFF;
constexpr DWORD kPortKindReadable = 2;

// Flags, kept above the kind in the same word.
enum PortFlag : DWORD {
    PortFlagJobOpen = 0x100,   // StartDocPort succeeded and EndDocPort has not run yet
    PortFlagPermanent = 0x200, // may not be deleted; survives network refreshes
    PortFlagNetwork = 0x400,   // stands for a connected network print resource
    PortFlagSeen = 0x800,      // network record found by the current network enumeration
};

struct PortRecord {
    DWORD signature;    // kPortRecordSignature
    DWORD size;         // bytes of the whole block, the name's text included
    PortRecord *next;   // null at the tail
    LPSTR name;         // points at the text stored at the end of this block
    LPSTR description;  // separately allocated copy, may be null
    DWORD kindAndFlags; // a PortKind and PortFlag bits
    HANDLE file;        // the job's spool file while a job is open
    LPSTR remoteName;   // network ports: copy of the resource's remote name, else null
    DWORD jobId;        // spooler job id of the open job

    DWORD kind() const { return kindAndFlags & kPortKindMask; }
    bool has(PortFlag flag) const { return (kindAndFlags & flag) != 0; }
    void set(PortFlag flag) { kindAndFlags |= flag; }
    void clear(PortFlag flag) { kindAndFlags &= ~DWORD{flag}; }
};

// The kind for a port name: "LPTn"/"COMn" count only as exactly 4 characters, or 5 with ':'
// as the fifth, n from 1 to 9; names are compared without regard to case.
PortKind PortKindOf(std::string_view name);

// The record behind a port handle, or null when the handle is not one (wrong signature).
PortRecord *PortFromHandle(HANDLE handle);

} // namespace zormon

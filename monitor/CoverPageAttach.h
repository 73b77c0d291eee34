// Reads the cover pages "banner.ps" and "trailer.ps" of the install directory that go around
// the job: the banner before it, the trailer after it, or both. The job itself is not
// copied: the encoder takes banner, job and trailer in turn (EncodeQuotedPrintable).
#pragma once

#include "platform/base/windef.h"

#include <string>

namespace zormon {

// The text of each page asked for; empty when it was not.
struct CoverPages {
    std::string banner;
    std::string trailer;
};

// Reads the pages asked for into `pages`; nothing when neither is. False after showing the
// message of the step that failed (caption "Zorvaline Internet Port", owned by `owner`): a
// page that cannot be opened (2008, 2009) or read (2003, 2013, and 2000 for the trailer
// when both are asked for), or no memory for it (316).
bool ReadCoverPages(bool banner, bool trailer, HWND owner, CoverPages &pages);

} // namespace zormon

// Puts the cover pages "banner.ps" and "trailer.ps" of the install directory around the job
// copy: the banner before the job, the trailer after it, or both.
#pragma once

#include "platform/base/windef.h"

namespace zormon {

// `jobCopy` is open for reading and writing, positioned at its start. Does nothing when
// neither page is wanted. False after showing the message of the step that failed (caption
// "Zorvaline Internet Port", owned by `owner`): a page that cannot be opened (2008, 2009) or
// read (2003, 2013, 2000), a job copy that cannot be read (2004) or written (2005, 2002), or
// no memory for a buffer (316).
bool AttachCoverPages(HANDLE jobCopy, bool banner, bool trailer, HWND owner);

} // namespace zormon

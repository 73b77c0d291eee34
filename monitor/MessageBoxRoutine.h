// The one routine through which every message of the monitor is shown. Texts and captions
// come from the monitor's string table (ids in monitor/MonitorStrings.h); the type flags are
// the MB_ values of platform/ui/ui.h (MB_ICONSTOP, MB_ICONINFORMATION, MB_SETFOREGROUND ...).
#pragma once

#include "platform/base/windef.h"

// Loads text textId (cut at 119 characters) and caption captionId (in full), formats the
// text printf-style with the arguments, appends "\n" and shows the box owned by `owner`
// (nullptr: no owner). A box that is not system-modal is brought back to the foreground
// every 15 s while it stays unanswered.
// Returns the message-box result (IDOK ...), or 0 when either string could not be loaded;
// then nothing is shown.
int ShowMonitorMessage(HWND owner, UINT type, UINT captionId, UINT textId, ...);

// The same, with details that go with the box (what the server answered ...): the text
// stays as the string table words it, the details are shown beside it.
int ShowMonitorMessageWithDetails(HWND owner, UINT type, UINT captionId, UINT textId,
                                  const char *details, ...);

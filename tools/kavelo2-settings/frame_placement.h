// Where the dialog's frame stands on its monitor: the arithmetic alone, in whatever coordinates the
// frame and the work area share, so that the host's tests run it without a window.
#pragma once

#include "platform/win32_api.h"

// A screen size that a display change has just announced: the primary monitor's, which starts at
// 0,0 in screen coordinates. 0 where none was announced.
struct AnnouncedScreen {
  LONG width = 0;
  LONG height = 0;
};

// The top left corner for `frame` (a window rectangle) inside `workArea`: centred when `centre`,
// otherwise where it stands, moved back in where it sticks out. The work area is first cut to the
// announced screen, since a display change tells the new size before the work area follows it. A
// frame larger than the area keeps its top left corner inside, where the title bar is.
POINT PlaceFrame(const RECT& frame, RECT workArea, bool centre, const AnnouncedScreen& announced);

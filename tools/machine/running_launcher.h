// Whether a launcher runs on this desktop, told by the single-instance mutex it holds.
#pragma once

// True while a launcher runs in this session: its mutex is there (even where this user may not
// open it). A mutex that cannot be asked about for any other reason counts as absent.
bool LauncherRunning();

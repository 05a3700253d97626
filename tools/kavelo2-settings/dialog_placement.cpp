// Where the dialog stands: inside the work area of the monitor it is on, whatever size that has now.
#include "tools/kavelo2-settings/dialog_session.h"

#include "tools/kavelo2-settings/frame_placement.h"

// Centred when it opens, moved back in when the display or the task bar changes under it. The
// monitor's work area and the window's rectangle come in the same coordinates, those the program
// sees at any display scale: SPI_GETWORKAREA would give the primary monitor's, in physical pixels,
// which a program that is not DPI aware does not see at 150%. WM_DISPLAYCHANGE tells the primary
// monitor's new size before its work area follows it.
void PlaceInWorkArea(HWND dialog, bool centre, LONG screenWidth, LONG screenHeight) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT frame;
  if (!GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  if (!GetWindowRect(dialog, &frame)) return;
  AnnouncedScreen announced;
  if ((monitor.dwFlags & MONITORINFOF_PRIMARY) != 0) announced = {screenWidth, screenHeight};
  POINT at = PlaceFrame(frame, monitor.rcWork, centre, announced);
  SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

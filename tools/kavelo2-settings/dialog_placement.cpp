// Where the dialog stands: inside the work area, whatever size the screen has now.
#include "tools/kavelo2-settings/dialog_session.h"

// Centred when it opens, moved back in when the display or the task bar changes under it. A display
// change tells the new size before the work area follows it.
void PlaceInWorkArea(bool centre, LONG screenWidth, LONG screenHeight) {
  RECT area, frame;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  if (screenWidth > 0 && area.right > screenWidth) area.right = screenWidth;
  if (screenHeight > 0 && area.bottom > screenHeight) area.bottom = screenHeight;
  GetWindowRect(Session().dialog, &frame);
  LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
  LONG left = centre ? area.left + (area.right - area.left - width) / 2 : frame.left;
  LONG top = centre ? area.top + (area.bottom - area.top - height) / 2 : frame.top;
  if (left + width > area.right) left = area.right - width;
  if (top + height > area.bottom) top = area.bottom - height;
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  SetWindowPos(Session().dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

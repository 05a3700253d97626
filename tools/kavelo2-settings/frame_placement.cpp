// Placing a frame inside a work area.
#include "tools/kavelo2-settings/frame_placement.h"

POINT PlaceFrame(const RECT& frame, RECT workArea, bool centre, const AnnouncedScreen& announced) {
  if (announced.width > 0 && workArea.right > announced.width) workArea.right = announced.width;
  if (announced.height > 0 && workArea.bottom > announced.height) workArea.bottom = announced.height;
  LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
  POINT at;
  at.x = centre ? workArea.left + (workArea.right - workArea.left - width) / 2 : frame.left;
  at.y = centre ? workArea.top + (workArea.bottom - workArea.top - height) / 2 : frame.top;
  if (at.x + width > workArea.right) at.x = workArea.right - width;
  if (at.y + height > workArea.bottom) at.y = workArea.bottom - height;
  if (at.x < workArea.left) at.x = workArea.left;
  if (at.y < workArea.top) at.y = workArea.top;
  return at;
}

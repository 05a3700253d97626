// Switching into the chosen mode, telling the taskbar, and returning to the registry mode.
#include "launcher/mode_switch.h"

namespace {

// WM_DISPLAYCHANGE's lParam: the low 16 bits of the width, then the low 16 bits of the height.
LPARAM DisplayChangeLParam(DWORD width, DWORD height) {
  DWORD packed = (width & 0xFFFFu) | ((height & 0xFFFFu) << 16);
  return static_cast<LPARAM>(packed);
}

}  // namespace

int LaunchContext::ApplyMode(int index, DWORD fieldMask) {
  // The platform looks only at the fields the criteria constrained: the enumerated bits are
  // replaced, not merged.
  DEVMODEA& mode = modeCatalogue[static_cast<size_t>(index)];
  mode.dmFields = fieldMask;
  LONG result = ChangeDisplaySettingsA(&mode, 0);
  if (result == DISP_CHANGE_SUCCESSFUL) {
    // Marked before the start, so that the display is restored even if the start fails.
    modeChanged = true;
    NotifyTaskbar(mode.dmBitsPerPel, mode.dmPelsWidth, mode.dmPelsHeight);
  }
  if (result == DISP_CHANGE_SUCCESSFUL || !strictMode) return LaunchApplication(applicationPath);
  // A strict run tells the failure, when the result has a box of its own, and starts nothing.
  SwitchFailureBox box;
  if (SwitchFailureFor(result, box)) MessageBoxA(nullptr, box.text, box.caption, MB_OK);
  return 0;
}

bool LaunchContext::NotifyTaskbar(DWORD bitsPerPixel, DWORD width, DWORD height) {
  // An empty title, not a null one: only a taskbar window without a title matches.
  HWND taskbar = FindWindowA("Shell_TrayWnd", "");
  if (taskbar == nullptr) return false;
  PostMessageA(taskbar, WM_DISPLAYCHANGE, static_cast<WPARAM>(bitsPerPixel),
               DisplayChangeLParam(width, height));
  return true;
}

void LaunchContext::RestoreMode() {
  // The switch was never written to the registry, so a null record returns to the mode there.
  if (modeChanged) ChangeDisplaySettingsA(nullptr, 0);
}

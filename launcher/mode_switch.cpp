// Switching into the chosen mode, telling the taskbar, and returning to the registry mode.
#include "launcher/mode_switch.h"

#include <cstring>

namespace {

constexpr const char* kCouldNotSet = "Kavelo2 couldn't set this setting";

// Every result of a switch by the platform's name, and the message a strict run shows for it
// (null: no message of its own).
struct SwitchResult {
  LONG result;
  const char* name;
  const char* text;
};

constexpr SwitchResult kSwitchResults[] = {
    {DISP_CHANGE_SUCCESSFUL, "DISP_CHANGE_SUCCESSFUL", nullptr},
    {DISP_CHANGE_RESTART, "DISP_CHANGE_RESTART", kCouldNotSet},
    {DISP_CHANGE_FAILED, "DISP_CHANGE_FAILED", "Your graphics card failed to change the settings."},
    {DISP_CHANGE_BADMODE, "DISP_CHANGE_BADMODE", "The graphics mode requested is not supported."},
    {DISP_CHANGE_NOTUPDATED, "DISP_CHANGE_NOTUPDATED", "The mode could not be written to the registry."},
    {DISP_CHANGE_BADFLAGS, "DISP_CHANGE_BADFLAGS", kCouldNotSet},
    {DISP_CHANGE_BADPARAM, "DISP_CHANGE_BADPARAM", kCouldNotSet},
    {DISP_CHANGE_BADDUALVIEW, "DISP_CHANGE_BADDUALVIEW", nullptr},
};

const SwitchResult* FindSwitchResult(LONG result) {
  for (const SwitchResult& known : kSwitchResults) {
    if (known.result == result) return &known;
  }
  return nullptr;
}

// The box of a failed switch in a strict run: "Kavelo Error: " and the result's name, over its
// message. Results without a message of their own show none.
void ShowSwitchFailure(LONG result) {
  const SwitchResult* known = FindSwitchResult(result);
  if (known == nullptr || known->text == nullptr) return;
  constexpr char kCaptionStart[] = "Kavelo Error: ";
  constexpr size_t kStartLength = sizeof(kCaptionStart) - 1;
  char caption[64];
  size_t nameLength = std::strlen(known->name);
  if (kStartLength + nameLength >= sizeof(caption)) return;
  std::memcpy(caption, kCaptionStart, kStartLength);
  std::memcpy(caption + kStartLength, known->name, nameLength + 1);
  MessageBoxA(nullptr, known->text, caption, MB_OK);
}

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
  ShowSwitchFailure(result);
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

const char* DisplayChangeResultName(LONG result) {
  const SwitchResult* known = FindSwitchResult(result);
  return known != nullptr ? known->name : nullptr;
}

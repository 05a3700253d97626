// The results of a display switch: the platform's names and the boxes a strict run shows for them.
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

}  // namespace

const char* DisplayChangeResultName(LONG result) {
  const SwitchResult* known = FindSwitchResult(result);
  return known != nullptr ? known->name : nullptr;
}

bool SwitchFailureFor(LONG result, SwitchFailureBox& box) {
  const SwitchResult* known = FindSwitchResult(result);
  if (known == nullptr || known->text == nullptr) return false;
  constexpr char kCaptionStart[] = "Kavelo Error: ";
  constexpr size_t kStartLength = sizeof(kCaptionStart) - 1;
  size_t nameLength = std::strlen(known->name);
  if (kStartLength + nameLength >= sizeof(box.caption)) return false;
  std::memcpy(box.caption, kCaptionStart, kStartLength);
  std::memcpy(box.caption + kStartLength, known->name, nameLength + 1);
  box.text = known->text;
  return true;
}

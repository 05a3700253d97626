// What the check says about the launcher's choice of a display mode and the switch it asks for.
#pragma once

#include "launcher/mode_selection.h"

#include <string>

// "0x00180000 (DM_PELSWIDTH | DM_PELSHEIGHT)".
std::string FieldMaskNames(DWORD fieldMask);

// What the switch asks the display for. The platform takes every field that the FieldMask
// leaves out from the mode in force, which is known when the display's own catalogue is checked
// (`current`); without it only the named fields are told. `offered` is false when the display
// lists no mode of the size and depth asked for: the switch will then most likely be refused.
struct SwitchRequest {
  std::string text;
  bool offered = true;
};
SwitchRequest DescribeSwitch(DWORD fieldMask, const DEVMODEA& chosen, const DEVMODEA* current,
                             const ModeCatalogue& catalogue);

// For criteria that no mode of the catalogue fits, even in the relaxed pass: what the display
// offers nearest to them, e.g. "the display offers 800x600 only at 32 bits".
std::string NearestOffer(const CriteriaList& criteria, const ModeCatalogue& catalogue);

// What the check finds out about the launcher's choice of a display mode and the switch it asks
// for; the choice itself is the launcher's SelectMode.
#pragma once

#include "launcher/mode_selection.h"

#include <utility>
#include <vector>

// What the switch asks the display for. The platform takes every field that the FieldMask
// leaves out from the mode in force, which is known when the display's own catalogue is checked
// (`knowsCurrent`); without it only the named fields are known. `offered` is false when the
// display lists no mode of the size and depth asked for: the switch will then most likely be
// refused.
struct SwitchRequest {
  bool knowsCurrent = false;
  DWORD fieldMask = 0;
  DWORD width = 0, height = 0, bits = 0, frequency = 0;
  bool offered = true;
};
SwitchRequest RequestedSwitch(DWORD fieldMask, const DEVMODEA& chosen, const DEVMODEA* current,
                              const ModeCatalogue& catalogue);

// For criteria that no mode of the catalogue fits, even in the relaxed pass: what the display
// offers nearest to them.
struct NearestOffer {
  enum class Kind {
    NoModeAtAll,    // the catalogue is empty
    EmptyList,      // `emptyList`, a WIDTH, HEIGHT or DEPTH criterion without values, fits nothing
    OnlyDepths,     // no size is asked for: the depths there are, in `depths`
    SizesAtDepths,  // sizes that fit, each with the depths it comes in (at most three)
    NearestSize,    // no mode of the size: the nearest to the first width and height asked for
  };
  Kind kind = Kind::NoModeAtAll;
  ModeCriterion emptyList;
  std::vector<DWORD> depths;
  std::vector<std::pair<std::pair<DWORD, DWORD>, std::vector<DWORD>>> sizes;
  DWORD askedWidth = 0, askedHeight = 0;  // 0 for a dimension not asked for
  DWORD nearestWidth = 0, nearestHeight = 0;
};
NearestOffer FindNearestOffer(const CriteriaList& criteria, const ModeCatalogue& catalogue);

// The choice made from a catalogue, when one was given.
struct SelectionFacts {
  bool checked = false;      // a catalogue was given
  bool fromDisplay = false;  // it is the display's own
  size_t modeCount = 0;
  int index = -1;            // the chosen position, or -1 when no mode fits
  DEVMODEA chosen{};
  bool strictPass = false;
  DWORD fieldMask = 0;
  SwitchRequest request;     // when a mode was chosen
  NearestOffer offer;        // when none was
};

// Whether a return to the registry mode came back there.
#include "tools/model/display_restore.h"

bool SameDisplayMode(const DEVMODEA& a, const DEVMODEA& b) {
  // A rate of 0 or 1 is the hardware's default, which any rate in force meets.
  bool ratesKnown = a.dmDisplayFrequency > 1 && b.dmDisplayFrequency > 1;
  return a.dmPelsWidth == b.dmPelsWidth && a.dmPelsHeight == b.dmPelsHeight && a.dmBitsPerPel == b.dmBitsPerPel &&
         (!ratesKnown || a.dmDisplayFrequency == b.dmDisplayFrequency);
}

bool BackInRegistryMode(const RestoreOutcome& outcome) {
  return outcome.result == DISP_CHANGE_SUCCESSFUL &&
         (!outcome.registryKnown || SameDisplayMode(outcome.after, outcome.registry));
}
